// SPDX-License-Identifier: GPL-3.0-or-later
// The picture as a graphic; its name and description come from its owner, who knows which
// picture it shows and whether a run is on.
#include "controls/AccessibleTexts.h"

namespace {

class TPictureAccessible : public TControlAccessible {
public:
    explicit TPictureAccessible(QWidget* picture)
        : TControlAccessible(picture, QAccessible::Graphic) {}
    QAccessible::State state() const override {
        QAccessible::State s = TControlAccessible::state();
        s.focusable = false;
        return s;
    }
};

} // namespace

QAccessibleInterface* PictureAccessible(QWidget* picture) {
    return new TPictureAccessible(picture);
}
