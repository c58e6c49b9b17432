#include "config/NumericEdit.h"

#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

namespace NumericEdit {

namespace {

Prompter::Message messageBox(const QString& text, const QString& caption, Prompter::Icon icon) {
    Prompter::Message m;
    m.text = text;
    m.caption = caption;
    m.icon = icon;
    return m;
}

KeyResult refused(const QString& text, const QString& caption) {
    KeyResult r;
    r.refusal = messageBox(text, caption, Prompter::Icon::Error);
    return r;
}

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// The blanks the C library's conversion skips.
bool isBlank(QChar c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

// The separator counts only as a single character; an empty one is never found
// (QString would find an empty string everywhere).
qsizetype separatorIndex(const QString& text, const QString& separator) {
    return separator.isEmpty() ? -1 : text.indexOf(separator);
}

bool setDigitCount(int& property, int count, Prompter& prompter) {
    // Compared on both sides so the most negative int, whose magnitude does not fit, is refused too.
    if (count < -kMaxDigits || count > kMaxDigits) {
        prompter.message(messageBox(QStringLiteral("Nicht mehr als 15 Stellen"),
                                    QStringLiteral("TNumericEdit"), Prompter::Icon::None));
        return false;
    }
    property = count < 0 ? -count : count;
    return true;
}

// Decides whether an out-of-range number (as "[-]digits[.digits][e[sign]digits]")
// is too large or too small, from the position of its first significant digit.
bool overflows(std::string_view number) {
    if (!number.empty() && number.front() == '-') number.remove_prefix(1);
    const auto e = number.find('e');
    const std::string_view mantissa = number.substr(0, e);
    long long exponent = 0;
    if (e != std::string_view::npos) {
        std::string_view exp = number.substr(e + 1);
        const bool negative = !exp.empty() && exp.front() == '-';
        if (!exp.empty() && (exp.front() == '-' || exp.front() == '+')) exp.remove_prefix(1);
        for (char c : exp) {
            exponent = exponent * 10 + (c - '0');
            if (exponent > 1'000'000) // far beyond any double; stop before it can overflow
                break;
        }
        if (negative) exponent = -exponent;
    }
    // Digits before the point once leading zeros are gone: the value lies in [10^(p-1), 10^p).
    const auto point = mantissa.find('.');
    const std::string_view whole = mantissa.substr(0, point);
    long long p = 0;
    const auto firstWhole = whole.find_first_not_of('0');
    if (firstWhole != std::string_view::npos) {
        p = static_cast<long long>(whole.size() - firstWhole);
    } else if (point != std::string_view::npos) {
        const auto firstFraction = mantissa.substr(point + 1).find_first_not_of('0');
        if (firstFraction == std::string_view::npos) return false;
        p = -static_cast<long long>(firstFraction);
    }
    return p + exponent > 0;
}

// The longest leading number of `t`, with "." as the decimal point.
double convertLeadingNumber(const QString& t) {
    const qsizetype n = t.size();
    qsizetype i = 0;
    while (i < n && isBlank(t[i]))
        ++i;

    std::string number; // what from_chars accepts: no leading '+'
    bool negative = false;
    if (i < n && (t[i] == u'+' || t[i] == u'-')) {
        negative = t[i] == u'-';
        ++i;
    }
    if (negative) number += '-';

    auto appendDigits = [&](qsizetype from, qsizetype to) {
        for (qsizetype k = from; k < to; ++k)
            number += static_cast<char>(t[k].unicode());
    };
    auto digitsEnd = [&](qsizetype from) {
        while (from < n && isAsciiDigit(t[from]))
            ++from;
        return from;
    };

    qsizetype end = digitsEnd(i);
    const qsizetype wholeDigits = end - i;
    appendDigits(i, end);
    i = end;

    qsizetype fractionDigits = 0;
    if (i < n && t[i] == u'.') {
        end = digitsEnd(i + 1);
        fractionDigits = end - (i + 1);
        if (wholeDigits + fractionDigits > 0) {
            number += '.';
            appendDigits(i + 1, end);
            i = end;
        }
    }
    if (wholeDigits + fractionDigits == 0) return 0.0;

    // An exponent counts only with at least one digit; "1e" and "1e+" stop before the "e".
    if (i < n && (t[i] == u'e' || t[i] == u'E')) {
        qsizetype k = i + 1;
        if (k < n && (t[k] == u'+' || t[k] == u'-')) ++k;
        end = digitsEnd(k);
        if (end > k) {
            number += 'e';
            appendDigits(i + 1, end);
        }
    }

    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        const double magnitude = overflows(number) ? HUGE_VAL : 0.0;
        return negative ? -magnitude : magnitude;
    }
    return value;
}

} // namespace

KeyResult KeyPress(const NumericField& field, const QString& text, int selStart, int selLength, int caret,
                   QChar key) {
    const QString& separator = field.Seperator;
    const bool isSeparator = separator.size() == 1 && key == separator.at(0);
    const bool permitted = isAsciiDigit(key) || key == u'+' || key == u'-' || key == QChar(kBackspace) ||
                           (isSeparator && field.Nachkommastellen != 0);
    if (!permitted)
        return refused(QStringLiteral("Unzulässiges Zeichen\nZülässing sind: 0123456789+-"),
                       QStringLiteral("Unzulässiges Zeichen"));

    if (key == QChar(kBackspace)) {
        KeyResult r;
        r.accepted = true;
        return r;
    }

    const int length = static_cast<int>(text.size());
    caret = qBound(0, caret, length);

    // Sign keys never reach the edit: they put the sign in front or flip an existing one.
    if (key == u'+' || key == u'-') {
        const QChar other = key == u'+' ? u'-' : u'+';
        KeyResult r;
        if (!text.contains(u'+') && !text.contains(u'-')) {
            r.textChanged = true;
            r.text = key + text;
            r.caret = caret + 1;
        } else if (text.contains(other)) {
            r.textChanged = true;
            r.text = text;
            replaceText(r.text, QString(other), QString(key), true);
            r.caret = caret;
        }
        return r;
    }

    if (isSeparator && separatorIndex(text, separator) >= 0)
        return refused(QStringLiteral("Dezimal-Seperator ist schon vorhanden"),
                       QStringLiteral("Dezimal-Seperator"));

    // The text the key would give. Without a selection the key is counted at the
    // end whatever the caret position: only the lengths matter below.
    QString result = text;
    if (selLength > 0 && selStart >= 0 && selStart < length)
        result.replace(selStart, qMin(selLength, length - selStart), key);
    else
        result.append(key);

    const qsizetype separatorAt = separatorIndex(result, separator);
    if (separatorAt >= 0) {
        const qsizetype fraction = result.size() - separatorAt - separator.size();
        if (fraction > field.Nachkommastellen)
            return refused(QStringLiteral("Weitere Nachkommastellen\nsind nicht zulässig"),
                           QStringLiteral("Zeichenanzahl überschritten"));
    } else {
        result.remove(u'+');
        result.remove(u'-');
        if (result.size() > field.Vorkommastellen)
            return refused(QStringLiteral("Weitere Vorkommastellen\nsind nicht zulässig"),
                           QStringLiteral("Zeichenanzahl überschritten"));
    }

    KeyResult r;
    r.accepted = true;
    return r;
}

void showRefusal(const NumericField& field, const KeyResult& result, Prompter& prompter) {
    if (field.ShowErrorMessage && result.refusal) prompter.message(*result.refusal);
}

bool SetVorkomma(NumericField& field, int count, Prompter& prompter) {
    return setDigitCount(field.Vorkommastellen, count, prompter);
}

bool SetNachkomma(NumericField& field, int count, Prompter& prompter) {
    return setDigitCount(field.Nachkommastellen, count, prompter);
}

bool SetSeperator(NumericField& field, const QString& separator, Prompter& prompter) {
    if (separator.size() > 1) {
        prompter.message(messageBox(QStringLiteral("Nicht mehr als 1 Zeichen"),
                                    QStringLiteral("TNumericEdit"), Prompter::Icon::None));
        return false;
    }
    field.Seperator = separator;
    return true;
}

int replaceText(QString& text, const QString& search, const QString& replacement, bool all) {
    if (search.isEmpty()) return 0;
    int count = 0;
    qsizetype from = 0;
    qsizetype at;
    while ((at = text.indexOf(search, from)) >= 0) {
        text.replace(at, search.size(), replacement);
        from = at + replacement.size();
        ++count;
        if (!all) break;
    }
    return count;
}

double GetDouble(const QString& text, const QString& separator) {
    if (text.isEmpty()) return 0.0;
    QString t = text;
    const qsizetype at = separatorIndex(t, separator);
    if (at >= 0) t.replace(at, separator.size(), QStringLiteral("."));
    return convertLeadingNumber(t);
}

} // namespace NumericEdit
