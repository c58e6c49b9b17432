#include "files/CommentFile.h"

#include "config/Cp1252.h"
#include "files/FileWriter.h"
#include "files/WordReader.h"

#include <QDir>

namespace {
const QString kEndMark = QStringLiteral("</END>");
}

namespace commentfile {

QString path(const QString& folder) {
    return folder + QDir::separator() + QStringLiteral("COMMENT");
}

bool write(const QString& folder, const QString& comment) {
    return filewriter::replace(path(folder), cp1252::encode(comment + kEndMark) + "\r\n").ok;
}

QString read(const QString& folder) {
    WordReader words(path(folder));
    QString text;
    QString word;
    while (!text.contains(kEndMark) && words.next(word))
        text += QLatin1Char(' ') + word;
    const qsizetype at = text.indexOf(kEndMark);
    if (at >= 0) text.remove(at, kEndMark.size());
    return text.isEmpty() ? QStringLiteral(" ") : text;
}

} // namespace commentfile
