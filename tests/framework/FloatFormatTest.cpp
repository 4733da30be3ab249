// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/FloatFormat.h"

#include <gtest/gtest.h>

namespace {

TFormatSettings Dot() {
    return TFormatSettings{};
}

TFormatSettings Comma() {
    TFormatSettings fs;
    fs.DecimalSeparator = ',';
    fs.ThousandSeparator = '.';
    return fs;
}

QString Fmt(const char* format, long double value, const TFormatSettings& fs = Dot()) {
    return FormatFloat(QString::fromUtf8(format), value, fs);
}

} // namespace

TEST(FormatFloat, FrequencyDisplayWithQuotedUnit) {
    const char* format = "0.0,' Гц'";
    EXPECT_EQ(Fmt(format, 7.0L), QString::fromUtf8("7.0 Гц"));
    EXPECT_EQ(Fmt(format, 12.345L), QString::fromUtf8("12.3 Гц"));
    EXPECT_EQ(Fmt(format, 0.1L), QString::fromUtf8("0.1 Гц"));
    EXPECT_EQ(Fmt(format, 35.0L, Comma()), QString::fromUtf8("35,0 Гц"));
}

TEST(FormatFloat, EditTextShowsOnlySignificantDecimals) {
    EXPECT_EQ(Fmt("0.###", 7.0L), "7");
    EXPECT_EQ(Fmt("0.###", 7.25L), "7.25");
    EXPECT_EQ(Fmt("0.###", 0.1L), "0.1");
    EXPECT_EQ(Fmt("0.###", 0.1), "0.1"); // a double's binary tail stays below the shown digits
    EXPECT_EQ(Fmt("0.###", 7.1234L), "7.123");
    EXPECT_EQ(Fmt("0.###", 7.25L, Comma()), "7,25");
    EXPECT_EQ(Fmt("0.###", 0.0L), "0");
}

TEST(FormatFloat, HalvesRoundAwayFromZeroOnTheShownDigits) {
    EXPECT_EQ(Fmt("0.00", 0.125L), "0.13");
    EXPECT_EQ(Fmt("0", 2.5L), "3");
    EXPECT_EQ(Fmt("0", -2.5L), "-3");
    EXPECT_EQ(Fmt("0.0", 12.25L), "12.3");
    // 1.005 and 2.675 are stored a hair off the half; the 18-digit step first makes them exact.
    EXPECT_EQ(Fmt("0.00", 1.005L), "1.01");
    EXPECT_EQ(Fmt("0.00", 2.675L), "2.68");
    EXPECT_EQ(Fmt("0.00", 2.675), "2.67"); // a double is further off than 18 digits can hide
    EXPECT_EQ(Fmt("0.00", 9.999L), "10.00");
    EXPECT_EQ(Fmt("#.##", 0.999L), "1");
    EXPECT_EQ(Fmt("0.0", 0.04L), "0.0");
}

TEST(FormatFloat, ThousandSeparatorsFollowTheLocale) {
    EXPECT_EQ(Fmt(",0.00", 1234567.891L), "1,234,567.89");
    EXPECT_EQ(Fmt(",0.00", 1234567.891L, Comma()), "1.234.567,89");
    EXPECT_EQ(Fmt("#,##0", 999.0L), "999");
    EXPECT_EQ(Fmt("#,##0", 1000.0L), "1,000");
    EXPECT_EQ(Fmt("#,##0", -1234.0L), "-1,234");
    EXPECT_EQ(Fmt("0.00", 1234.5L), "1234.50");
}

TEST(FormatFloat, DigitPlaceholdersAndLiterals) {
    EXPECT_EQ(Fmt("00", 12345.0L), "12345");
    EXPECT_EQ(Fmt("000", 5.0L), "005");
    EXPECT_EQ(Fmt("#", 0.0L), "");
    EXPECT_EQ(Fmt("0-0", 12.0L), "1-2");
    EXPECT_EQ(Fmt("0-0", 123.0L), "12-3");
    EXPECT_EQ(Fmt("0-0", 5.0L), "0-5");
    EXPECT_EQ(Fmt(".00", 0.5L), ".50");
    EXPECT_EQ(Fmt(".00", 12.5L), "12.50");
    EXPECT_EQ(Fmt("\"Total: \"0", 5.0L), "Total: 5");
    EXPECT_EQ(Fmt("'#0.;'0", 5.0L), "#0.;5");
    EXPECT_EQ(Fmt("0 Hz", 5.0L), "5 Hz");
}

