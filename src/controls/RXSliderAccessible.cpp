// SPDX-License-Identifier: GPL-3.0-or-later
// The bitmap slider as a slider holding its value.
#include "controls/AccessibleTexts.h"
#include "controls/RXSlider.h"
#include "framework/Application.h"

#include <cmath>

class TRxSliderAccessible : public TControlAccessible, public QAccessibleValueInterface {
public:
    explicit TRxSliderAccessible(TRxCustomSlider* slider)
        : TControlAccessible(slider, QAccessible::Slider) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return TControlAccessible::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return QString::number(Slider()->Value());
        return TControlAccessible::text(t);
    }

    QVariant currentValue() const override { return Slider()->Value(); }
    // As Home, End and the arrows move it: the value changes, then the owner hears that the
    // gesture is done.
    void setCurrentValue(const QVariant& value) override {
        bool ok = false;
        const double wanted = value.toDouble(&ok);
        if (!ok || !std::isfinite(wanted)) return;
        TRxCustomSlider* slider = Slider();
        const int next = static_cast<int>(
            std::lround(std::clamp(wanted, 1.0 * slider->MinValue(), 1.0 * slider->MaxValue())));
        Guard([&] {
            if (next == slider->Value()) return;
            slider->SetValue(next);
            slider->Changed();
        });
    }
    QVariant maximumValue() const override { return Slider()->MaxValue(); }
    QVariant minimumValue() const override { return Slider()->MinValue(); }
    QVariant minimumStepSize() const override { return std::max(Slider()->Increment(), 1); }

private:
    TRxCustomSlider* Slider() const { return static_cast<TRxCustomSlider*>(widget()); }
};

QAccessibleInterface* SliderAccessible(TRxCustomSlider* slider) {
    return new TRxSliderAccessible(slider);
}
