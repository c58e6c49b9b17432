#pragma once

#include "config/MainWindowModel.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

// What the header says besides the configuration.
struct D20Header {
    QDate date;
    QString comment; // as read from the hand-over file: every word after one blank
    QString userName;
};

// Writes the main window's configuration as a d20 file: header, one word per
// field exactly as the window shows it, and the extended words when in use.
class D20Writer {
  public:
    D20Writer(const MainWindowModel& model, QChar separator);

    // The lines of the file, without line ends.
    QStringList lines(const D20Header& header) const;
    // The whole file: Windows-1252, every line ended by CR LF.
    QByteArray contents(const D20Header& header) const;

    // The comment as it goes into the file. Its last words are left out when the
    // file would otherwise grow beyond the words the tag reader scans, which would
    // make the file's own header and extended words unreadable.
    QString fittedComment(const D20Header& header) const;
    // What the user is told about the comment as saved (empty when it went in as
    // typed): characters that would read as a tag are replaced, the last words of
    // a comment too long for the file are left out.
    QString commentNotice(const D20Header& header) const;

    // A field's text as one file word: blanks would shift every later entry, so
    // they are left out, and an empty text is written as "0".
    static QString word(const QString& text);

    // The logged-on user's name (at most 127 characters), "unknown" when none is known.
    static QString platformUserName();

  private:
    // A comment or user name typed with "<" or ">" would read as a tag of the file
    // (end the header early or set an extended word): those become "‹" and "›".
    static QString untagged(const QString& text);
    QStringList dataLines() const;
    QStringList headerLines(const QString& comment, const D20Header& header) const;

    const MainWindowModel& m;
    QChar sep;
};
