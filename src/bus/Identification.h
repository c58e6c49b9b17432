#pragma once

#include "bus/BusCommands.h"
#include "bus/BusLibrary.h"
#include "config/MainWindowModel.h"
#include "config/Prompter.h"

#include <cstdint>

namespace bus {

// Sets `expectedFeatures` from the model checked in the "&Typ" menu (0 when none is).
void buildExpectedFeatures(MainWindowModel& model);

// Checks that the instrument at `busAddress` is of the selected model and
// learns what the later reads and writes depend on: `deviceVersion` and the
// flags `deviceRelayOnly`, `deviceHasAnalogOutput`, `deviceHasPidOption`,
// `devicePidActive`. A mismatch sets `deviceMismatch`, is explained in one or
// more boxes and yields DeviceMismatch; every failure ends with the
// "(Fehler n)" box. Expects the port open and `expectedFeatures` built.
int16_t checkConnectedDevice(BusLibrary& library, Prompter& prompter, MainWindowModel& model,
                             int32_t expectedFamily, Operands& ops);

} // namespace bus
