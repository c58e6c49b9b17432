#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

class Prompter;

// Tables as CSV for German spreadsheets: semicolons between the fields, CR LF after
// each line, UTF-8 with a byte order mark. A field with a semicolon, a quotation mark
// or a line break is quoted, its quotation marks doubled.
namespace csvtable {

QString field(QString text);
// One line with its CR LF, to append to a document.
QByteArray line(const QStringList& fields);
// The first line is the head; every line is written as it is, however many fields it has.
QByteArray document(const QList<QStringList>& lines);

// Asks where to save the table (starting in `folder`) and writes it; a failed write is
// told in a message box. Cancelling writes nothing.
void saveAs(Prompter& prompter, const QString& folder, const QByteArray& csv);

} // namespace csvtable
