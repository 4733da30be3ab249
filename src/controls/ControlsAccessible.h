// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What assistive technology (a screen reader, a switch device) sees of the self-drawn
// controls: each gets an accessible interface with a role, a name, a description and, where it
// holds a number, the value interface. Setting a value through it does what the keys do, so
// the owner hears of the change as from the keyboard.
//
// Names come from the visible label whose buddy the control is, else from the control's
// accessible name; descriptions from the tooltip. What only the owner knows (what the round
// button does now, which picture is shown) it gives as a function, read each time it is asked.

#include <QString>
#include <functional>

class QWidget;

// Registers the interfaces with Qt's accessibility; once is enough, more calls do nothing.
void InstallControlsAccessibility();

// A name or description the control takes from its owner, asked for each time it is read;
// an empty function leaves the usual source.
void SetAccessibleTexts(QWidget& control, std::function<QString()> name,
                        std::function<QString()> description = {});
