#pragma once

#include <QString>
#include <QStringList>

// Pictures of the program's real windows for the handbook, taken offscreen: the main
// window after reading several simulated instruments, each dialog, the bus monitor.
// Needs a QApplication, the replacement bus library in `libraryFolder` and a scratch
// folder for its roster, the settings and the files saved on the way.
namespace screenshots {

// Saves one PNG per picture into `folder` and returns the names taken.
QStringList takeAll(const QString& folder, const QString& libraryFolder, const QString& scratch,
                    QStringList& problems);


} // namespace screenshots
