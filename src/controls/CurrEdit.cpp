// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/CurrEdit.h"

#include "framework/Application.h"
#include "framework/Exception.h"

#include <QFontMetrics>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>
#include <cstdio>

namespace {

// The edit text never shows more decimals than an extended value holds; a larger
// DecimalPlaces only widens what typing accepts.
constexpr unsigned kMostEditDecimals = 18;

QString Fixed(long double value, unsigned places, QChar decimalSeparator) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, "%.*Lf", static_cast<int>(std::min(places, 30u)), value);
    QString text = QString::fromLatin1(buffer);
    text.replace(QLatin1Char('.'), decimalSeparator);
    return text;
}

} // namespace

TCustomComboEdit::TCustomComboEdit(QWidget* owner) : QLineEdit(owner) {}

void TCustomComboEdit::SetAlignment(TAlignment value) {
    alignment_ = value;
    update();
}

void TCustomComboEdit::SetColor(const QColor& color) {
    SetBackground(*this, color);
}

TCustomNumEdit::TCustomNumEdit(QWidget* owner) : TCustomComboEdit(owner) {
    // A text change runs the owner's OnChange: an entry from Qt like any event.
    connect(this, &QLineEdit::textChanged, this, [this] { Guard([this] { TextChanged(); }); });
    InstallInputCheck();
    TCustomComboEdit::SetAlignment(taRightJustify);
    ApplyEditAlignment();
    RebuildQuietly();
}

TCurrencyEdit::TCurrencyEdit(QWidget* owner) : TCustomNumEdit(owner) {
    SetDisplayFormat(CurrencyDisplayFormat(FormatSettings()));
}

// Conversion and range

QString TCustomNumEdit::Normalized(const QString& text) const {
    QString s = text.trimmed();
    const QChar dec = fs_.DecimalSeparator;
    const QChar thousand = fs_.ThousandSeparator;
    if (thousand != dec) s.remove(thousand);
    if (dec != QLatin1Char('.') && thousand != QLatin1Char('.')) s.replace(QLatin1Char('.'), dec);
    if (dec != QLatin1Char(',') && thousand != QLatin1Char(',')) s.replace(QLatin1Char(','), dec);
    if (s.isEmpty()) return QStringLiteral("0");
    if (s == QLatin1String("-")) return QStringLiteral("-0");
    return s;
}

long double TCustomNumEdit::TextToValue(const QString& text) const {
    long double value = 0;
    if (!TextToFloat(text, value, fs_.DecimalSeparator)) {
        throw EConvertError(Msg::NotValidFloat, {text.toStdString()});
    }
    return value;
}

long double TCustomNumEdit::CheckValue(long double value, bool raise) const {
    long double limited = value;
    if (maxValue_ > minValue_) {
        limited = std::clamp(value, minValue_, maxValue_);
    } else if (maxValue_ < minValue_) {
        if (maxValue_ == 0) {
            if (value < minValue_) limited = minValue_;
        } else if (minValue_ == 0 && value > maxValue_) {
            limited = maxValue_;
        }
    }
    if (raise && limited != value) {
        std::string pattern = MessageText(Msg::ValueBetween);
        for (auto at = pattern.find("%d"); at != std::string::npos; at = pattern.find("%d")) {
            pattern.replace(at, 2, "%s");
        }
        throw Exception(FormatText(
            pattern, {Fixed(minValue_, decimalPlaces_, fs_.DecimalSeparator).toStdString(),
                      Fixed(maxValue_, decimalPlaces_, fs_.DecimalSeparator).toStdString()}));
    }
    return limited;
}

void TCustomNumEdit::UpdateValueFromText() {
    value_ = CheckValue(TextToValue(Normalized(text())), false);
}

long double TCustomNumEdit::Value() {
    try {
        UpdateValueFromText();
    } catch (const EConvertError&) {
        value_ = minValue_;
    }
    return value_;
}

void TCustomNumEdit::SetValue(long double value) {
    const long double limited = CheckValue(value, false);
    if (limited == value_) return;
    value_ = limited;
    RebuildEditText();
    update();
}

void TCustomNumEdit::SetText(const QString& value) {
    value_ = CheckValue(TextToValue(Normalized(value)), false);
    RebuildEditText();
    update();
}

void TCustomNumEdit::SetMinValue(long double value) {
    if (value == minValue_) return;
    minValue_ = value;
    SetValue(value_);
}

void TCustomNumEdit::SetMaxValue(long double value) {
    if (value == maxValue_) return;
    maxValue_ = value;
    SetValue(value_);
}

// Texts

