#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

// What the command line prints. Every line goes through here, so a run whose output could
// not be written (a full disk behind stdout or the call trace) ends with exit 3 and the
// reason, and --json gets one object for a failure as well.
namespace cliout {

// One line on stdout.
void out(const QString& line);
// Bytes as they are (a file written to "-").
void outBytes(const QByteArray& bytes);
// One JSON object as one line on stdout.
void outJson(const QJsonObject& object);
// One line on stderr; kept as the message of a failure.
void err(const QString& line);
// A line some other part printed on stderr (a message box), kept the same way.
void heard(const QString& line);
// An output of this run could not be written: the run ends with exit 3 and this reason.
void outputFailed(const QString& reason);

// Why the call trace cannot be appended to (empty: it can).
QString traceProblem(const QString& path);
// Appends one line to the call trace; a failure is noted as above.
void appendTrace(const QString& path, const QByteArray& line);

// The exit code of a command that returned `code`: 3 when an output failed. With --json a
// failure without an object of its own prints {"status": code, "message": …}.
int finish(int code, bool json);

} // namespace cliout
