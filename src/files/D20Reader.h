#pragma once

#include "config/ConfigActions.h"
#include "config/Prompter.h"

#include <QByteArray>
#include <QString>

#include <optional>

class WordReader;

// Reads a d20 file into the main window, filling the controls in the order a
// user would and running the click of every radio group it sets, so that the
// groups a later entry belongs to exist when it is read.
class D20Reader {
  public:
    enum class Result {
        Loaded,
        Rejected, // the format word does not fit this program or its separator; nothing changed
        Damaged,  // a number that is none, or an early end: reported, fields read so far are kept
    };

    struct Header {
        QString information; // the text of the question before loading
        bool hasVersion = false;
    };

    D20Reader(ConfigActions& actions, Prompter& prompter, QChar separator);

    // The header as the question before loading shows it; `fileBytes` is the whole file
    // as WordReader::readFile gave it, read once for the whole load.
    static Header header(const QByteArray& fileBytes);
    // Skips the words up to and including the one that holds "</BEGIN>".
    static void skipHeader(WordReader& words);
    // The decimal separator the file's format word says it was written with; none when
    // the file ends before it or its format word belongs to no family.
    static std::optional<QChar> declaredSeparator(const QByteArray& fileBytes);
    // Why a file was rejected, when its format word says: written with the other separator.
    static QString separatorMismatchText(QChar fileSeparator, QChar programSeparator);

    // Reads the data part from the reader's position: format word, model, fields.
    Result read(WordReader& words);

    // Applies the extended-word section when the file has one; returns whether it has.
    bool applySpecialFunctions(const QByteArray& fileBytes);


  private:
    bool nextWord(WordReader& words, QString& word);
    bool nextInteger(WordReader& words, int& value);
    void fail(const QString& text);
    void showUnitRow();

    ConfigActions& a;
    MainWindowModel& m;
    Prompter& prompter;
    QChar sep;
    bool noModel = false;
};
