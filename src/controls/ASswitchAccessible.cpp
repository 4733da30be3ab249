// SPDX-License-Identifier: GPL-3.0-or-later
// The knob as a dial holding its click position.
#include "controls/ASswitch.h"
#include "controls/AccessibleTexts.h"
#include "framework/Application.h"

#include <cmath>

namespace {

class TSwitchAccessible : public TControlAccessible, public QAccessibleValueInterface {
public:
    explicit TSwitchAccessible(TASSwitcher* knob) : TControlAccessible(knob, QAccessible::Dial) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return TControlAccessible::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return QString::number(Knob()->Position());
        return TControlAccessible::text(t);
    }

    QVariant currentValue() const override { return Knob()->Position(); }
    // As the arrow keys turn it: to a click position within the scale, telling the owner.
    void setCurrentValue(const QVariant& value) override {
        bool ok = false;
        const double wanted = value.toDouble(&ok);
        if (!ok || !std::isfinite(wanted)) return;
        const int position =
            static_cast<int>(std::lround(std::clamp(wanted, 0.0, 1.0 * Knob()->Max())));
        TASSwitcher* knob = Knob();
        Guard([&] { knob->SetPosition(position); });
    }
    QVariant maximumValue() const override { return Knob()->Max(); }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    TASSwitcher* Knob() const { return static_cast<TASSwitcher*>(widget()); }
};

} // namespace

QAccessibleInterface* SwitchAccessible(TASSwitcher* knob) {
    return new TSwitchAccessible(knob);
}
