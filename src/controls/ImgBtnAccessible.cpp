// SPDX-License-Identifier: GPL-3.0-or-later
// The picture button as a push button; pressing it through assistive technology is the space
// key, delivered once the request has been answered, since what the press opens (a warning
// to confirm) may wait for the user.
#include "controls/AccessibleTexts.h"
#include "controls/ImgBtn.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace {

class TImgBtnAccessible : public TControlAccessible {
public:
    explicit TImgBtnAccessible(TImgBtn* button) : TControlAccessible(button, QAccessible::Button) {}

    QAccessible::State state() const override {
        QAccessible::State s = TControlAccessible::state();
        s.pressed = static_cast<TImgBtn*>(widget())->Pressed();
        return s;
    }
    QStringList actionNames() const override {
        return QStringList{pressAction()} + TControlAccessible::actionNames();
    }
    void doAction(const QString& name) override {
        if (name != pressAction()) {
            TControlAccessible::doAction(name);
            return;
        }
        for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease})
            QCoreApplication::postEvent(
                widget(), new QKeyEvent(type, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" ")));
    }
    QStringList keyBindingsForAction(const QString& name) const override {
        if (name == pressAction()) return {QStringLiteral("Space")};
        return TControlAccessible::keyBindingsForAction(name);
    }
};

} // namespace

QAccessibleInterface* ImgBtnAccessible(TImgBtn* button) {
    return new TImgBtnAccessible(button);
}
