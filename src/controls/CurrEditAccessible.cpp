// SPDX-License-Identifier: GPL-3.0-or-later
// The numeric edit as editable text: its text is what it shows (the formatted value with its
// unit while it does not have the focus, the number being typed while it has), and its value
// is the number, which may also be set directly.
#include "controls/AccessibleTexts.h"
#include "controls/CurrEdit.h"
#include "framework/Application.h"

#include <cmath>

namespace {

class TNumEditAccessible : public TControlAccessible,
                           public QAccessibleValueInterface,
                           public QAccessibleTextInterface {
public:
    explicit TNumEditAccessible(TCustomNumEdit* edit)
        : TControlAccessible(edit, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return TControlAccessible::interface_cast(type);
    }
    QAccessible::State state() const override {
        QAccessible::State s = TControlAccessible::state();
        s.editable = !Edit()->isReadOnly();
        s.readOnly = Edit()->isReadOnly();
        s.focusable = true;
        return s;
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return Shown();
        return TControlAccessible::text(t);
    }

    // The value.
    QVariant currentValue() const override { return static_cast<double>(Edit()->Value()); }
    // As typing the number does: the value is limited to the range and the owner is told.
    void setCurrentValue(const QVariant& value) override {
        bool ok = false;
        const double wanted = value.toDouble(&ok);
        if (!ok || !std::isfinite(wanted)) return;
        TCustomNumEdit* edit = Edit();
        Guard([&] { edit->SetValue(static_cast<long double>(wanted)); });
    }
    QVariant maximumValue() const override { return static_cast<double>(Edit()->MaxValue()); }
    QVariant minimumValue() const override { return static_cast<double>(Edit()->MinValue()); }
    QVariant minimumStepSize() const override {
        return std::pow(10.0, -static_cast<double>(Edit()->DecimalPlaces()));
    }

    // The text, read-only through this interface (the value sets it).
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = 0;
        if (selectionIndex != 0 || !Edit()->hasFocus() || !Edit()->hasSelectedText()) return;
        *startOffset = Edit()->selectionStart();
        *endOffset = *startOffset + static_cast<int>(Edit()->selectedText().size());
    }
    int selectionCount() const override {
        return Edit()->hasFocus() && Edit()->hasSelectedText() ? 1 : 0;
    }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override {
        return Edit()->hasFocus() ? Edit()->cursorPosition() : 0;
    }
    void setCursorPosition(int position) override {
        if (Edit()->hasFocus()) Edit()->setCursorPosition(position);
    }
    QString text(int startOffset, int endOffset) const override {
        const QString shown = Shown();
        startOffset = std::clamp(startOffset, 0, static_cast<int>(shown.size()));
        endOffset = endOffset < 0
                        ? static_cast<int>(shown.size())
                        : std::clamp(endOffset, startOffset, static_cast<int>(shown.size()));
        return shown.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(Shown().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        *startOffset = 0;
        *endOffset = characterCount();
        (void)offset;
        return {};
    }

private:
    TCustomNumEdit* Edit() const { return static_cast<TCustomNumEdit*>(widget()); }
    QString Shown() const { return Edit()->hasFocus() ? Edit()->text() : Edit()->DisplayText(); }
};

} // namespace

QAccessibleInterface* NumEditAccessible(TCustomNumEdit* edit) {
    return new TNumEditAccessible(edit);
}
