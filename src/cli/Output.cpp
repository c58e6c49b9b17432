#include "cli/Output.h"

#include <QFile>
#include <QJsonDocument>
#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace cliout {

namespace {

QStringList messages;   // what went to stderr, for a failure's JSON object
QString failure;        // the first output that could not be written
bool objectPrinted = false;

void checkStdout() {
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return;
    outputFailed(QStringLiteral("Die Ausgabe konnte nicht geschrieben werden: %1")
                     .arg(QString::fromLocal8Bit(std::strerror(errno ? errno : EIO))));
}

} // namespace

void out(const QString& line) {
    std::fprintf(stdout, "%s\n", line.toLocal8Bit().constData());
    checkStdout();
}

void outBytes(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    checkStdout();
}

void outJson(const QJsonObject& object) {
    objectPrinted = true;
    out(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
}

void err(const QString& line) {
    heard(line);
    if (isatty(fileno(stderr))) std::fputs("\r\033[K", stderr); // over a progress line
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

void heard(const QString& line) {
    messages.append(line);
}

void outputFailed(const QString& reason) {
    if (failure.isEmpty()) failure = reason;
}

QString traceProblem(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
        return QStringLiteral("Die Protokolldatei %1 kann nicht geschrieben werden: %2").arg(path, f.errorString());
    return {};
}

void appendTrace(const QString& path, const QByteArray& line) {
    // Opened per line: several bindings of one run share the file, and a crash keeps every line.
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Append) && f.write(line) == line.size() && f.flush()) return;
    outputFailed(QStringLiteral("Die Protokolldatei %1 konnte nicht geschrieben werden: %2")
                     .arg(path, f.errorString()));
}

int finish(int code, bool json) {
    checkStdout();
    if (!failure.isEmpty()) {
        err(QStringLiteral("Fehler: ") + failure);
        code = 3;
    }
    if (json && code != 0 && code != 4 && !objectPrinted) {
        objectPrinted = true;
        std::fprintf(stdout, "%s\n",
                     QJsonDocument(QJsonObject{{QStringLiteral("status"), code},
                                               {QStringLiteral("message"), messages.join(QLatin1Char('\n'))}})
                         .toJson(QJsonDocument::Compact)
                         .constData());
        std::fflush(stdout);
    }
    return code;
}

} // namespace cliout
