#pragma once

#include "handbook/MessageScanner.h"

#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

// The generated parts of the handbook. Each returns HTML to put where the page's
// source has a marker `<!--@name arguments-->`; what cannot be generated (a
// message without its explanation, an unknown marker) goes into `problems`, and
// a build with problems fails.
namespace handbook {

QString escape(const QString& text);
// A message text as the table shows it: "%1" as "…", line breaks kept.
QString shownMessage(const QString& text);

// Statuses the bus library gives a text of its own, with that text (found by asking
// its `GetErrorMessageRet` for every negative status).
QMap<int, QString> libraryStatuses(const QString& libraryFolder);
// The statuses the program gives a meaning, by their names in the program.
QMap<int, QString> programStatuses();

struct MessageInputs {
    QList<messagescan::Fragment> fragments;
    QMap<int, QString> library;  // status -> the library's text
    QMap<int, QString> program;  // status -> the program's name for it
    QJsonObject explanations;    // Manual/meldungen.json
};
QString messageTable(const MessageInputs& in, QStringList& problems);

// Measuring and display ranges of every input kind and sensor, found by running the
// window's own field rules for every model of the catalogue.
QString rangeTables(QChar separator);
// The models of the catalogue and what tells them apart.
QString modelTable();
// The bits of the four extended words with caption and hint, from the detail window.
QString extendedBitTables();
// The flow calculator's results for the given inputs (arguments as the calculator's
// lists name them: "100 l/min 10 Impulse/l NPN l/min 0000").
QString flowExample(const QStringList& args, QChar separator, QStringList& problems);

// Replaces every marker of `page` with what `generate(name, arguments)` returns.
QString expandMarkers(const QString& page, const std::function<QString(const QString&, const QString&)>& generate);

} // namespace handbook
