// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's layout: panels, controls, components and the popup menu, each at its
// position with its caption, hint, colours and font.
#include "app/main.h"

#include "app/AppFont.h"
#include "app/Placemnt.h"
#include "app/ProgramTitle.h"
#include "app/mainFlash.h"
#include "app/mainJournal.h"
#include "app/mainNudge.h"
#include "app/mainTone.h"
#include "controls/ASswitch.h"
#include "controls/CurrEdit.h"
#include "controls/ImgBtn.h"
#include "controls/RXSlider.h"
#include "controls/RXSliderImages.h"
#include "picture/DXPaintBox.h"
#include "run/RunParameters.h"
#include "run/RunPhase.h"
#include "sound/DXSounds.h"
#include "timing/ThdTimer.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QToolButton>

namespace {
const QColor kOlive(128, 128, 0);
const QColor kBottomBar(101, 126, 1);
const QColor kMaroon(128, 0, 0);

constexpr int kClientWidth = 568;
constexpr int kClientHeight = 390;

// Hints are written with CR LF line breaks; Qt's tooltips break at LF.
QString Hint(QString hint) {
    hint.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return hint;
}

void Paint(QWidget* w, const QColor& colour) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, colour);
    pal.setColor(QPalette::Base, colour);
    pal.setColor(QPalette::Button, colour);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, int left, int top) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromUtf8(name));
    label->setFont(ProgramBoldFont());
    label->move(left, top);
    label->adjustSize();
    return label;
}

QCheckBox* MakeCheck(QWidget* parent, const char* name, const QString& caption, const QRect& r,
                     const QString& hint) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromUtf8(name));
    box->setGeometry(r);
    box->setToolTip(Hint(hint));
    return box;
}

TASSwitcher* MakeKnob(QWidget* parent, const char* name, int left, int max, const QString& hint) {
    auto* knob = new TASSwitcher(parent);
    knob->setObjectName(QString::fromUtf8(name));
    knob->setGeometry(left, 1, 73, 73);
    knob->SetMax(max);
    knob->SetPosition(0);
    knob->SetSoundType(wssNone); // the main window's knobs play no sound
    knob->setToolTip(Hint(hint));
    return knob;
}

QToolButton* MakeSpeedButton(QWidget* parent, const char* name, const QString& caption,
                             const QRect& r) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromUtf8(name));
    button->setText(caption);
    button->setAutoRaise(true);
    button->setFont(ProgramBoldFont());
    button->setGeometry(r);
    return button;
}

QComboBox* MakeList(QWidget* parent, const char* name, const QRect& r, const QString& hint,
                    const QStringList& placeholder) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromUtf8(name));
    box->setEditable(false);
    box->setMaxVisibleItems(14);
    box->setFont(ProgramBoldFont());
    box->setGeometry(r);
    box->setToolTip(Hint(hint));
    Paint(box, kOlive);
    box->addItems(placeholder);
    return box;
}

QStringList Placeholder(std::initializer_list<const char*> names, int count) {
    QStringList items;
    for (const char* n : names)
        items << QString::fromUtf8(n);
    while (items.size() < count)
        items << QString();
    return items;
}
} // namespace

