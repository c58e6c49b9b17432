#pragma once

#include <QString>

// The program's release as the about box shows it and the handbook's contents page repeats it.
QString programRelease(); // "1.7.0 vom 2010-09-20"

// What --version prints: the program's version (the one the d20 files carry) and
// the source revision it was built from.
QString programVersionLine(const QString& programName);
