#include "config/NumberFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace {

constexpr int maxDigits = 18;

// Decimal digits of |value| as 0.d1d2d3... * 10^exponent, taken to 18
// significant digits (the working precision of the original number texts).
struct Decimal {
    bool negative = false;
    std::string digits; // no trailing zeros; empty for zero
    int exponent = 0;   // count of digits before the decimal point
};

Decimal decompose(double value) {
    Decimal d;
    d.negative = std::signbit(value);
    if (value == 0) return d;
    // to_chars, unlike printf, ignores the C locale the toolkit may have set.
    char buf[64];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, maxDigits - 1);
    // buf reads "d.ddddde[+-]xx"
    const std::string s(buf, res.ptr);
    const auto e = s.find('e');
    d.digits = s.substr(0, 1) + s.substr(2, e - 2);
    d.exponent = std::stoi(s.substr(e + 1)) + 1;
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    return d;
}

// Keeps `count` significant digits, rounding half away from zero.
void roundTo(Decimal& d, int count) {
    if (count < 0 || d.digits.empty()) {
        d.digits.clear();
        return;
    }
    if (static_cast<int>(d.digits.size()) <= count) return;
    const bool up = d.digits[count] >= '5';
    d.digits.resize(count);
    if (up) {
        int i = count - 1;
        while (i >= 0 && d.digits[i] == '9') {
            d.digits[i] = '0';
            --i;
        }
        if (i < 0) {
            // All nines (or nothing kept, as for 0.6 to whole numbers): the carry
            // becomes a new leading digit; the zeros behind it go below.
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        } else {
            ++d.digits[i];
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
}

// Digit i of the number (0-based from the first significant one), '0' past the end.
char digitAt(const Decimal& d, int i) {
    return i >= 0 && i < static_cast<int>(d.digits.size()) ? d.digits[i] : '0';
}

QString special(double value) {
    if (std::isnan(value)) return QStringLiteral("NAN");
    return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
}

} // namespace

namespace NumberFormat {

QString formatGeneral(double value, int precision, QChar sep) {
    if (!std::isfinite(value)) return special(value);
    precision = std::clamp(precision, 1, maxDigits);
    Decimal d = decompose(value);
    roundTo(d, precision);
    if (d.digits.empty()) return QStringLiteral("0");

    QString out;
    if (d.negative) out += QLatin1Char('-');
    const int n = static_cast<int>(d.digits.size());
    if (d.exponent > precision || d.exponent < -3) {
        out += QLatin1Char(d.digits[0]);
        if (n > 1) {
            out += sep;
            out += QString::fromLatin1(d.digits.data() + 1, n - 1);
        }
        out += QLatin1Char('E');
        out += QString::number(d.exponent - 1);
        return out;
    }
    if (d.exponent <= 0) {
        out += QLatin1Char('0');
        out += sep;
        out += QString(-d.exponent, QLatin1Char('0'));
        out += QString::fromLatin1(d.digits.data(), n);
        return out;
    }
    for (int i = 0; i < d.exponent; ++i)
        out += QLatin1Char(digitAt(d, i));
    if (n > d.exponent) {
        out += sep;
        out += QString::fromLatin1(d.digits.data() + d.exponent, n - d.exponent);
    }
    return out;
}

QString formatShortest(double value, QChar sep) {
    return formatGeneral(value, 15, sep);
}

QString formatFixed(double value, int precision, int decimals, QChar sep) {
    if (!std::isfinite(value)) return special(value);
    precision = std::clamp(precision, 1, maxDigits);
    decimals = std::clamp(decimals, 0, maxDigits);
    Decimal d = decompose(value);
    roundTo(d, std::min(precision, d.exponent + decimals));
    if (!d.digits.empty() && d.exponent > precision) return formatGeneral(value, precision, sep);

    QString out;
    if (d.negative && !d.digits.empty()) out += QLatin1Char('-');
    if (d.digits.empty() || d.exponent <= 0) {
        out += QLatin1Char('0');
    } else {
        for (int i = 0; i < d.exponent; ++i)
            out += QLatin1Char(digitAt(d, i));
    }
    if (decimals > 0) {
        out += sep;
        for (int i = 0; i < decimals; ++i)
            out += QLatin1Char(d.digits.empty() ? '0' : digitAt(d, d.exponent + i));
    }
    return out;
}

double parseNumber(const QString& text, QChar sep, bool* ok) {
    if (ok) *ok = false;
    const QString t = text.trimmed();
    std::string ascii;
    ascii.reserve(t.size());
    int i = 0;
    const int n = t.size();
    auto isDigit = [&](int k) { return k < n && t.at(k) >= QLatin1Char('0') && t.at(k) <= QLatin1Char('9'); };

    if (i < n && (t.at(i) == QLatin1Char('+') || t.at(i) == QLatin1Char('-'))) {
        if (t.at(i) == QLatin1Char('-')) ascii += '-';
        ++i;
    }
    int mantissaDigits = 0;
    while (isDigit(i)) {
        ascii += static_cast<char>(t.at(i++).unicode());
        ++mantissaDigits;
    }
    if (i < n && t.at(i) == sep) {
        ascii += '.';
        ++i;
        while (isDigit(i)) {
            ascii += static_cast<char>(t.at(i++).unicode());
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) return 0;
    if (i < n && (t.at(i) == QLatin1Char('e') || t.at(i) == QLatin1Char('E'))) {
        ascii += 'e';
        ++i;
        if (i < n && (t.at(i) == QLatin1Char('+') || t.at(i) == QLatin1Char('-')))
            ascii += static_cast<char>(t.at(i++).unicode());
        if (!isDigit(i)) return 0;
        while (isDigit(i))
            ascii += static_cast<char>(t.at(i++).unicode());
    }
    if (i != n) return 0;

    double value = 0;
    const auto res = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (res.ec != std::errc() || res.ptr != ascii.data() + ascii.size() || !std::isfinite(value)) return 0;
    if (ok) *ok = true;
    return value;
}

QString withSeparator(QString text, QChar sep) {
    if (sep == u'.' || sep == u',') {
        const qsizetype at = text.indexOf(sep == u'.' ? QChar(u',') : QChar(u'.'));
        if (at >= 0) text[at] = sep;
    }
    return text;
}

std::optional<int> toInteger(const QString& text) {
    qsizetype i = 0;
    if (!text.isEmpty() && (text.front() == QLatin1Char('+') || text.front() == QLatin1Char('-'))) i = 1;
    if (i == text.size()) return std::nullopt;
    for (; i < text.size(); ++i) {
        if (text.at(i) < QLatin1Char('0') || text.at(i) > QLatin1Char('9')) return std::nullopt;
    }
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

QString integerErrorText(const QString& text) {
    return QStringLiteral("'%1' ist kein gültiger Integerwert").arg(text);
}

} // namespace NumberFormat
