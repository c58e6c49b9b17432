#pragma once

#include <QString>

// What --version prints: the program's version (the one the d20 files carry) and
// the source revision it was built from.
QString programVersionLine(const QString& programName);
