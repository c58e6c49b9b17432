#pragma once

#include <QChar>
#include <QString>

#include <optional>

// The four extended configuration words are 8-bit values typed as decimal
// text. These rules judge that text; they know nothing of the window.
namespace extendedwords {

constexpr int kMaxWord = 255;

// Bits of the switching function 1 word that only some models may carry.
constexpr int kPidFunctionBit = 0x10;
constexpr int kContinuousOutputBit = 0x20;

// Key filter: with `length` characters already in the field, is `key` taken?
// Two digits may be anything, a third only 0-5, a fourth never; line feed,
// backspace and carriage return always pass.
bool keyAccepted(int length, QChar key);

// The number a text stands for: optional sign and decimal digits, blanks
// around it ignored. Very long numbers saturate instead of overflowing.
std::optional<int> parse(const QString& text);

// The value to send for a field: its number when it is a word (0-255).
std::optional<int> wordValue(const QString& text);

struct Normalised {
    QString text;
    bool wasNumber = true; // false: the text was no number and became "0"
};

// Text of a field after leaving it: empty becomes "0", above 255 becomes
// "255", below 0 becomes "0"; a plain number in range stays as typed
// ("007" stays), a signed or padded one is written plainly.
Normalised normalise(const QString& text);

} // namespace extendedwords
