#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

// Tables as CSV for German spreadsheets: semicolons between the fields, CR LF after
// each line, UTF-8 with a byte order mark. A field with a semicolon, a quotation mark
// or a line break is quoted, its quotation marks doubled.
namespace csvtable {

QString field(QString text);
// One line with its CR LF, to append to a document.
QByteArray line(const QStringList& fields);
// The first line is the head; every line is written as it is, however many fields it has.
QByteArray document(const QList<QStringList>& lines);

} // namespace csvtable
