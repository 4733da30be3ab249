// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainFlash.h"

#include "app/main.h"
#include "framework/Application.h"
#include "framework/IniFiles.h"
#include "picture/DXPaintBox.h"
#include "run/RunParameters.h"
#include "safety/FlashAdvice.h"
#include "safety/FlashColours.h"
#include "timing/ThdTimer.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFrame>
#include <QLabel>
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
    s.PictureIntervalMs = static_cast<int>(form_.Timer1->Interval());
    const QRect shown = form_.PaintBox1->DrawRect() & form_.PaintBox1->rect();
    s.ShownWidth = shown.width();
    s.ShownHeight = shown.height();
    if (const QScreen* screen = form_.screen()) {
        s.ScreenWidth = screen->size().width();
        s.ScreenHeight = screen->size().height();
        if (screen->refreshRate() > 0) s.RefreshHz = screen->refreshRate();
    }
    return s;
}

TMainFlash::TKey TMainFlash::CurrentKey() const {
    // Stepping changes the pixels but not what the check finds, so they are left out.
    const TDIBSharedImage& image = form_.PaintBox1->DIB().Image();
    const TFlashSettings s = CurrentSettings();
    const QScreen* screen = form_.screen();
    return {image.Width,
            image.Height,
            image.ColorTable,
            s.TransformLevel,
            s.CycleModulus,
            s.RightLeftDifference,
            s.PictureIntervalMs,
            form_.PaintBox1->DrawRect(),
            screen ? screen->geometry() : QRect(),
            s.RefreshHz,
            Reduced()};
}

void TMainFlash::Update() {
    const TKey key = CurrentKey();
    if (checked_ && key == key_) return;
    // During a run a session may glide the frequency; the run's steps come first.
    if (checked_ && MainState::Running && sinceCheck_.isValid() && sinceCheck_.elapsed() < 2000)
        return;
    key_ = key;
    checked_ = true;
    sinceCheck_.start();
    TFlashPicture picture = FlashPictureOf(form_.PaintBox1->DIB());
    if (Reduced()) picture.Colours = ReducedFlashingColours(picture.Colours);
    report_ = CheckFlashing(picture, CurrentSettings());
    ShowVerdict();
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
    Mark->setToolTip(tr("Flash check: %1")
                         .arg(QString::fromStdString(report_.VerdictText() + "\n" + report_.Reason +
                                                     "\n\n" + report_.Figures())));
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
    QString text =
        QStringLiteral("<b>%1</b><br>%2<br><br>%3")
            .arg(Html(report_.VerdictText()), Html(report_.Reason), Html(report_.Figures()));
    if (report_.Checked && report_.Over) {
        TFlashPicture picture = FlashPictureOf(form_.PaintBox1->DIB());
        if (Reduced()) picture.Colours = ReducedFlashingColours(picture.Colours);
        const TFlashAdvice advice = AdviseFlashing(picture, CurrentSettings());
        QStringList ways;
        if (advice.BelowAtHz > 0)
            ways << tr("a main frequency of %1 Hz or less").arg(advice.BelowAtHz, 0, 'f', 1);
        if (!Reduced() && advice.ReducedIsBelow) ways << tr("Reduced Flashing");
        if (advice.BelowAtScale > 0)
            ways << tr("a picture %1 % of its present size or smaller")
                        .arg(static_cast<int>(advice.BelowAtScale * 100));
        text += QStringLiteral("<br><br>") +
                (ways.isEmpty() ? tr("Nothing tried brings this run under the limits.")
                                : tr("Under the limits with: %1.").arg(ways.join(tr("; or "))));
    }
    dialogText_->setText(text);
    dialog_->show();
    dialog_->raise();
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
        tr("The present settings are %1.").arg(QString::fromStdString(report_.VerdictText())));
    QPushButton* start = box.addButton(tr("Start"), QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    if (box.clickedButton() != start) return false;
    if (ini) ini->WriteInteger(kOptions, kWarningKey, 1);
    return true;
}
