#pragma once

#include "config/Controls.h"
#include "config/Prompter.h"

#include <QChar>
#include <QString>

#include <optional>

// Rules of the numeric entry field `TNumericEdit`, kept free of widgets so the
// widget only forwards keystrokes and the main window's fields can be edited
// headless: key filter, property setters, text replacement and conversion.
namespace NumericEdit {

inline constexpr char16_t kBackspace = 8;
inline constexpr int kMaxDigits = 15;

// Outcome of filtering one typed character.
struct KeyResult {
    bool accepted = false; // pass the key on to the edit
    // The filter edited the text itself (sign keys): show `text` with the caret at `caret`.
    bool textChanged = false;
    QString text;
    int caret = 0;
    // Why the key was refused; shown only when the field has `ShowErrorMessage`.
    std::optional<Prompter::Message> refusal;
};

// Filters one typed character against the field's digit counts and separator.
// `text` is the current text, `selStart`/`selLength` the selection (a length of
// 0 or less: none) and `caret` the cursor position. `field.text` is not read.
KeyResult KeyPress(const NumericField& field, const QString& text, int selStart, int selLength, int caret,
                   QChar key);

// Shows the refusal of `result`, if any, when the field explains refused keys.
void showRefusal(const NumericField& field, const KeyResult& result, Prompter& prompter);

// Setters return false when they refused the value (the box is shown whatever
// `ShowErrorMessage` says, as these are programming errors, not typing).
bool SetVorkomma(NumericField& field, int count, Prompter& prompter);
bool SetNachkomma(NumericField& field, int count, Prompter& prompter);
bool SetSeperator(NumericField& field, const QString& separator, Prompter& prompter);
inline int GetVorkomma(const NumericField& field) {
    return field.Vorkommastellen;
}
inline int GetNachkomma(const NumericField& field) {
    return field.Nachkommastellen;
}
inline QString GetSeperator(const NumericField& field) {
    return field.Seperator;
}

// Replaces `search` by `replacement` scanning left to right, never rescanning an
// inserted replacement; only the first one unless `all`. Returns the count.
// An empty `search` matches nothing.
int replaceText(QString& text, const QString& search, const QString& replacement, bool all);

// The field's value whatever the C or Qt locale: the first `separator` counts as
// the decimal point, then the longest leading number is taken (blanks, sign,
// digits, point, exponent); no leading number gives 0. Overflow gives an
// infinity, underflow 0, as the C library's conversion does.
double GetDouble(const QString& text, const QString& separator);
inline double GetDouble(const NumericField& field) {
    return GetDouble(field.text, field.Seperator);
}

} // namespace NumericEdit
