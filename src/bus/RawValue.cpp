#include "bus/RawValue.h"

#include "config/NumberFormat.h"
#include "config/NumericEdit.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace bus {

namespace {

constexpr int kMinCounts = -1999;
constexpr int kMaxCounts = 9999;

// A library answer is untrusted: a value that is no number shows as 0.
double finiteOrZero(double v) {
    return std::isfinite(v) ? v : 0.0;
}

void fillIfEmpty(ConfigActions& actions, NumericField& field) {
    if (field.text.isEmpty()) actions.emptyFieldNotice(field, field.name);
}

void writeClamped(ConfigActions& actions, NumericField& field, double value, double low, double high) {
    const int d = field.Nachkommastellen;
    if (value > high) value = high;
    if (value < low) value = low;
    field.text = NumberFormat::formatFixed(value, field.Vorkommastellen + d, d, actions.separatorFor(field));
}

} // namespace

void showRawValue(ConfigActions& actions, NumericField& field, int32_t raw) {
    fillIfEmpty(actions, field);
    const double scale = std::pow(10.0, field.Nachkommastellen);
    writeClamped(actions, field, raw / scale, kMinCounts / scale, kMaxCounts / scale);
}

void showFixed(ConfigActions& actions, NumericField& field, double value, int precision, int decimals) {
    field.text =
        NumberFormat::formatFixed(finiteOrZero(value), precision, decimals, actions.separatorFor(field));
}

void clampShown(ConfigActions& actions, NumericField& field, double low, double high) {
    fillIfEmpty(actions, field);
    const QChar sep = actions.separatorFor(field);
    QString text = field.text;
    const QChar other = sep == u'.' ? QChar(u',') : QChar(u'.');
    const qsizetype at = text.indexOf(other);
    if (at >= 0) text[at] = sep;
    // Text that is no number (pasted before the readout) is taken as 0.
    const double value = NumberFormat::parseNumber(text, sep);
    writeClamped(actions, field, finiteOrZero(value), low, high);
}

int32_t rawValueOf(double number, int decimals) {
    if (std::isnan(number)) return 0;
    const double product = number * std::pow(10.0, decimals);
    const double nearest = std::round(product);
    const double tolerance = 1e-12 * std::max(1.0, std::fabs(product));
    const double whole = std::fabs(product - nearest) <= tolerance ? nearest : std::trunc(product);
    constexpr double lowest = std::numeric_limits<int32_t>::min();
    constexpr double highest = std::numeric_limits<int32_t>::max();
    if (!(whole > lowest)) return std::numeric_limits<int32_t>::min();
    if (!(whole < highest)) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(whole);
}

int32_t rawValueOf(const NumericField& field) {
    return rawValueOf(NumericEdit::GetDouble(field), field.Nachkommastellen);
}

} // namespace bus
