// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainFlash.h"

#include "app/DisplayRefresh.h"
#include "app/main.h"
#include "app/mainSession.h"
#include "controls/CurrEdit.h"
#include "framework/Application.h"
#include "framework/IniFiles.h"
#include "picture/DXPaintBox.h"
#include "run/RunParameters.h"
#include "safety/FlashAdvice.h"
#include "safety/FlashColours.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

bool TMainFlash::AskWarning = false;

namespace {
const char* const kOptions = "Options";
const char* const kReducedKey = "ReducedFlashing";
const char* const kWarningKey = "WarningAccepted";
// Rechecking costs a few milliseconds and only follows a change, so a quick look is cheap.
constexpr int kPollMs = 250;

QString Html(const std::string& text) {
    return QString::fromStdString(text).toHtmlEscaped().replace(QLatin1Char('\n'),
                                                                QLatin1String("<br>"));
}
} // namespace

TMainFlash::TMainFlash(TMainForm& form) : QObject(&form), form_(form) {
    Mark = new QLabel(form.Panel1);
    Mark->setObjectName(QStringLiteral("FlashMark"));
    Mark->setGeometry(448, 90, 116, 17);
    Mark->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    form.PopupMenu1->addSeparator();
    FlashCheck1 = form.PopupMenu1->addAction(tr("Flash Check..."));
    FlashCheck1->setObjectName(QStringLiteral("FlashCheck1"));
    connect(FlashCheck1, &QAction::triggered, this,
            [this] { Guard([this] { ShowFlashCheck(); }); });
    ReducedFlashing1 = form.PopupMenu1->addAction(tr("Reduced Flashing"));
    ReducedFlashing1->setObjectName(QStringLiteral("ReducedFlashing1"));
    ReducedFlashing1->setCheckable(true);
    connect(ReducedFlashing1, &QAction::triggered, this,
            [this](bool on) { Guard([this, on] { SetReduced(on); }); });

    // A new rate is checked at the next look: never in the middle of a run's steps.
    Refresh = new TDisplayRefresh(form);
    connect(Refresh, &TDisplayRefresh::Changed, this, [this] { checked_ = false; });

    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, [this] { Guard([this] { Update(); }); });
    poll_.start();
}

TMainFlash::~TMainFlash() = default;

void TMainFlash::LoadOptions() {
    if (TIniFile* ini = form_.IniFile()) SetReduced(ini->ReadBool(kOptions, kReducedKey, false));
    Update();
}

bool TMainFlash::Reduced() const {
    return ReducedFlashing1->isChecked();
}

void TMainFlash::SetReduced(bool on) {
    ReducedFlashing1->setChecked(on);
    if (on) {
        form_.PaintBox1->SetColourMap(ReducedFlashingLookup);
    } else {
        form_.PaintBox1->SetColourMap({});
    }
    if (TIniFile* ini = form_.IniFile()) {
        if (ini->ReadBool(kOptions, kReducedKey, false) != on)
            ini->WriteBool(kOptions, kReducedKey, on);
    }
    Update();
}

TFlashSettings TMainFlash::CurrentSettings() const {
    TFlashSettings s;
    s.TransformLevel = RunParams.TransformLevel;
    s.CycleModulus = RunParams.CycleModulus;
    s.RightLeftDifference = form_.DivCheck->isChecked();
    // The light steps twice a period of the frequency in the box, to its three decimals.
    s.StepsPerSecond = PictureStepsPerSecond(form_.FreqEdit->Value());
    const QRect shown = form_.PaintBox1->DrawRect() & form_.PaintBox1->rect();
    s.ShownWidth = shown.width();
    s.ShownHeight = shown.height();
    if (const QScreen* screen = form_.screen()) {
        s.ScreenWidth = screen->size().width();
        s.ScreenHeight = screen->size().height();
    }
    // Not the screen's reported rate: the toolkit reports 60 Hz where it knows none.
    s.RefreshHz = Refresh->Hz() > 0 ? Refresh->Hz() : kAssumedRefreshHz;
    return s;
}

