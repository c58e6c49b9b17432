#include "app/ProgramVersion.h"

#include "files/D20Format.h"

// Set for this file alone, so a new revision rebuilds one object.
#ifndef TRK_GIT_REVISION
#define TRK_GIT_REVISION "unbekannt"
#endif

QString programVersionLine(const QString& programName) {
    return QStringLiteral("%1 %2 (Revision %3)\n")
        .arg(programName, d20::kProgramVersion, QStringLiteral(TRK_GIT_REVISION));
}

QString programRelease() {
    return QStringLiteral("%1 vom 2010-09-20").arg(d20::kProgramVersion);
}
