#include "config/ExtendedWords.h"

namespace extendedwords {

namespace {
constexpr char16_t kLineFeed = 10;
constexpr char16_t kBackspace = 8;
constexpr char16_t kCarriageReturn = 13;
constexpr int kSaturation = 1000000;

bool isPlainDigits(const QString& text) {
    if (text.isEmpty()) return false;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    }
    return true;
}
} // namespace

bool keyAccepted(int length, QChar key) {
    const char16_t k = key.unicode();
    if (k == kLineFeed || k == kBackspace || k == kCarriageReturn) return true;
    if (length <= 1) return k >= u'0' && k <= u'9';
    if (length == 2) return k >= u'0' && k <= u'5';
    return false;
}

std::optional<int> parse(const QString& text) {
    QString t = text.trimmed();
    bool negative = false;
    if (t.startsWith(QLatin1Char('+')) || t.startsWith(QLatin1Char('-'))) {
        negative = t.at(0) == QLatin1Char('-');
        t.remove(0, 1);
    }
    if (!isPlainDigits(t)) return std::nullopt;
    int value = 0;
    for (QChar c : t) {
        value = value * 10 + (c.unicode() - u'0');
        if (value >= kSaturation) {
            value = kSaturation;
            break;
        }
    }
    return negative ? -value : value;
}

std::optional<int> wordValue(const QString& text) {
    const std::optional<int> v = parse(text);
    if (!v || *v < 0 || *v > kMaxWord) return std::nullopt;
    return v;
}

Normalised normalise(const QString& text) {
    if (text.isEmpty() || text == QLatin1String("0")) return {QStringLiteral("0"), true};
    const std::optional<int> v = parse(text);
    if (!v) return {QStringLiteral("0"), false};
    if (*v > kMaxWord) return {QString::number(kMaxWord), true};
    if (*v < 0) return {QStringLiteral("0"), true};
    if (isPlainDigits(text)) return {text, true};
    return {QString::number(*v), true};
}

} // namespace extendedwords
