// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TImage: a control that shows a picture it holds, at its own size or stretched, optionally
// centred and with the bitmap's transparent colour left out.

#include "controls/ControlTypes.h"
#include "framework/Picture.h"

#include <QWidget>

class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget* owner = nullptr);

    // The displayed picture; loading into it shows the new picture.
    TPicture& Picture() { return picture_; }
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool value);
    bool Center() const { return center_; }
    void SetCenter(bool value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);

    // Where the picture lands in the control.
    QRect DestRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void PictureChanged();

private:
    TPicture picture_;
    bool autoSize_ = false;
    bool stretch_ = false;
    bool center_ = false;
    bool transparent_ = false;
};
