#pragma once

#include "bus/BusConstants.h"
#include "bus/BusLibrary.h"

#include <cstdint>
#include <optional>

// One exchange with an instrument: a command and the three operands it reads
// and writes. Sequences keep one Operands across their calls, because some
// commands rely on what the previous answer left in an operand.
namespace bus {

struct Operands {
    int16_t aux = 0;
    double value = 0.0;
    int32_t integer = 0;
};

// Sends one command with the operands as they are; the answers land in them.
int16_t transmit(BusLibrary& library, int16_t address, int16_t command, Operands& ops);

// Command 248: reads parameter p into the integer.
int16_t readParameter(BusLibrary& library, int16_t address, int p, Operands& ops);
// Command 248: writes the integer into parameter p.
int16_t writeParameter(BusLibrary& library, int16_t address, int p, int32_t integer, Operands& ops);

// Command 14, always sent to the broadcast address with the given preset
// (kAddressQueryRead or kAddressQueryWrite). On success `address` becomes the
// low 16 bits of the answer; on failure it is left alone.
int16_t queryAddress(BusLibrary& library, int32_t preset, Operands& ops, int16_t& address);

// Restart (command 241, operands as they are, status ignored), then poll with
// command 12 until it answers or `limit` polls went unanswered. Returns the
// last poll's status.
int16_t restartAndPoll(BusLibrary& library, int16_t address, Operands& ops, int limit = kPollLimit);

// One reading of the measured value. A poll that failed has its status and no value:
// it is never taken for a reading of zero.
struct Reading {
    int16_t status = 0;
    std::optional<double> value;
};
Reading readMeasurement(BusLibrary& library, int16_t address);

} // namespace bus
