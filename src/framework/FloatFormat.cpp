// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/FloatFormat.h"

#include <QLocale>

#include <charconv>
#include <cmath>
#include <string>
#include <vector>

namespace {

// A finite value as decimal digits: |value| = 0.Digits x 10^Exponent. No leading or trailing
// zero digits; empty Digits means zero.
struct TDecimal {
    std::string Digits;
    int Exponent = 0;
    bool Negative = false;

    bool IsZero() const { return Digits.empty(); }
    // The digit at a position counted from the first significant one; zero outside them.
    char DigitAt(long index) const {
        return index >= 0 && index < static_cast<long>(Digits.size())
                   ? Digits[static_cast<size_t>(index)]
                   : '0';
    }
};

void StripTrailingZeros(TDecimal& d) {
    while (!d.Digits.empty() && d.Digits.back() == '0')
        d.Digits.pop_back();
    if (d.Digits.empty()) d.Exponent = 0;
}

// Takes a finite value to the given number of significant digits (correctly rounded).
TDecimal ToDecimal(long double value, int significant) {
    TDecimal d;
    d.Negative = std::signbit(value);
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value),
                                   std::chars_format::scientific, significant - 1);
    const std::string text(buf, res.ptr);
    const auto e = text.find('e');
    for (std::size_t i = 0; i < e; ++i) {
        if (text[i] >= '0' && text[i] <= '9') d.Digits += text[i];
    }
    d.Exponent = std::stoi(text.substr(e + 1)) + 1;
    StripTrailingZeros(d);
    return d;
}

// Keeps fracDigits digits after the decimal point, an exact half going away from zero.
TDecimal RoundDecimal(TDecimal d, int fracDigits) {
    const long keep = static_cast<long>(d.Exponent) + fracDigits;
    if (keep >= static_cast<long>(d.Digits.size())) return d;
    if (keep < 0) {
        d.Digits.clear();
        d.Exponent = 0;
        return d;
    }
    const bool roundUp = d.Digits[static_cast<size_t>(keep)] >= '5';
    d.Digits.resize(static_cast<size_t>(keep));
    if (roundUp) {
        long i = keep - 1;
        while (i >= 0 && d.Digits[static_cast<size_t>(i)] == '9')
            d.Digits[static_cast<size_t>(i--)] = '0';
        if (i < 0) {
            d.Digits.insert(d.Digits.begin(), '1');
            ++d.Exponent;
        } else {
            ++d.Digits[static_cast<size_t>(i)];
        }
    }
    StripTrailingZeros(d);
    return d;
}

// The general form: fixed notation unless the exponent is out of reach of the precision,
// then d.dddE[-]x.
QString GeneralFormat(long double value, int precision, QChar decimalSeparator) {
    if (std::isnan(value)) return QStringLiteral("NAN");
    if (std::isinf(value)) return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    const TDecimal d = ToDecimal(value, precision);
    if (d.IsZero()) return QStringLiteral("0");
    QString out;
    if (d.Negative) out += '-';
    const int digits = static_cast<int>(d.Digits.size());
    if (d.Exponent > precision || d.Exponent < -3) {
        out += QChar(d.Digits[0]);
        if (digits > 1) {
            out += decimalSeparator;
            out += QString::fromLatin1(d.Digits.data() + 1, digits - 1);
        }
        out += 'E';
        out += QString::number(d.Exponent - 1);
        return out;
    }
    if (d.Exponent <= 0) {
        out += '0';
        out += decimalSeparator;
        out += QString(-d.Exponent, '0');
        out += QString::fromLatin1(d.Digits.data(), digits);
        return out;
    }
    for (int i = 0; i < d.Exponent; ++i)
        out += QChar(d.DigitAt(i));
    if (digits > d.Exponent) {
        out += decimalSeparator;
        out += QString::fromLatin1(d.Digits.data() + d.Exponent, digits - d.Exponent);
    }
    return out;
}

// Splits a format into its sections at the semicolons outside quoted literals.
std::vector<QString> SplitSections(const QString& format) {
    std::vector<QString> sections(1);
    QChar quote;
    for (const QChar c : format) {
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';') {
            sections.emplace_back();
            continue;
        }
        sections.back() += c;
    }
    return sections;
}

// What a section asks for: its digit placeholders around the decimal point.
struct TSectionLayout {
    int IntPlaceholders = 0;
    int MinIntDigits = 0;
    int FracPlaceholders = 0;
    int MinFracDigits = 0;
    bool HasPoint = false;
    bool Thousands = false;
};

TSectionLayout AnalyseSection(const QString& section) {
    TSectionLayout s;
    int firstIntZero = -1;
    QChar quote;
    for (const QChar c : section) {
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '0' || c == '#') {
            if (!s.HasPoint) {
                if (c == '0' && firstIntZero < 0) firstIntZero = s.IntPlaceholders;
                ++s.IntPlaceholders;
            } else {
                ++s.FracPlaceholders;
                if (c == '0') s.MinFracDigits = s.FracPlaceholders;
            }
        } else if (c == '.') {
            s.HasPoint = true;
        } else if (c == ',') {
            s.Thousands = true;
        }
    }
    if (firstIntZero >= 0) s.MinIntDigits = s.IntPlaceholders - firstIntZero;
    return s;
}

