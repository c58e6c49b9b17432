#include "files/FileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

namespace filewriter {

QString reasonFor(int error, const QString& path) {
    const QString folder = QDir::toNativeSeparators(QFileInfo(path).absolutePath());
    switch (error) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
    case EFBIG:
        return QStringLiteral("Auf dem Datenträger ist nicht genug Speicherplatz frei.");
    case EACCES:
    case EPERM:
        return QStringLiteral("Keine Berechtigung zum Schreiben im Ordner „%1“.").arg(folder);
    case EROFS:
        return QStringLiteral("Der Datenträger ist schreibgeschützt.");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("Der Ordner „%1“ ist nicht vorhanden.").arg(folder);
    case EISDIR:
        return QStringLiteral("„%1“ ist ein Ordner.").arg(QDir::toNativeSeparators(path));
    default:
        return QStringLiteral("Schreibfehler (Systemfehler %1).").arg(error);
    }
}

Result replace(const QString& path, const QByteArray& bytes) {
    const QFileInfo target(path);
    if (!target.absoluteDir().exists()) return {false, reasonFor(ENOENT, path)};

    // Unbuffered: a write that finds no room fails here and now, not in a flush the
    // commit would not look at.
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {false, reasonFor(errno ? errno : EACCES, path)};
    errno = 0;
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const int error = errno ? errno : ENOSPC;
        file.cancelWriting();
        return {false, reasonFor(error, path)};
    }
    errno = 0;
    if (!file.commit()) return {false, reasonFor(errno ? errno : EIO, path)};
    return {true, {}};
}

Result append(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.exists())
        return {false, QStringLiteral("Die Datei „%1“ ist nicht mehr vorhanden.").arg(QDir::toNativeSeparators(path))};
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return {false, reasonFor(errno ? errno : EACCES, path)};
    const qint64 before = file.size();
    errno = 0;
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const int error = errno ? errno : ENOSPC;
        file.resize(before);
        return {false, reasonFor(error, path)};
    }
    return {true, {}};
}

} // namespace filewriter
