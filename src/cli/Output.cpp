#include "cli/Output.h"

#include "files/FileWriter.h"

#include <QFile>
#include <QJsonDocument>
#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace cliout {

namespace {

QStringList messages;   // what went to stderr, for a failure's JSON object
QString failure;        // the first output that could not be written
bool objectPrinted = false;

void checkStdout() {
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return;
    outputFailed(QStringLiteral("Die Ausgabe konnte nicht geschrieben werden: %1")
                     .arg(filewriter::reasonFor(errno ? errno : EIO, QStringLiteral("-"))));
}

// Opens the call trace for appending; -1 with errno set when it cannot be.
int openTrace(const QString& path) {
    return ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
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
    const int fd = openTrace(path);
    if (fd < 0)
        return QStringLiteral("Die Protokolldatei %1 kann nicht geschrieben werden: %2")
            .arg(path, filewriter::reasonFor(errno, path));
    ::close(fd);
    return {};
}

void appendTrace(const QString& path, const QByteArray& line) {
    // Opened per line: several bindings of one run share the file, and a crash keeps every line.
    const int fd = openTrace(path);
    const bool written = fd >= 0 && ::write(fd, line.constData(), size_t(line.size())) == line.size();
    const int error = errno;
    if (fd >= 0) ::close(fd);
    if (written) return;
    outputFailed(QStringLiteral("Die Protokolldatei %1 konnte nicht geschrieben werden: %2")
                     .arg(path, filewriter::reasonFor(error ? error : EIO, path)));
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
