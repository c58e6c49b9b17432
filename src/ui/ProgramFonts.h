#pragma once

#include <QFont>
#include <QString>

// The windows are laid out in fixed pixels for Arial's metrics. Liberation Sans
// has the same metrics, so the program names it rather than taking whatever sans
// serif the desktop offers; the layout then looks the same on every machine.
namespace programfonts {

inline QString family() {
    return QStringLiteral("Liberation Sans");
}

// Sets the program's look on the running application: the classic style, whose
// group titles and frames the layout's sizes assume, and the base font.
void applyToApplication();

// The bold 10-point font of the rows inside the main window's groups.
QFont groupContents();

} // namespace programfonts
