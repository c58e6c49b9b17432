#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// The options of trkdvn-cli, as one table: the parser, every command's help, the
// manual page, the shell completion and the handbook's reference are all made
// from it, so none of them can name an option the others do not know.

namespace cliopt {

// How an option's value is checked before any command runs.
enum class Value {
    None,      // a switch
    Text,      // any text
    Port,      // 1 to 32767
    Converter, // 0, 6, 7 or 66
    Address,   // 0 to 239
    Separator, // , or .
    Choice,    // one word of `choices`, case ignored
    Model,     // a model's name as the "&Typ" menu shows it
};

struct Option {
    const char* names;     // "o,output": every name, the key last
    const char* valueName; // shown after the option ("N"); nullptr for a switch
    Value value;
    const char* help; // German, one line
    const char* choices = nullptr; // "l|m3" for a Choice
};

// Every option, in the order the help lists them.
const QList<Option>& table();
// The option's key (its last name); nullptr when the word names no option.
const Option* find(const QString& name);
QString key(const Option& option);
QStringList names(const Option& option);
// "--port", "-o": a name as it is typed.
QString dashed(const QString& name);
// "--port N", "-o, --output DATEI"
QString spelled(const Option& option);
// The option's help, with its values when it has a list of them.
QString helpText(const Option& option);

// The position of a Choice option's word among its choices; -1 when it names none.
int choiceIndex(const Option& option, const QString& word);
QStringList choiceList(const Option& option);

// Options every command takes.
const QStringList& common();

// A whole number in [lowest, highest], written as digits only (an optional minus sign
// first); nothing else, no blanks, no overflow.
std::optional<int> wholeNumber(const QString& text, int lowest, int highest);
// A port number as --port and "port:N" take it: 1 to 32767.
std::optional<int> portNumber(const QString& text);

// "port:N" with a valid port number; nullopt for every other text. `error` is set
// when the text starts with "port:" but the number is no port.
std::optional<int16_t> portSource(const QString& text, QString* error = nullptr);

// The reason why `text` is no valid value of `option`; empty when it is valid.
QString checkValue(const Option& option, const QString& text);

} // namespace cliopt

// One command line taken apart by the table: options by key, positional words in order.
class CommandLine {
  public:
    // `arguments` without the program's name. False with a German reason on a word
    // that names no option, a value missing, or a value the option cannot take.
    bool parse(const QStringList& arguments);
    QString errorText() const { return error; }

    bool isSet(const QString& name) const;
    QString value(const QString& name) const; // the last one given
    QStringList values(const QString& name) const;
    QStringList positionalArguments() const { return positional; }
    // Keys of the options given, in their first order.
    QStringList given() const { return order; }

  private:
    QString keyOf(const QString& name) const;

    QHash<QString, QStringList> valuesByKey;
    QStringList order;
    QStringList positional;
    QString error;
};
