#include "tools/ToolFields.h"

#include "bus/BusConstants.h"

#include <QRegularExpression>

#include <limits>

namespace toolfields {

namespace {

// The edit's own reaction to a key it was given.
KeyResult apply(const QString& text, int selStart, int selLength, int caret, QChar key) {
    KeyResult r;
    r.accepted = true;
    r.text = text;
    int at = qBound(0, caret, int(text.size()));
    bool replaced = false;
    if (selLength > 0 && selStart >= 0 && selStart < text.size()) {
        r.text.remove(selStart, selLength);
        at = selStart;
        replaced = true;
    }
    if (key == QChar(kBackspace)) {
        if (!replaced && at > 0) r.text.remove(--at, 1);
    } else if (key.unicode() >= 0x20 && key.unicode() != 0x7F) {
        // Control characters (line feed, clipboard keys) add nothing to a one-line field.
        r.text.insert(at++, key);
    }
    r.caret = at;
    return r;
}

KeyResult refuse(const QString& text, int caret) {
    return {false, text, caret};
}

bool isDigit(QChar key) {
    return key >= QLatin1Char('0') && key <= QLatin1Char('9');
}

// The text as a number; huge numbers saturate. Nothing when it is not a number.
std::optional<qint64> number(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^[+-]?[0-9]+$"));
    const QString t = text.trimmed();
    if (!pattern.match(t).hasMatch()) return std::nullopt;
    bool ok = false;
    const qint64 value = t.toLongLong(&ok);
    if (ok) return value;
    return t.startsWith(QLatin1Char('-')) ? std::numeric_limits<qint64>::min()
                                          : std::numeric_limits<qint64>::max();
}

} // namespace

KeyResult addressKey(const QString& text, int selStart, int selLength, int caret, QChar key) {
    const bool control = key == QChar(kBackspace) || key == QChar(kLineFeed);
    if (!isDigit(key) && !control) return refuse(text, caret);
    // A full field takes a digit only in place of selected text.
    if (text.size() >= kAddressDigits && !control && selLength <= 0) return refuse(text, caret);
    return apply(text, selStart, selLength, caret, key);
}

KeyResult nameKey(const QString& text, int selStart, int selLength, int caret, QChar key) {
    const bool control = key == QChar(kBackspace) || key == QChar(kLineFeed);
    if (text.size() >= bus::kNameLength && !control && selLength <= 0) return refuse(text, caret);
    return apply(text, selStart, selLength, caret, key);
}

QString addressOnExit(const QString& text) {
    if (text.isEmpty()) return QStringLiteral("0");
    const std::optional<qint64> value = number(text);
    if (value && *value > bus::kHighestAddress) return QStringLiteral("0");
    return text;
}

std::optional<int16_t> addressValue(const QString& text) {
    const std::optional<qint64> value = number(text);
    if (!value || *value < std::numeric_limits<int16_t>::min() ||
        *value > std::numeric_limits<int16_t>::max())
        return std::nullopt;
    return static_cast<int16_t>(*value);
}

QString notANumberText(const QString& text) {
    return QStringLiteral("„%1“ ist keine gültige Adresse.\nNur Adressen von 0 ... 239 gültig!").arg(text);
}

} // namespace toolfields
