#pragma once

#include "bus/BusCommands.h"
#include "bus/BusLibrary.h"
#include "config/Clock.h"

#include <cstdint>
#include <functional>

namespace bus {

// How a caller reaches its instrument: the port, whether the address is asked for,
// and how the identity is read. What differs between callers on purpose is set here.
struct ReachPlan {
    int16_t comPort = 0;
    int16_t converterCode = 0;
    Clock* clock = nullptr; // for the pause after opening with converter 66
    // The converter code goes to the library as stored, without the rule for converter 66
    // (the address selection window opens so); no clock is needed then.
    bool converterAsStored = false;
    // The binding that opens the port when it is not the one that talks to the
    // instrument (the bus tools open through the main window's binding).
    BusLibrary* portLibrary = nullptr;
    // Command 14 goes out before the identity read; a failure stops the sequence.
    bool askAddress = true;
    int32_t addressPreset = kAddressQueryRead;
    // Right after the port was opened or refused, before anything else goes out (a run
    // announces itself there): takes the port's status and returns the one the sequence
    // goes on with. Without it the port's status goes on.
    std::function<int16_t(int16_t opened)> afterOpen;
    // The identity read. Without it: command 12 with the operands as they stand, or
    // cleared first when `clearOperands` is set.
    std::function<int16_t()> readIdentity;
    bool clearOperands = false;
};

// The status of every step; 0 for a step not taken.
struct Reached {
    int16_t opened = 0; // as `afterOpen` passed it on
    int16_t asked = 0;
    int16_t identified = 0;

    // The first failure, else the last step's status.
    int16_t status() const;
    bool ok() const { return status() >= 0; }
};

// Opens the port, learns the address and reads the identity, each step only after
// the one before succeeded. The port stays open whatever happened: closing is the
// caller's. `address` is the one asked for and then talked to.
Reached reachInstrument(BusLibrary& library, const ReachPlan& plan, int16_t& address, Operands& ops);

} // namespace bus
