// SPDX-License-Identifier: GPL-3.0-or-later
// The locale's number and currency settings, read from Qt's system locale. Qt offers the
// currency only as formatted text, so the placement codes are recovered from sample amounts.
#include "framework/FloatFormat.h"

#include <QLocale>

#include <array>

namespace {

bool IsSpace(QChar c) {
    return c.isSpace() || c == QChar(0x00A0) || c == QChar(0x202F);
}

// Reduces a formatted amount to a shape of '$' (symbol), '1' (the number), '-', ' ', '(' and ')'.
QString CurrencyShape(const QString& amount, const QLocale& locale, const QString& symbol) {
    QString text = amount;
    if (!symbol.isEmpty()) text.replace(symbol, QStringLiteral("\x01"));
    const QString minus = locale.negativeSign();
    QString shape;
    bool inNumber = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isDigit() || (inNumber && (locale.decimalPoint().contains(c) ||
                                         locale.groupSeparator().contains(c)))) {
            if (!inNumber) shape += '1';
            inNumber = true;
            continue;
        }
        inNumber = false;
        if (c == QChar(0x01)) {
            shape += '$';
        } else if (c == '-' || c == QChar(0x2212) || minus.contains(c)) {
            shape += '-';
        } else if (IsSpace(c)) {
            if (!shape.endsWith(' ')) shape += ' ';
        } else if (c == '(' || c == ')') {
            shape += c;
        }
    }
    return shape.trimmed();
}

int CurrencyDecimalsOf(const QString& amount, const QLocale& locale, const QString& symbol) {
    QString text = amount;
    if (!symbol.isEmpty()) text.remove(symbol);
    const QString point = locale.decimalPoint();
    const auto at = point.isEmpty() ? -1 : text.lastIndexOf(point);
    if (at < 0) return 0;
    int count = 0;
    for (auto i = at + point.size(); i < text.size() && text[i].isDigit(); ++i)
        ++count;
    return count;
}

} // namespace

TFormatSettings TFormatSettings::System() {
    // Read once: every formatted value would otherwise ask the locale for its currency afresh.
    static const TFormatSettings system = FromLocale(QLocale::system());
    return system;
}

TFormatSettings TFormatSettings::FromLocale(const QLocale& locale) {
    TFormatSettings fs;
    const QString point = locale.decimalPoint();
    if (!point.isEmpty()) fs.DecimalSeparator = point[0];
    const QString group = locale.groupSeparator();
    if (!group.isEmpty()) {
        fs.ThousandSeparator = group[0];
    } else {
        fs.ThousandSeparator = fs.DecimalSeparator == ',' ? '.' : ',';
    }
    fs.CurrencyString = locale.currencySymbol(QLocale::CurrencySymbol);

    const QString positive = locale.toCurrencyString(1.0);
    fs.CurrencyDecimals = CurrencyDecimalsOf(positive, locale, fs.CurrencyString);
    static const std::array<QString, 4> positiveShapes = {
        QStringLiteral("$1"), QStringLiteral("1$"), QStringLiteral("$ 1"), QStringLiteral("1 $")};
    const QString shape = CurrencyShape(positive, locale, fs.CurrencyString);
    for (std::size_t i = 0; i < positiveShapes.size(); ++i) {
        if (shape == positiveShapes[i]) fs.CurrencyFormat = static_cast<int>(i);
    }

    static const std::array<QString, 16> negativeShapes = {
        QStringLiteral("($1)"), QStringLiteral("-$1"),  QStringLiteral("$-1"),
        QStringLiteral("$1-"),  QStringLiteral("(1$)"), QStringLiteral("-1$"),
        QStringLiteral("1-$"),  QStringLiteral("1$-"),  QStringLiteral("-1 $"),
        QStringLiteral("-$ 1"), QStringLiteral("1 $-"), QStringLiteral("$ 1-"),
        QStringLiteral("$ -1"), QStringLiteral("1- $"), QStringLiteral("($ 1)"),
        QStringLiteral("(1 $)")};
    const QString negative =
        CurrencyShape(locale.toCurrencyString(-1.0), locale, fs.CurrencyString);
    // Without a known shape, the minus goes before the positive form.
    static const std::array<int, 4> fallback = {1, 5, 9, 8};
    fs.NegCurrFormat = fallback[static_cast<size_t>(fs.CurrencyFormat)];
    for (std::size_t i = 0; i < negativeShapes.size(); ++i) {
        if (negative == negativeShapes[i]) fs.NegCurrFormat = static_cast<int>(i);
    }
    return fs;
}