void TMainForm::BuildLayout() {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(ProgramTitle());
    setFont(ProgramFont());
    Paint(this, kOlive);
    resize(kClientWidth, kClientHeight);
    // Centred on the screen when first shown, until a stored position says otherwise.
    setProperty(WindowPositionProperty, PositionScreenCenter);

    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Paint(Panel2, kOlive);

    PaintBox1 = new TDXPaintBox(Panel2);
    PaintBox1->setObjectName(QStringLiteral("PaintBox1"));
    // A click on the picture gives it the keys that nudge a run.
    PaintBox1->setFocusPolicy(Qt::ClickFocus);
    PaintBox1->SetStretch(true);
    PaintBox1->SetCenter(true);
    PaintBox1->SetAutoStretch(false);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->resize(kClientWidth, kControlsHeight);

    Panel3 = new QFrame(Panel1);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel3->setLineWidth(1);
    Paint(Panel3, kBottomBar);

    const QString freqHint =
        tr("The main frequency of refreshing of the\r\npicture and modulation of sound");
    RxSlider1 = new TRxSlider(Panel1);
    RxSlider1->setObjectName(QStringLiteral("RxSlider1"));
    RxSlider1->setGeometry(9, 5, 140, 33);
    RxSlider1->SetMinValue(kMinSliderValue);
    RxSlider1->SetMaxValue(kMaxSliderValue);
    RxSlider1->SetIncrement(1);
    RxSlider1->SetValue(70);
    RxSlider1->SetBevelStyle(bvLowered);
    const TBitmap thumb = LoadProgramBitmap("FREQ_HTB");
    RxSlider1->SetImage(siHThumb, &thumb);
    RxSlider1->setToolTip(Hint(freqHint));

    FreqEdit = new TCurrencyEdit(Panel1);
    FreqEdit->setObjectName(QStringLiteral("FreqEdit"));
    FreqEdit->setGeometry(9, 42, 64, 25);
    FreqEdit->setFont(ProgramBoldFont());
    FreqEdit->SetMinValue(kMinFrequency);
    FreqEdit->SetMaxValue(kMaxFrequency);
    FreqEdit->SetDecimalPlaces(3);
    //: The frequency box's number format; the unit is the quoted part.
    FreqEdit->SetDisplayFormat(tr("0.0,' Hz'"));
    FreqEdit->SetFormatOnEditing(true);
    FreqEdit->SetZeroEmpty(false);
    FreqEdit->SetAlignment(taCenter);
    FreqEdit->SetValue(7.0L);
    FreqEdit->setToolTip(Hint(freqHint));

    WaveLabel = new QLabel(Panel1);
    WaveLabel->setObjectName(QStringLiteral("WaveLabel"));
    WaveLabel->setGeometry(72, 40, 81, 33);
    WaveLabel->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    WaveLabel->setFont(ProgramBoldFont());

    DivCheck = MakeCheck(
        Panel1, "DivCheck", tr("Right/Left Difference"), QRect(9, 75, 164, 15),
        tr("Difference  between the left & the right\r\nside of the picture transforming"));

    UpDown1 = MakeKnob(Panel1, "UpDown1", 154, 15, tr("The level of transforming of the picture"));
    UpDown2 = MakeKnob(Panel1, "UpDown2", 224, 5, tr("Amplitude modulation of sound"));
    UpDown3 = MakeKnob(Panel1, "UpDown3", 307, 10, tr("Frequency modulation of sound"));
    Volume = MakeKnob(Panel1, "Volume", 377, 10, tr("Sound Volume"));

    Label1 = MakeLabel(Panel1, "Label1", tr("Depth"), 172, 74);
    Label2 = MakeLabel(Panel1, "Label2", tr("Oscilator 1"), 232, 74);
    Label2->resize(81, 20);
    Label5 = MakeLabel(Panel1, "Label5", tr("Oscilator 2"), 316, 74);
    Label5->resize(82, 20);
    Label5->setWordWrap(true);
    Label6 = MakeLabel(Panel1, "Label6", tr("Volume"), 392, 74);

    Half = MakeCheck(Panel1, "Half", tr("1/2 Period"), QRect(254, 88, 84, 17),
                     tr("Devision of period of frequency\r\nmodulation by two"));

    Start = new TImgBtn(Panel1);
    Start->setObjectName(QStringLiteral("Start"));
    Start->setGeometry(505, 18, 60, 60);
    Start->SetAutoSize(true);
    Start->SetStretch(true);
    Start->SetTransparent(true);
    Start->SetEnabled(true);
    // Start and Stop are reachable from the keyboard too, and show when they have the focus.
    Start->setFocusPolicy(Qt::StrongFocus);

    Label3 = MakeLabel(Panel3, "Label3", tr("Picture"), 4, 6);
    ComboBox1 = MakeList(Panel3, "ComboBox1", QRect(47, 3, 107, 21), tr("Different pictures"),
                         Placeholder({"Dhereddr", "Mistique"}, 22));
    Label4 = MakeLabel(Panel3, "Label4", tr("Sound"), 160, 7);
    ComboBox2 = MakeList(Panel3, "ComboBox2", QRect(201, 3, 111, 21), tr("Different Sounds"),
                         Placeholder({"Sound1", "Sound2", "Sound3"}, 16));

    ApplyButton = MakeSpeedButton(Panel3, "ApplyButton", tr("Apply"), QRect(317, 5, 65, 19));
    ApplyButton->setToolTip(Hint(tr("The changes of picture and the sound\r\nwill take place only "
                                    "after pressing of\r\nthis button")));
    ShowButton = MakeSpeedButton(Panel3, "ShowButton", tr("Hide Controls"), QRect(390, 5, 107, 19));
    DublButton = MakeSpeedButton(Panel3, "DublButton", tr("Start"), QRect(503, 5, 50, 19));
    QPalette maroon = DublButton->palette();
    maroon.setColor(QPalette::ButtonText, kMaroon);
    DublButton->setPalette(maroon);
    DublButton->setVisible(false);
    // The bottom bar lies over the other controls of the lower area, so that with the
    // controls hidden it covers what is left of them.
    Panel3->raise();

    AlignPanels();
}