TEST(FormatFloat, SectionsForNegativeAndZero) {
    const char* format = "0.00;(0.00);'zero'";
    EXPECT_EQ(Fmt(format, 1.5L), "1.50");
    EXPECT_EQ(Fmt(format, -1.5L), "(1.50)");
    EXPECT_EQ(Fmt(format, 0.0L), "zero");
    EXPECT_EQ(Fmt(format, 0.001L), "zero");
    EXPECT_EQ(Fmt(format, -0.001L), "zero");
    EXPECT_EQ(Fmt("0;", -3.0L), "-3");        // an empty negative section means the first
    EXPECT_EQ(Fmt("0.0;-0.0;", 0.0L), "0.0"); // an empty zero section too
    EXPECT_EQ(Fmt("0.0;;'nil'", -2.0L), "-2.0");
    EXPECT_EQ(Fmt("0.0;\"a;b\"0", -2.0L), "a;b2"); // a quoted semicolon splits nothing
}

TEST(FormatFloat, EmptyFormatHugeAndNonFiniteValues) {
    EXPECT_EQ(Fmt("", 1.5L, Comma()), "1,5");
    EXPECT_EQ(Fmt("", 7.0L), "7");
    EXPECT_EQ(Fmt("0", 1e20L), "1E20");
    EXPECT_EQ(Fmt("0.00", std::numeric_limits<long double>::quiet_NaN()), "NAN");
    EXPECT_EQ(Fmt("0.00", -std::numeric_limits<long double>::infinity()), "-INF");
    EXPECT_EQ(Fmt("0.00", std::numeric_limits<long double>::denorm_min()), "0.00");
    EXPECT_EQ(Fmt("0", -std::numeric_limits<long double>::max()).left(3), "-1.");
}

TEST(FloatToStrDot, GeneralFormWithUpTo18Digits) {
    EXPECT_EQ(FloatToStrDot(7.0L), "7");
    EXPECT_EQ(FloatToStrDot(10.25L), "10.25");
    EXPECT_EQ(FloatToStrDot(0.1L), "0.1");
    EXPECT_EQ(FloatToStrDot(-0.5L), "-0.5");
    EXPECT_EQ(FloatToStrDot(0.0L), "0");
    EXPECT_EQ(FloatToStrDot(-0.0L), "0");
    EXPECT_EQ(FloatToStrDot(1.0L / 3.0L), "0.333333333333333333");
    EXPECT_EQ(FloatToStrDot(0.0001L), "0.0001");
    EXPECT_EQ(FloatToStrDot(0.00001L), "1E-5");
    EXPECT_EQ(FloatToStrDot(0.000015L), "1.5E-5");
    EXPECT_EQ(FloatToStrDot(123456789012345678.0L), "123456789012345678");
    EXPECT_EQ(FloatToStrDot(1e18L), "1E18");
}

TEST(TextToFloat, AcceptsPlainNumbersWithTheGivenSeparator) {
    long double v = 0;
    ASSERT_TRUE(TextToFloat("7.25", v, '.'));
    EXPECT_EQ(v, 7.25L);
    ASSERT_TRUE(TextToFloat("7,25", v, ','));
    EXPECT_EQ(v, 7.25L);
    ASSERT_TRUE(TextToFloat("  12 ", v, '.'));
    EXPECT_EQ(v, 12.0L);
    ASSERT_TRUE(TextToFloat("-1e3", v, '.'));
    EXPECT_EQ(v, -1000.0L);
    ASSERT_TRUE(TextToFloat("+.5", v, '.'));
    EXPECT_EQ(v, 0.5L);
    ASSERT_TRUE(TextToFloat("5.", v, '.'));
    EXPECT_EQ(v, 5.0L);
    ASSERT_TRUE(TextToFloat("-0", v, '.'));
    EXPECT_TRUE(v == 0.0L && std::signbit(v));
    ASSERT_TRUE(TextToFloat("0.1", v, '.'));
    EXPECT_EQ(v, 0.1L); // parsed in extended precision, not through a double
}

