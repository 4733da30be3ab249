// SPDX-License-Identifier: GPL-3.0-or-later
// Hiding and showing the controls, keeping Start at the right edge, the popup menu and its
// hidden items, and the about box.
#include "app/main.h"

#include "app/About.h"
#include "app/Placemnt.h"
#include "controls/ASswitch.h"
#include "controls/CurrEdit.h"
#include "controls/ImgBtn.h"
#include "controls/RXSlider.h"
#include "framework/Application.h"
#include "sound/DXSounds.h"
#include "timing/ThdTimer.h"

#include <QAction>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QFrame>
#include <QMenu>
#include <QToolButton>

namespace {
QString HideCaption() {
    return TMainForm::tr("Hide Controls");
}
} // namespace

void TMainForm::ConnectHandlers() {
    FreqEdit->OnChange = [this](QObject* s) { FreqEditChange(s); };
    RxSlider1->OnChanged = [this](QObject* s) { RxSlider1Changed(s); };
    // Each knob's handler is attached after its position is set, so building runs none.
    UpDown1->OnChange = [this](QObject* s) { UpDown1Change(s); };
    UpDown2->OnChange = [this](QObject* s) { UpDown2Change(s); };
    UpDown3->OnChange = [this](QObject* s) { Edit3Change(s); };
    Volume->OnChange = [this](QObject* s) { VolumeChange(s); };
    Volume->OnClick = [this](QObject* s) { VolumeClick(s); };
    Start->OnClick = [this](QObject* s) { StartButtonClick(s); };
    Timer1->SetOnTimer([this](TThreadedTimer* t) { Timer1Timer(t); });
    Timer2->SetOnTimer([this](TThreadedTimer* t) { Timer2Timer(t); });

    // Check boxes run their handler whenever their state changes, by the user or by code.
    connect(DivCheck, &QCheckBox::toggled, this,
            [this] { Guard([this] { DivCheckClick(DivCheck); }); });
    connect(Half, &QCheckBox::toggled, this, [this] { Guard([this] { HalfClick(Half); }); });
    connect(ApplyButton, &QToolButton::clicked, this,
            [this] { Guard([this] { ApplyButtonClick(ApplyButton); }); });
    connect(ShowButton, &QToolButton::clicked, this,
            [this] { Guard([this] { ShowButtonClick(ShowButton); }); });
    connect(DublButton, &QToolButton::clicked, this,
            [this] { Guard([this] { StartButtonClick(DublButton); }); });
    connect(About1, &QAction::triggered, this, [this] { Guard([this] { About1Click(About1); }); });
    connect(LoadLibrary1, &QAction::triggered, this,
            [this] { Guard([this] { LoadLibrary1Click(LoadLibrary1); }); });
    connect(LoadPicture, &QAction::triggered, this,
            [this] { Guard([this] { LoadPictureClick(LoadPicture); }); });
    connect(LoadSound, &QAction::triggered, this,
            [this] { Guard([this] { LoadSoundClick(LoadSound); }); });
}

void TMainForm::ShowButtonClick(QObject*) {
    const bool shown = ShowButton->text() == HideCaption();
    ShowButton->setText(shown ? tr("Show Controls") : HideCaption());
    for (TASSwitcher* knob : {UpDown1, UpDown2, UpDown3, Volume})
        knob->setVisible(!shown);
    Panel1->resize(Panel1->width(), shown ? Panel3->height() : kControlsHeight);
    if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
        // The window's size is not ours to change here: resizing would drop the state and
        // overwrite the restored size. The picture area takes up the difference.
        hiddenShrink_ = 0;
    } else if (shown) {
        // The picture area keeps its height: the window shrinks by what the lower area loses,
        // as far as its minimum height allows, and remembers how far that was.
        const int before = height();
        resize(width(), before - (kControlsHeight - kBottomBarHeight));
        hiddenShrink_ = before - height();
    } else {
        resize(width(), height() + hiddenShrink_);
        hiddenShrink_ = 0;
    }
    AlignPanels();
    DublButton->setVisible(shown);
}

void TMainForm::FormResize(QObject*) {
    Start->move(frameGeometry().width() - 70, Start->y());
}

void TMainForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    AlignPanels();
    Guard([this] { FormResize(this); });
}

void TMainForm::contextMenuEvent(QContextMenuEvent* event) {
    // Opened horizontally centred on the mouse position.
    const QSize size = PopupMenu1->sizeHint();
    PopupMenu1->popup(event->globalPos() - QPoint(size.width() / 2, 0));
    event->accept();
}

void TMainForm::VolumeClick(QObject*) {
    ++MainState::VolumeClicks;
    LoadPicture->setVisible(false);
    LoadSound->setVisible(false);
    if (MainState::VolumeClicks >= 5) {
        MainState::VolumeClicks = 0;
        LoadPicture->setVisible(true);
        LoadSound->setVisible(true);
    }
}

void TMainForm::About1Click(QObject*) {
    if (TAboutBox* box = AboutBox()) box->exec();
}