// Formats an already rounded value with one section; the sign is the caller's business.
QString RenderSection(const QString& section, const TSectionLayout& s, const TDecimal& d,
                      const TFormatSettings& fs) {
    QString intDigits;
    for (int i = 0; i < d.Exponent; ++i)
        intDigits += QChar(d.DigitAt(i));
    if (intDigits.size() < s.MinIntDigits) {
        intDigits.prepend(QString(s.MinIntDigits - intDigits.size(), '0'));
    }
    QString fracDigits;
    for (int i = 0; i < s.FracPlaceholders; ++i) {
        fracDigits += QChar(d.DigitAt(static_cast<long>(d.Exponent) + i));
    }
    while (fracDigits.size() > s.MinFracDigits && fracDigits.endsWith('0'))
        fracDigits.chop(1);

    // Each integer digit with the group separator that follows it.
    const int n = static_cast<int>(intDigits.size());
    std::vector<QString> pieces;
    pieces.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        QString piece(intDigits[i]);
        const int right = n - 1 - i;
        if (s.Thousands && right > 0 && right % 3 == 0) piece += fs.ThousandSeparator;
        pieces.push_back(piece);
    }

    QString out;
    int intSlot = 0;
    int fracSlot = 0;
    bool pointDone = false;
    QChar quote;
    for (const QChar c : section) {
        if (!quote.isNull()) {
            if (c == quote) {
                quote = QChar();
            } else {
                out += c;
            }
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
        } else if ((c == '0' || c == '#') && !pointDone) {
            // Digits beyond the placeholders all go to the first one.
            const int first = n - s.IntPlaceholders + intSlot;
            for (int k = intSlot == 0 ? 0 : first; k <= first; ++k) {
                if (k >= 0) out += pieces[static_cast<size_t>(k)];
            }
            ++intSlot;
        } else if (c == '0' || c == '#') {
            if (fracSlot < fracDigits.size()) out += fracDigits[fracSlot];
            ++fracSlot;
        } else if (c == '.') {
            if (pointDone) continue;
            pointDone = true;
            if (s.IntPlaceholders == 0) {
                for (const QString& piece : pieces)
                    out += piece;
            }
            if (!fracDigits.isEmpty()) out += fs.DecimalSeparator;
        } else if (c != ',') {
            out += c;
        }
    }
    return out;
}

bool IsBlankSection(const std::vector<QString>& sections, std::size_t index) {
    return index >= sections.size() || sections[index].isEmpty();
}

} // namespace

QString FormatFloat(const QString& format, long double value, const TFormatSettings& fs) {
    if (format.isEmpty() || !std::isfinite(value)) {
        return GeneralFormat(value, 15, fs.DecimalSeparator);
    }
    const TDecimal exact = ToDecimal(value, 18);
    if (exact.Exponent > 18) return GeneralFormat(value, 15, fs.DecimalSeparator);

    const std::vector<QString> sections = SplitSections(format);
    const TSectionLayout first = AnalyseSection(sections[0]);
    const TDecimal rounded = RoundDecimal(exact, first.FracPlaceholders);
    if (rounded.IsZero()) {
        if (!IsBlankSection(sections, 2)) {
            return RenderSection(sections[2], AnalyseSection(sections[2]), TDecimal{}, fs);
        }
        return RenderSection(sections[0], first, TDecimal{}, fs);
    }
    if (exact.Negative && !IsBlankSection(sections, 1)) {
        const TSectionLayout negative = AnalyseSection(sections[1]);
        return RenderSection(sections[1], negative, RoundDecimal(exact, negative.FracPlaceholders),
                             fs);
    }
    const QString text = RenderSection(sections[0], first, rounded, fs);
    return exact.Negative ? QLatin1Char('-') + text : text;
}

QString FloatToStrDot(long double value) {
    return GeneralFormat(value, 18, '.');
}

bool TextToFloat(const QString& text, long double& value, QChar decimalSeparator) {
    const QString t = text.trimmed();
    std::string plain;
    plain.reserve(static_cast<size_t>(t.size()));
    int i = 0;
    const int size = static_cast<int>(t.size());
    bool negative = false;
    if (i < size && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
    int mantissaDigits = 0;
    while (i < size && t[i].isDigit() && t[i].unicode() < 128) {
        plain += static_cast<char>(t[i++].unicode());
        ++mantissaDigits;
    }
    if (i < size && t[i] == decimalSeparator) {
        plain += '.';
        ++i;
        while (i < size && t[i].isDigit() && t[i].unicode() < 128) {
            plain += static_cast<char>(t[i++].unicode());
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) return false;
    if (i < size && (t[i] == 'e' || t[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < size && (t[i] == '+' || t[i] == '-')) plain += static_cast<char>(t[i++].unicode());
        int expDigits = 0;
        while (i < size && t[i].isDigit() && t[i].unicode() < 128) {
            plain += static_cast<char>(t[i++].unicode());
            ++expDigits;
        }
        if (expDigits == 0) return false;
    }
    if (i != size) return false;
    long double parsed = 0;
    const auto res = std::from_chars(plain.data(), plain.data() + plain.size(), parsed);
    if (res.ec != std::errc() || res.ptr != plain.data() + plain.size()) return false;
    value = negative ? -parsed : parsed;
    return true;
}

QString CurrencyDisplayFormat(const TFormatSettings& fs) {
    QString number = QStringLiteral(",0.");
    if (fs.CurrencyDecimals > 0) number += QString(fs.CurrencyDecimals, '0');
    QString symbol;
    for (const QChar c : fs.CurrencyString) {
        if (c == '.' || c == ',') {
            symbol += '\'';
            symbol += c;
            symbol += '\'';
        } else {
            symbol += c;
        }
    }
    QString f;
    switch (fs.CurrencyFormat) {
    case 1:
        f = number + symbol;
        break;
    case 2:
        f = symbol + ' ' + number;
        break;
    case 3:
        f = number + ' ' + symbol;
        break;
    default:
        f = symbol + number;
        break;
    }
    return f + QStringLiteral(";-") + f;
}
