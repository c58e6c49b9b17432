#pragma once

#include <QStringList>

#include "bus/BusLibrary.h"
#include "config/MainWindowModel.h"

// Transfer of the four extended configuration words between the fields of the
// main window and the instrument. Both expect the port to be open; both find
// the instrument by asking the bus for its address.
namespace bus {

// Reads General, Alarm, Switching function 1 and 2 into their fields. A word
// that cannot be read leaves its field alone; a failed address query leaves all.
void aErweiterteKonfigurationEinlesen(BusLibrary& library, MainWindowModel& model);

// Writes the four fields, restarts the instrument, reads the words back and
// sets `extendedConfigWriteMismatch` when a word did not arrive as written.
// A field that holds no word (0-255) is not sent and counts as not arrived.
void aErweiterteKonfigurationSchreiben(BusLibrary& library, MainWindowModel& model);

// The function bits the words in the fields would switch off that the last read of the
// same instrument (its identity word) had set, as "Schaltfunktion 1: Bit 4 (Wert 16)";
// empty when none, or when that instrument's words were never read.
QStringList clearedFunctionBits(const MainWindowModel& model);

} // namespace bus