namespace {
// The loaded session, or null.
const TSession* LoadedSession(const TMainForm& form) {
    const TMainSession* session = form.Session();
    return session && session->Loaded() ? session->Session() : nullptr;
}

// Tells sessions apart by what they hold; 0 for none.
uint64_t SessionFingerprint(const TSession* session) {
    if (!session) return 0;
    uint64_t h = 1469598103934665603ull;
    const auto mix = [&h](int64_t v) {
        h ^= static_cast<uint64_t>(v);
        h *= 1099511628211ull;
    };
    for (const TSessionPoint& p : session->Points()) {
        mix(p.TimeMs);
        mix(p.FrequencyMilli);
        for (const int16_t k : p.Knobs)
            mix(k);
    }
    return h | 1;
}
} // namespace

TMainFlash::TKey TMainFlash::CurrentKey() const {
    // Stepping changes the pixels but not what the check finds, so they are left out.
    const TDIBSharedImage& image = form_.PaintBox1->DIB().Image();
    const TFlashSettings s = CurrentSettings();
    const QScreen* screen = form_.screen();
    const TSession* session = LoadedSession(form_);
    // A session sets the frequency itself. During its run it sets the depth too, and the
    // depth the run started with is what its grading began from: regrading a whole session
    // would hold up the run's steps.
    const int level =
        session && MainState::Running && checked_ ? std::get<9>(key_) : s.TransformLevel;
    return {image.Width,
            image.Height,
            image.ColorTable,
            s.CycleModulus,
            s.RightLeftDifference,
            form_.PaintBox1->DrawRect(),
            screen ? screen->geometry() : QRect(),
            s.RefreshHz,
            Reduced(),
            level,
            session ? 0.0 : s.StepsPerSecond,
            SessionFingerprint(session)};
}

TFlashPicture TMainFlash::ShownPicture() const {
    TFlashPicture picture = FlashPictureOf(form_.PaintBox1->DIB());
    if (Reduced()) picture.Colours = ReducedFlashingColours(picture.Colours);
    return picture;
}

void TMainFlash::Update() {
    Refresh->Follow();
    if (MainState::Running) {
        ranAny_ = true;
    } else {
        // A run that followed the display's frames measured its refresh from their times.
        const TFrameStats stats = form_.LastFrameStats();
        if (stats.Mode != TFrameMode::Unsynchronised && stats.RefreshHz > 0)
            Refresh->Learn(stats.RefreshHz);
    }
    const TKey key = CurrentKey();
    if (checked_ && key == key_) return;
    // During a run a session may glide the frequency; the run's steps come first.
    if (checked_ && MainState::Running && sinceCheck_.isValid() && sinceCheck_.elapsed() < 2000)
        return;
    key_ = key;
    checked_ = true;
    sinceCheck_.start();
    const TFlashPicture picture = ShownPicture();
    const TFlashSettings settings = CurrentSettings();
    const TSession* session = LoadedSession(form_);
    minutes_.clear();
    worst_ = 0;
    if (session && picture.Top) {
        TKey display = key;
        std::get<9>(display) = 0;
        std::get<10>(display) = 0;
        std::get<11>(display) = 0;
        if (!grader_ || graderKey_ != display) {
            grader_ =
                std::make_unique<TSessionFlashGrader>(picture, settings.CycleModulus, settings);
            graderKey_ = display;
        }
        minutes_ = grader_->Grade(*session, settings.TransformLevel);
    }
    if (!minutes_.empty()) {
        worst_ = WorstFlashMinute(minutes_);
        report_ = minutes_[worst_].Worst;
    } else {
        report_ = CheckFlashing(picture, settings);
    }
    ShowVerdict();
}

