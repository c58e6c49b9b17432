#pragma once

#include "bus/BusLibrary.h"
#include "config/Prompter.h"

#include <cstdint>

// What the bus tool windows share: the error box and the texts of the device
// information labels.
namespace toolbus {

// For a negative status: "(Fehler <status>)" and the library's text for it in
// a box captioned "Fehler" with only OK. The window's binding is loaded for the
// text when it is not, and unloaded again. Nothing for other statuses.
void showError(BusLibrary& library, Prompter& prompter, int16_t status);

QString addressText(int16_t address); // "Adresse 12"
QString idText(int32_t idNumber);     // "ID Nummer 07810101"
// The library's name of the device type, or "unbekannt".
QString typeText(BusLibrary& library, int32_t idNumber);

} // namespace toolbus
