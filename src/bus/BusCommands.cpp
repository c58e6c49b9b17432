#include "bus/BusCommands.h"

namespace bus {

int16_t transmit(BusLibrary& library, int16_t address, int16_t command, Operands& ops) {
    return library.TBTransmit(address, command, ops.aux, ops.value, ops.integer);
}

int16_t readParameter(BusLibrary& library, int16_t address, int p, Operands& ops) {
    ops.value = p;
    return transmit(library, address, cmd::Parameter, ops);
}

int16_t writeParameter(BusLibrary& library, int16_t address, int p, int32_t integer, Operands& ops) {
    ops.value = kWriteOffset + p;
    ops.integer = integer;
    return transmit(library, address, cmd::Parameter, ops);
}

int16_t queryAddress(BusLibrary& library, int32_t preset, Operands& ops, int16_t& address) {
    ops.value = 0.0;
    ops.integer = preset;
    const int16_t status = transmit(library, kBroadcastAddress, cmd::QueryAddress, ops);
    if (status >= 0) address = static_cast<int16_t>(ops.integer & 0xFFFF);
    return status;
}

int16_t restartAndPoll(BusLibrary& library, int16_t address, Operands& ops, int limit) {
    transmit(library, address, cmd::Restart, ops);
    int16_t status = status::PollPending;
    for (int polls = 0; status < 0 && polls < limit; ++polls)
        status = transmit(library, address, cmd::ReadIdentity, ops);
    return status;
}

Reading readMeasurement(BusLibrary& library, int16_t address) {
    double value = 0.0;
    Reading reading;
    reading.status = library.GetMeasurement(address, value);
    if (reading.status >= 0) reading.value = value;
    return reading;
}

} // namespace bus
