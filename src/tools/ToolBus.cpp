#include "tools/ToolBus.h"

#include "bus/BusPort.h"

namespace toolbus {

void showError(BusLibrary& library, Prompter& prompter, int16_t status) {
    if (status >= 0) return;
    const bool wasLoaded = library.isLoaded();
    if (!wasLoaded) library.load();
    bus::showError(library, prompter, status);
    if (!wasLoaded) library.unload();
}

QString addressText(int16_t address) {
    return QStringLiteral("Adresse %1").arg(address);
}

QString idText(int32_t idNumber) {
    return QStringLiteral("ID Nummer ") + bus::serialText(idNumber);
}

QString typeText(BusLibrary& library, int32_t idNumber) {
    QString name;
    if (library.GetType(idNumber, name) < 0) return QStringLiteral("unbekannt");
    return name;
}

} // namespace toolbus
