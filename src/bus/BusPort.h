#pragma once

#include "bus/BusLibrary.h"
#include "config/Clock.h"
#include "config/Prompter.h"

// Loading and unloading the bus library, opening the port, and the text of a
// library status, shared by the main window and the bus tools.
namespace bus {

// Frees a loaded module, loads the library again and resolves its entry
// points. On failure: two beeps and the message that the program ends.
bool aDLLDynamischLaden(BusLibrary& library, Prompter& prompter);
void aDLLDynamischEntladen(BusLibrary& library);

// Opens the port at 4800 baud. Converter 66 opens with mode 6 and then waits
// 555 ms for the converter to settle.
int16_t openBusPort(BusLibrary& library, int16_t comPort, int16_t converterCode, Clock& clock);

// "(Fehler <status>)" followed by the library's text for the status.
QString errorText(BusLibrary& library, int16_t status);
// Shows errorText in a box with caption "Fehler".
void showError(BusLibrary& library, Prompter& prompter, int16_t status);

// Identity word as the eight upper-case hexadecimal digits of the serial number.
QString serialText(int32_t identity);

} // namespace bus