QString TMainFlash::Heading() const {
    if (minutes_.empty()) return QString::fromStdString(report_.VerdictText());
    const size_t over = FlashMinutesOver(minutes_);
    const QString summary = over == 0
                                ? tr("The session is below the limits throughout.")
                                : tr("The session is over the limits in %1 of its %2 minutes.")
                                      .arg(over)
                                      .arg(minutes_.size());
    return summary + QLatin1Char('\n') +
           tr("Its worst minute, %1: %2")
               .arg(QString::fromStdString(FlashMinuteHeading(minutes_[worst_], QLocale())),
                    QString::fromStdString(report_.VerdictText()));
}

void TMainFlash::ShowVerdict() {
    if (!report_.Checked) {
        Mark->clear();
        Mark->setToolTip(QString());
        return;
    }
    // A coloured mark and a word; the figures are in the tooltip.
    QPalette palette = Mark->palette();
    palette.setColor(QPalette::WindowText, report_.Over ? QColor(0xc0, 0, 0) : QColor(0, 0x80, 0));
    Mark->setPalette(palette);
    Mark->setText(report_.Over ? tr("\u25CF Flashing: over") : tr("\u25CF Flashing: below"));
    QString tip = tr("Flash check: %1")
                      .arg(Heading() + QLatin1Char('\n') +
                           QString::fromStdString(report_.ReasonText(QLocale()) + "\n\n" +
                                                  report_.Figures(QLocale())));
    const QString note = ShownLightNote();
    if (!note.isEmpty()) tip += QStringLiteral("\n\n") + note;
    Mark->setToolTip(tip);
    if (dialog_ && dialog_->isVisible()) ShowFlashCheck();
}

void TMainFlash::ShowFlashCheck() {
    Update();
    if (!dialog_) {
        dialog_ = new QDialog(&form_);
        dialog_->setObjectName(QStringLiteral("FlashCheckDialog"));
        dialog_->setWindowTitle(tr("Flash Check"));
        auto* layout = new QVBoxLayout(dialog_);
        dialogText_ = new QLabel(dialog_);
        dialogText_->setObjectName(QStringLiteral("FlashCheckText"));
        dialogText_->setTextFormat(Qt::RichText);
        dialogText_->setWordWrap(true);
        dialogText_->setMinimumWidth(380);
        layout->addWidget(dialogText_);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog_);
        connect(buttons, &QDialogButtonBox::rejected, dialog_, &QDialog::close);
        layout->addWidget(buttons);
    }
    QString text = QStringLiteral("<b>%1</b><br>%2<br><br>%3")
                       .arg(Html(Heading().toStdString()), Html(report_.ReasonText(QLocale())),
                            Html(report_.Figures(QLocale())));
    const QString note = ShownLightNote();
    if (!note.isEmpty()) text += QStringLiteral("<br><br>") + Html(note.toStdString());
    if (report_.Checked && report_.Over) {
        // For a session, what would bring its worst state under the limits.
        TFlashSettings settings = CurrentSettings();
        if (!minutes_.empty()) {
            settings.TransformLevel = minutes_[worst_].WorstDepth;
            settings.StepsPerSecond = report_.StepsPerSecond;
        }
        const TFlashAdvice advice = AdviseFlashing(ShownPicture(), settings);
        QStringList ways;
        if (advice.BelowAtHz > 0) {
            const QString hz = QLocale().toString(advice.BelowAtHz, 'f', 1);
            if (!minutes_.empty())
                ways << (advice.AllSlowerBelow ? tr("a session that stays at %1 Hz or less")
                                               : tr("a session that stays at %1 Hz"))
                            .arg(hz);
            else
                ways << (advice.AllSlowerBelow ? tr("a main frequency of %1 Hz or less")
                                               : tr("a main frequency of %1 Hz"))
                            .arg(hz);
        }
        if (!Reduced() && advice.ReducedIsBelow) ways << tr("Reduced Flashing");
        if (advice.BelowAtScale > 0)
            ways << tr("a picture %1 % of its present size or smaller")
                        .arg(QLocale().toString(static_cast<int>(advice.BelowAtScale * 100)));
        text += QStringLiteral("<br><br>") +
                (ways.isEmpty() ? tr("Nothing tried brings this run under the limits.")
                                : tr("Under the limits with: %1.").arg(ways.join(tr("; or "))));
    }
    // Where the refresh came from, and what the display did with the last run.
    QString display;
    switch (Refresh->Source()) {
    case TDisplayRefresh::TSource::FrameClock:
        display = tr("The display's refresh rate, %1 Hz, is measured from the window's frames.");
        break;
    case TDisplayRefresh::TSource::VideoMode:
        display = tr("The display's refresh rate, %1 Hz, is its video mode's.");
        break;
    case TDisplayRefresh::TSource::Run:
        display = tr("The display's refresh rate, %1 Hz, is measured from the last run's frames.");
        break;
    case TDisplayRefresh::TSource::Unknown:
        break;
    }
    if (!display.isEmpty()) display = display.arg(QLocale().toString(Refresh->Hz(), 'f', 2));
    if (!display.isEmpty()) display += QLatin1Char('\n');
    const TFrameStats stats = form_.LastFrameStats();
    display += FrameStatsText(stats, ranAny_ || MainState::Running || stats.Shown > 0);
    text += QStringLiteral("<br><br>") + Html(display.toStdString());
    dialogText_->setText(text);
    dialog_->show();
    dialog_->raise();
}

