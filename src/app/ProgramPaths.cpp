#include "app/ProgramPaths.h"

#include "bus/LibraryBinding.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// Set by the build from the install folders, relative to the executable's folder.
#ifndef TRK_LIBDIR_FROM_BINDIR
#define TRK_LIBDIR_FROM_BINDIR "../lib/trkdvn"
#endif
#ifndef TRK_DATADIR_FROM_BINDIR
#define TRK_DATADIR_FROM_BINDIR "../share/trkdvn"
#endif

#ifdef Q_OS_WIN
const QString kLibrarySuffix = QStringLiteral(".dll");
#else
const QString kLibrarySuffix = QStringLiteral(".so");
#endif

const QString kManual = QStringLiteral("Manual");
const QString kConfigs = QStringLiteral("Konfigurationen");
// The user's own folder in the documents, shared by all versions of the program.
const QString kUserFolder = QStringLiteral("TRK-DVN");

QString below(const QString& folder, const QString& relative) {
    return QDir::cleanPath(QDir(folder).filePath(relative));
}

} // namespace

ProgramPaths::ProgramPaths(const QString& programFolder, const QString& documentsFolder)
    : program(QDir::cleanPath(programFolder)), documents(QDir::cleanPath(documentsFolder)) {
    const QDir dir(program);
    own = dir.exists(kManual) && dir.exists(QLatin1String(LibraryBinding::kLibraryName) + kLibrarySuffix);
    writable = QFileInfo(program).isWritable();
}

ProgramPaths ProgramPaths::forApplication() {
    return ProgramPaths(QCoreApplication::applicationDirPath(),
                        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}

QStringList ProgramPaths::libraryFolders() const {
    return {program, below(program, QStringLiteral(TRK_LIBDIR_FROM_BINDIR))};
}

QString ProgramPaths::manualFolder() const {
    return own ? below(program, kManual)
               : below(below(program, QStringLiteral(TRK_DATADIR_FROM_BINDIR)), kManual);
}

QString ProgramPaths::workingFolder() const {
    return usesProgramFolder() ? program : below(documents, kUserFolder);
}

QString ProgramPaths::configFolder() const {
    return below(workingFolder(), kConfigs);
}

QString ProgramPaths::recordFile() {
    return below(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
                 QStringLiteral("Halvora/Trk_Dvn_Konfigurationsprogramm/Geraetearchiv.sqlite"));
}

bool ProgramPaths::makeUserFolders() const {
    return usesProgramFolder() || QDir().mkpath(configFolder());
}
