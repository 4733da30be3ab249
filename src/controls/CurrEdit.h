// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The numeric edit. TCurrencyEdit holds an extended-precision Value kept between MinValue
// and MaxValue. Unfocused it paints the value formatted by DisplayFormat itself; focused it
// shows a plain number, refuses keystrokes that would not make one, and with
// FormatOnEditing groups the integer digits as the user types. The text becomes the value
// whenever Value is read and when the focus leaves.

#include "controls/ControlTypes.h"
#include "framework/FloatFormat.h"

#include <QLineEdit>

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// An edit that may carry a side button opening a popup; the numeric edit uses none, so
// only the parts it needs are here: alignment, colour and the focus notifications.
class TCustomComboEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TCustomComboEdit(QWidget* owner = nullptr);

    TAlignment Alignment() const { return alignment_; }
    virtual void SetAlignment(TAlignment value);
    // The side button's width; no button is ever shown.
    int ButtonWidth() const { return 0; }
    QColor Color() const { return palette().color(QPalette::Base); }
    void SetColor(const QColor& color);
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool value) { autoSelect_ = value; }

    TNotifyEvent OnChange;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

private:
    TAlignment alignment_ = taLeftJustify;
    bool autoSelect_ = true;
};

class TCustomNumEdit : public TCustomComboEdit {
    Q_OBJECT
    // Extended precision end to end, so a stored 3.3 is written back as "3.3".
    Q_PROPERTY(long double Value READ Value WRITE SetValue)

public:
    explicit TCustomNumEdit(QWidget* owner = nullptr);

    // Reading takes the text first; text that is no number reads as MinValue.
    long double Value();
    void SetValue(long double value);
    long double MinValue() const { return minValue_; }
    void SetMinValue(long double value);
    long double MaxValue() const { return maxValue_; }
    void SetMaxValue(long double value);
    unsigned DecimalPlaces() const { return decimalPlaces_; }
    void SetDecimalPlaces(unsigned value);
    QString DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const QString& value);
    bool FormatOnEditing() const { return formatOnEditing_; }
    void SetFormatOnEditing(bool value);
    bool ZeroEmpty() const { return zeroEmpty_; }
    void SetZeroEmpty(bool value);
    bool BeepOnError() const { return beepOnError_; }
    void SetBeepOnError(bool value) { beepOnError_ = value; }
    bool CheckOnExit() const { return checkOnExit_; }
    void SetCheckOnExit(bool value) { checkOnExit_ = value; }
    void SetAlignment(TAlignment value) override;

    // The text property: setting it converts, limits and stores (failing on no number).
    QString Text() const { return text(); }
    void SetText(const QString& value);

    // What the control paints while it does not have the focus.
    QString DisplayText() const;
    // Where that text starts, in client coordinates.
    int DisplayTextLeft() const;
    // The area inside the frame where texts are drawn.
    QRect TextArea() const;

    // The separators used; the system locale's unless replaced (tests use fixed ones).
    const TFormatSettings& FormatSettings() const { return fs_; }
    void SetFormatSettings(const TFormatSettings& fs);

    // The text made ready for conversion: trimmed, thousand separators dropped, '.' and ','
    // read as the decimal separator, empty read as "0" and a lone "-" as "-0".
    QString Normalized(const QString& text) const;
    // The range limit; with raise, a limited value fails with "Value must be between..."
    long double CheckValue(long double value, bool raise) const;
    // Whether text would be accepted from the user: typed, pasted, dropped or committed.
    bool IsAcceptableText(const QString& text) const;
    // Whether the user may change the text to this one: a deletion always, anything else
    // when it is acceptable text. A text that is no number is then reported on leaving.
    bool IsAcceptableChange(const QString& text) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // A refused keystroke or paste: the system beep when BeepOnError is set.
    virtual void Refuse();

private:
    long double TextToValue(const QString& text) const; // fails on no number
    void UpdateValueFromText();
    void RebuildEditText();
    void RebuildQuietly();
    void ReformatEditText();
    bool IsValidChar(QChar key) const;
    void InstallInputCheck();
    void TextChanged();
    void Paste();
    void ApplyEditAlignment();
    QString EditFormat() const;

    long double value_ = 0;
    long double minValue_ = 0;
    long double maxValue_ = 0;
    unsigned decimalPlaces_ = 2;
    QString displayFormat_ = QStringLiteral(",0.##");
    bool formatOnEditing_ = false;
    bool zeroEmpty_ = true;
    bool beepOnError_ = true;
    bool checkOnExit_ = false;
    bool focused_ = false;
    bool formatting_ = false;
    bool reportingExit_ = false;
    bool handlingKey_ = false;
    bool rejected_ = false;
    TFormatSettings fs_ = TFormatSettings::System();
    QString shownText_; // the edit text before the change being made
};

class TCurrencyEdit : public TCustomNumEdit {
    Q_OBJECT
public:
    explicit TCurrencyEdit(QWidget* owner = nullptr);
};
