// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Number formatting and conversion: the float format language of the display formats, the
// locale's separators and currency settings, the general float-to-text that the settings file
// stores, and the text-to-float of the numeric edit.

#include <QChar>
#include <QLocale>
#include <QString>

struct TFormatSettings {
    QChar DecimalSeparator = '.';
    QChar ThousandSeparator = ',';
    QString CurrencyString; // locale's currency symbol
    int CurrencyFormat = 0; // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
    int NegCurrFormat = 0;  // the platform's 0..15 negative-currency patterns
    int CurrencyDecimals = 2;
    static TFormatSettings System(); // from QLocale::system()
    static TFormatSettings FromLocale(const QLocale& locale);
};

// The format language: digit placeholders 0 and #, '.', ',', "quoted" and 'quoted' literals,
// up to three sections positive;negative;zero. The value is first taken to 18 significant
// digits, then rounded half away from zero on the decimal digits shown. An empty format gives
// the general form with 15 significant digits.
QString FormatFloat(const QString& format, long double value,
                    const TFormatSettings& fs = TFormatSettings::System());

// General format, up to 18 significant digits, '.' whatever the locale: 7.0 -> "7", 10.25 ->
// "10.25".
QString FloatToStrDot(long double value);

// Parses text with the given decimal separator (no thousand separators); false when not a number.
bool TextToFloat(const QString& text, long double& value, QChar decimalSeparator);

// The default display format of a currency edit, built from the locale's currency settings:
// ",0." and the currency decimals, the symbol placed by CurrencyFormat, used as "%s;-%s".
QString CurrencyDisplayFormat(const TFormatSettings& fs);