TEST(TextToFloat, RefusesEverythingElseAndKeepsTheValue) {
    const char* bad[] = {"",   "-",       ".",   "7.25.", "1e",  "1e+", "1,234", "abc",
                         "1x", "1e99999", "nan", "inf",   "--1", "1 2", "٣"};
    for (const char* text : bad) {
        long double v = 42.0L;
        EXPECT_FALSE(TextToFloat(QString::fromUtf8(text), v, '.')) << text;
        EXPECT_EQ(v, 42.0L) << text;
    }
    long double v = 42.0L;
    EXPECT_FALSE(TextToFloat("7.25", v, ','));
}

TEST(TextToFloat, ReadsBackWhatFloatToStrDotWrites) {
    for (long double x : {7.0L, 10.25L, 0.1L, 35.0L, 12.345L, -0.001L, 1e-7L, 6.02e23L}) {
        long double back = 0;
        ASSERT_TRUE(TextToFloat(FloatToStrDot(x), back, '.')) << FloatToStrDot(x).toStdString();
        EXPECT_EQ(FloatToStrDot(back), FloatToStrDot(x));
    }
}

TEST(CurrencyDisplayFormat, PlacesTheSymbolAndQuotesItsSeparators) {
    TFormatSettings fs;
    fs.CurrencyString = "$";
    fs.CurrencyFormat = 0;
    EXPECT_EQ(CurrencyDisplayFormat(fs), "$,0.00;-$,0.00");
    EXPECT_EQ(FormatFloat(CurrencyDisplayFormat(fs), -1234.5L, fs), "-$1,234.50");

    fs.CurrencyString = "kr.";
    fs.CurrencyFormat = 3;
    EXPECT_EQ(CurrencyDisplayFormat(fs), ",0.00 kr'.';-,0.00 kr'.'");
    EXPECT_EQ(FormatFloat(CurrencyDisplayFormat(fs), 1234.5L, Comma()), "1.234,50 kr.");

    fs.CurrencyString = QString::fromUtf8("€");
    fs.CurrencyFormat = 2;
    fs.CurrencyDecimals = 0;
    EXPECT_EQ(CurrencyDisplayFormat(fs), QString::fromUtf8("€ ,0.;-€ ,0."));
    EXPECT_EQ(FormatFloat(CurrencyDisplayFormat(fs), 12.6L, fs), QString::fromUtf8("€ 13"));

    fs.CurrencyFormat = 1;
    EXPECT_EQ(CurrencyDisplayFormat(fs), QString::fromUtf8(",0.€;-,0.€"));
}

TEST(FormatSettings, CurrencyFormatMatchesTheLocalesOwnAmounts) {
    // Qt spaces amounts with no-break spaces where the format has plain ones.
    const auto plainSpaces = [](QString s) {
        for (QChar& c : s) {
            if (c.isSpace() || c == QChar(0x00A0) || c == QChar(0x202F)) c = ' ';
        }
        return s;
    };
    for (const char* name : {"en_US", "de_DE", "fr_FR", "ja_JP", "de_CH", "nl_NL", "pt_BR"}) {
        const QLocale locale(QString::fromLatin1(name));
        const TFormatSettings fs = TFormatSettings::FromLocale(locale);
        EXPECT_EQ(fs.DecimalSeparator, locale.decimalPoint().at(0)) << name;
        EXPECT_EQ(plainSpaces(FormatFloat(CurrencyDisplayFormat(fs), 1234567.5L, fs)),
                  plainSpaces(locale.toCurrencyString(1234567.5)))
            << name << " " << CurrencyDisplayFormat(fs).toStdString();
    }
    const TFormatSettings us = TFormatSettings::FromLocale(QLocale("en_US"));
    EXPECT_EQ(us.CurrencyString, "$");
    EXPECT_EQ(us.CurrencyFormat, 0);
    EXPECT_EQ(us.CurrencyDecimals, 2);
    const TFormatSettings de = TFormatSettings::FromLocale(QLocale("de_DE"));
    EXPECT_EQ(de.CurrencyFormat, 3);
    EXPECT_EQ(de.NegCurrFormat, 8);
    EXPECT_EQ(TFormatSettings::FromLocale(QLocale("ja_JP")).CurrencyDecimals, 0);
}
