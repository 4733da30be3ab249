// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TImgBtn: a button made of four pictures it owns: up, over (hovered), down (pressed) and
// disabled. Its own Enabled flag only chooses pictures; the control keeps receiving the
// mouse and firing OnClick while it is false.

#include "controls/ImageControl.h"

class TImgBtn : public TImage {
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)

public:
    explicit TImgBtn(QWidget* owner = nullptr);

    // The owned pictures; an owner may load straight into them.
    TPicture& UpPict() { return upPict_; }
    TPicture& OverPict() { return overPict_; }
    TPicture& DownPict() { return downPict_; }
    TPicture& DisPict() { return disPict_; }
    // Copy a picture in; what is shown changes only at the next change of state.
    void SetUpPict(const TPicture& picture) { upPict_.Assign(&picture); }
    void SetOverPict(const TPicture& picture) { overPict_.Assign(&picture); }
    void SetDownPict(const TPicture& picture) { downPict_.Assign(&picture); }
    void SetDisPict(const TPicture& picture) { disPict_.Assign(&picture); }

    bool Enabled() const { return enabled_; }
    // Shows UpPict or DisPict, also when the value does not change.
    void SetEnabled(bool value);
    bool Pressed() const { return pressed_; }

    TNotifyEvent OnClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Press(QMouseEvent* event, bool mayClick);
    void Click();
    void Hold();
    // Lets go of the mouse and of a press under way, and shows the button at rest.
    void ReleaseHold();
    void Show(TPicture& picture) { Picture().Assign(&picture); }

    TPicture upPict_;
    TPicture overPict_;
    TPicture downPict_;
    TPicture disPict_;
    bool enabled_ = false;
    bool watchingWindow_ = false;
    bool pressed_ = false;
    bool clickArmed_ = false;
};
