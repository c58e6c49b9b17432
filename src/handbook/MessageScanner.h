#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Finds the texts the program shows the user in message boxes and status lines by
// reading its sources: the string literals that reach a message box (`show`,
// `messageBox`, `refused`, `askYesNo`, `closeWindow`, `overflow`, the identification's
// `notice`/`mismatch`/`fail`), a status line (`panels[2]`, `StatusBar1.text`,
// `statusText`, `showInPanel`) or a message being built (`text`, `msg.text`,
// `question.text`, `information`), the file's named text constants used there, the
// settings store's `reportSystemError`, and
// every literal of the helpers that build message texts (`…ErrorText`, `…MismatchText`,
// `failureText`, `statusText`, `notANumberText`, `fileProblemText`, `…Notice`). A literal with fewer than
// three letters is a placeholder or punctuation, not a text.
namespace messagescan {

struct Fragment {
    QString text;    // the literal as the program holds it (line breaks as '\n', "%1" kept)
    QString caption; // caption of the message box, when the call names one
    bool statusLine = false;
    QString where; // "src/bus/BusRun.cpp:61"
};

// Scans one source file; `shownName` is how `where` names it.
QList<Fragment> scanSource(const QString& source, const QString& shownName);
// Scans every .cpp and .h file below the given folders of the source tree.
QList<Fragment> scanTree(const QString& sourceRoot, const QStringList& folders);
// The layers whose texts the window program shows.
QStringList programFolders();

// The literals of a source text with C++'s adjacent-literal joining, escapes decoded
// and comments skipped; each with the offset of its first quote in `code`, which
// is the source with comments and literals blanked out (same length).
struct Literal {
    QString text;
    int begin = 0;
    int end = 0; // one past the closing quote of the last joined piece
};
QList<Literal> literals(const QString& source, QString* code);

} // namespace messagescan