QString TCustomNumEdit::EditFormat() const {
    QString format = QStringLiteral("0");
    const unsigned places = std::min(decimalPlaces_, kMostEditDecimals);
    if (places > 0) format += QLatin1Char('.') + QString(static_cast<qsizetype>(places), '#');
    return format;
}

void TCustomNumEdit::RebuildEditText() {
    const QString edit =
        (value_ == 0 && zeroEmpty_) ? QString() : FormatFloat(EditFormat(), value_, fs_);
    if (edit != text()) setText(edit);
}

void TCustomNumEdit::RebuildQuietly() {
    const bool was = formatting_;
    formatting_ = true;
    RebuildEditText();
    formatting_ = was;
}

QString TCustomNumEdit::DisplayText() const {
    return FormatFloat(displayFormat_, value_, fs_);
}

void TCustomNumEdit::SetDecimalPlaces(unsigned value) {
    if (value == decimalPlaces_) return;
    decimalPlaces_ = value;
    RebuildEditText();
    update();
}

void TCustomNumEdit::SetDisplayFormat(const QString& value) {
    if (value == displayFormat_) return;
    displayFormat_ = value;
    RebuildEditText();
    update();
}

void TCustomNumEdit::SetZeroEmpty(bool value) {
    if (value == zeroEmpty_) return;
    zeroEmpty_ = value;
    RebuildEditText();
}

void TCustomNumEdit::SetFormatSettings(const TFormatSettings& fs) {
    fs_ = fs;
    RebuildQuietly();
    update();
}

void TCustomNumEdit::SetAlignment(TAlignment value) {
    TCustomComboEdit::SetAlignment(value);
    ApplyEditAlignment();
}

void TCustomNumEdit::ApplyEditAlignment() {
    Qt::Alignment a = Qt::AlignLeft;
    if (formatOnEditing_) {
        a = Alignment() == taCenter         ? Qt::AlignHCenter
            : Alignment() == taRightJustify ? Qt::AlignRight
                                            : Qt::AlignLeft;
    }
    setAlignment(a | Qt::AlignVCenter);
}

void TCustomNumEdit::SetFormatOnEditing(bool value) {
    if (value == formatOnEditing_) return;
    formatOnEditing_ = value;
    ApplyEditAlignment();
    if (!hasFocus()) return;
    if (value) {
        ReformatEditText();
    } else {
        Value();
        RebuildQuietly();
    }
}

void TCustomNumEdit::ReformatEditText() {
    QString s = text();
    if (s.isEmpty() || s == QLatin1String("-")) return;
    const auto fromEnd = s.size() - cursorPosition();
    s = Normalized(s);
    const QChar thousand = fs_.ThousandSeparator;
    if (displayFormat_.contains(QLatin1Char(',')) && thousand != fs_.DecimalSeparator) {
        const qsizetype start = (s.startsWith('+') || s.startsWith('-')) ? 1 : 0;
        qsizetype end = s.size();
        const qsizetype dec = s.indexOf(fs_.DecimalSeparator);
        const qsizetype exp = s.indexOf(QLatin1Char('E'), 0, Qt::CaseInsensitive);
        if (dec >= 0) end = dec;
        if (exp >= 0 && exp < end) end = exp;
        for (qsizetype i = end - 3; i > start; i -= 3)
            s.insert(i, thousand);
    }
    const bool was = formatting_;
    formatting_ = true;
    setText(s);
    formatting_ = was;
    setCursorPosition(static_cast<int>(std::max<qsizetype>(0, s.size() - fromEnd)));
}

void TCustomNumEdit::TextChanged() {
    shownText_ = text();
    if (formatting_) return;
    if (formatOnEditing_ && focused_) ReformatEditText();
    if (OnChange) OnChange(this);
}

QRect TCustomNumEdit::TextArea() const {
    QStyleOptionFrame frame;
    initStyleOption(&frame);
    return style()
        ->subElementRect(QStyle::SE_LineEditContents, &frame, this)
        .marginsRemoved(textMargins());
}

int TCustomNumEdit::DisplayTextLeft() const {
    const QRect client = TextArea();
    const int tw = QFontMetrics(font()).horizontalAdvance(DisplayText());
    constexpr int kLeftMargin = 2;
    switch (Alignment()) {
    case taLeftJustify:
        return client.left() + kLeftMargin;
    case taRightJustify:
        return client.left() + client.width() - ButtonWidth() - tw - kLeftMargin - 2;
    case taCenter:
        break;
    }
    return client.left() + (client.width() - ButtonWidth() - tw) / 2;
}