QString TMainFlash::ShownLightNote() const {
    if (!report_.Checked) return {};
    if (!(Refresh->Hz() > 0)) {
        return tr("The display's refresh rate is unknown: the light is checked as a %1 Hz "
                  "display shows it.")
            .arg(QLocale().toString(kAssumedRefreshHz, 'f', 0));
    }
    return QString::fromStdString(ShownLightText(report_.Shown, QLocale()));
}

QString TMainFlash::FrameStatsText(const TFrameStats& stats, bool ranAny) {
    if (!ranAny) return tr("No run yet: its frames on the display are told here after it.");
    const QLocale numbers;
    const QString mode = QCoreApplication::translate("TFrameStats", FrameModeText(stats.Mode));
    if (stats.Mode == TFrameMode::Unsynchronised && stats.Shown == 0)
        return tr("The last run: %1, painted by the picture timer.").arg(mode);
    const QString refresh = stats.RefreshHz > 0
                                ? tr("%1 Hz").arg(numbers.toString(stats.RefreshHz, 'f', 2))
                                : tr("not measured");
    return tr("The last run: %1; %2 frames shown, %3 late, %4 dropped; refresh %5; clock: %6.")
        .arg(mode, numbers.toString(static_cast<qulonglong>(stats.Shown)),
             numbers.toString(static_cast<qulonglong>(stats.Late)),
             numbers.toString(static_cast<qulonglong>(stats.Dropped)), refresh,
             QString::fromLatin1(stats.ClockSource ? stats.ClockSource : ""));
}

bool TMainFlash::ConfirmStart() {
    TIniFile* ini = form_.IniFile();
    if (!AskWarning || (ini && ini->ReadInteger(kOptions, kWarningKey, 0) == 1)) return true;
    Update();
    QMessageBox box(QMessageBox::Warning, tr("Photosensitivity warning"),
                    tr("This program shows a flashing picture. Flashing light can cause "
                       "seizures in people with photosensitive epilepsy, also in people who "
                       "never had one before. Do not use it if you or your family have a "
                       "history of epilepsy or seizures. Stop at once and see a doctor if you "
                       "feel dizzy, have altered vision, twitching or any discomfort."),
                    QMessageBox::NoButton, &form_);
    box.setObjectName(QStringLiteral("FlashWarning"));
    box.setInformativeText(
        minutes_.empty()
            ? tr("The present settings are %1.").arg(QString::fromStdString(report_.VerdictText()))
            : Heading());
    QPushButton* start = box.addButton(tr("Start"), QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    if (box.clickedButton() != start) return false;
    if (ini) ini->WriteInteger(kOptions, kWarningKey, 1);
    return true;
}
