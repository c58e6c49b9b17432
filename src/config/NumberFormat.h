#pragma once

#include <QChar>
#include <QString>

#include <optional>

// Number texts as the instruments' configuration files and fields use them:
// always with the configured decimal separator, never the C or Qt locale.
namespace NumberFormat {

// Fixed-point text with at most `precision` significant digits and exactly
// `decimals` digits after the separator, rounded half away from zero (for
// example 1234.5 at precision 4, 0 decimals gives "1235"; 0.125 at precision
// 3, 2 decimals gives "0,13"). A value that needs more integer digits than
// `precision` falls back to exponent form as formatGeneral writes it
// ("1,235E4"). Zero is never written with a minus sign.
QString formatFixed(double value, int precision, int decimals, QChar sep);

// General form with `precision` significant digits, trailing zeros removed:
// plain decimals while the integer digits fit the precision and the value is
// at least 0.0001, else mantissa and exponent without leading zeros or plus
// sign ("1,5E20", "1E-6").
QString formatGeneral(double value, int precision, QChar sep);

// Shortest decimal notation: formatGeneral with 15 significant digits.
QString formatShortest(double value, QChar sep);

// Reads a number written with `sep` as decimal separator: surrounding blanks,
// an optional sign, digits with at most one separator, an optional exponent
// ("E" or "e", optional sign, digits). Anything else (another separator,
// thousands grouping, trailing text, "inf", "nan") does not parse: the result
// is then 0 and *ok is false.
double parseNumber(const QString& text, QChar sep, bool* ok = nullptr);

// `text` with its first separator of the other kind ("." for "," and the
// reverse) read as `sep`, as the field rules take what the user typed.
QString withSeparator(QString text, QChar sep);

// Strict whole-number conversion of stored or read text: an optional sign and decimal
// digits, nothing else (no blanks); nullopt when it is not such a number or out of range.
std::optional<int> toInteger(const QString& text);
// The message for text that should have been a whole number.
QString integerErrorText(const QString& text);

} // namespace NumberFormat
