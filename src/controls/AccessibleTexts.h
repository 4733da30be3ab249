// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared by the accessible interfaces of the controls (see ControlsAccessible.h).

#include <QAccessibleWidget>
#include <QString>

class QWidget;
class TASSwitcher;
class TRxCustomSlider;
class TCustomNumEdit;
class TImgBtn;

// The control's name: its owner's function, its accessible name, or its buddy label's text.
QString AccessibleNameOf(const QWidget& control);
// The control's description: its owner's function, its accessible description, its tooltip.
QString AccessibleDescriptionOf(const QWidget& control);

// A widget with the texts above; the controls' interfaces build on it.
class TControlAccessible : public QAccessibleWidget {
public:
    TControlAccessible(QWidget* control, QAccessible::Role role);
    QString text(QAccessible::Text t) const override;
};

QAccessibleInterface* SwitchAccessible(TASSwitcher* knob);
QAccessibleInterface* SliderAccessible(TRxCustomSlider* slider);
QAccessibleInterface* NumEditAccessible(TCustomNumEdit* edit);
QAccessibleInterface* ImgBtnAccessible(TImgBtn* button);
// The picture, a graphic whose description says what it shows.
QAccessibleInterface* PictureAccessible(QWidget* picture);