void TMainForm::BuildComponents() {
    Timer1 = new TThreadedTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->SetEnabled(false);
    Timer1->SetInterval(37);
    Timer1->SetThreadPriority(tpHigher);

    Timer2 = new TThreadedTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->SetEnabled(false);
    Timer2->SetInterval(20);
    Timer2->SetThreadPriority(tpTimeCritical);

    // Both timers fire on the run's phase; their intervals are what the settings keep.
    Phase_ = std::make_shared<TRunPhase>();
    PictureSteps_ = std::make_shared<TPhaseSteps>(Phase_, kPictureStepsPerPeriod);
    SweepSteps_ = std::make_shared<TPhaseSteps>(Phase_, kSweepStepsPerPeriod);
    Timer1->SetDueTimes(PictureSteps_);
    Timer2->SetDueTimes(SweepSteps_);
    Nudge_ = new TMainNudge(*this);

    OpenDialog1.Filter = tr(kLibraryFilter);
}

void TMainForm::BuildMenu() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    auto item = [this](const char* name, const QString& caption, bool visible) {
        QAction* action = PopupMenu1->addAction(caption);
        action->setObjectName(QString::fromUtf8(name));
        action->setVisible(visible);
        return action;
    };
    About1 = item("About1", tr("About"), true);
    LoadLibrary1 = item("LoadLibrary1", tr("Load Library"), true);
    LoadPicture = item("LoadPicture", tr("Load Picture"), false);
    LoadSound = item("LoadSound", tr("Load Sound"), false);
    BuildSession();
    Tone_ = std::make_unique<TMainTone>(*this);
    Flash_ = std::make_unique<TMainFlash>(*this);
    Journal_ = std::make_unique<TMainJournal>(*this);
    // Owned by their pointers alone, not also as the window's children: they go with the
    // window's members, before the menus and controls they refer to.
    Tone_->setParent(nullptr);
    Flash_->setParent(nullptr);
    Journal_->setParent(nullptr);
}

// The panels are aligned by hand: Panel1 at the bottom at its own height, Panel2 filling the
// rest, Panel3 at the bottom of Panel1, the picture filling Panel2.
void TMainForm::AlignPanels() {
    const int lower = Panel1->height();
    Panel1->setGeometry(0, height() - lower, width(), lower);
    Panel2->setGeometry(0, 0, width(), qMax(0, height() - lower));
    Panel3->setGeometry(0, lower - kBottomBarHeight, width(), kBottomBarHeight);
    PaintBox1->setGeometry(Panel2->contentsRect());
}
