#pragma once

#include <QChar>
#include <QString>

#include <cstdint>
#include <optional>

// Key filters and value rules of the tool windows' entry fields: the address
// fields (digits only, three of them) and the name field (16 characters).
namespace toolfields {

inline constexpr char16_t kBackspace = 8;
inline constexpr char16_t kLineFeed = 10;
inline constexpr int kAddressDigits = 3;

// Outcome of one typed character: whether it reaches the field, and the text
// and caret it leaves there (the selection is replaced or deleted first).
struct KeyResult {
    bool accepted = false;
    QString text;
    int caret = 0;
};

// `selStart`/`selLength` give the selection (length 0: none), `caret` the cursor.
KeyResult addressKey(const QString& text, int selStart, int selLength, int caret, QChar key);
KeyResult nameKey(const QString& text, int selStart, int selLength, int caret, QChar key);

// Leaving an address field: empty becomes "0", and so does a number above the
// highest bus address. Text that is not a number is left for the action to refuse.
QString addressOnExit(const QString& text);

// The field's address, or nothing when the text is not a number in 16-bit range.
std::optional<int16_t> addressValue(const QString& text);

// Message for an address field whose text is not a usable number.
QString notANumberText(const QString& text);

} // namespace toolfields
