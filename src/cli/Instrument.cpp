#include "cli/Instrument.h"

#include "bus/BusCommands.h"
#include "bus/BusConstants.h"
#include "bus/BusPort.h"
#include "bus/Identification.h"
#include "config/MainWindowModel.h"
#include "config/Prompter.h"

namespace {

// Opens the port and learns the address; the port stays open on success.
int16_t openAt(BusLibrary& lib, Clock& clock, int16_t port, int16_t converter, int16_t& address,
               bus::Operands& ops) {
    int16_t status = bus::openBusPort(lib, port, converter, clock);
    if (status >= 0 && address < 1) status = bus::queryAddress(lib, bus::kAddressQueryRead, ops, address);
    if (status < 0) lib.TBCloseCom();
    return status;
}

} // namespace

InstrumentInfo identifyInstrument(BusLibrary& lib, Clock& clock, int16_t port, int16_t converter,
                                  int16_t address) {
    InstrumentInfo info;
    bus::Operands ops;
    info.address = address;
    info.status = openAt(lib, clock, port, converter, info.address, ops);
    if (info.status < 0) return info;
    ops = {};
    info.status = bus::transmit(lib, info.address, bus::cmd::ReadIdentity, ops);
    if (info.status >= 0) {
        info.identity = ops.integer;
        QString type;
        if (lib.GetType(info.identity, type) >= 0) info.typeName = type;
        ops = {};
        if (bus::transmit(lib, info.address, bus::cmd::ReadVersion, ops) >= 0) info.firmware = ops.value;
        ops = {};
        if (bus::readParameter(lib, info.address, bus::param::Features, ops) >= 0) {
            info.features = ops.integer;
            ops = {};
            if (bus::readParameter(lib, info.address, bus::param::Options, ops) >= 0) {
                info.options = ops.integer;
                info.haveWords = true;
            }
        }
        int16_t aux = 0;
        QString name;
        int16_t length = bus::kNameReadCapacity;
        if (lib.TBTransmitString(info.address, bus::namecmd::Read, aux, name, length) >= 0) {
            info.hasName = true;
            info.name = name;
        }
    }
    lib.TBCloseCom();
    return info;
}

Detection detectModels(BusLibrary& lib, Clock& clock, int16_t port, int16_t converter, int16_t address,
                       const QList<const ModelEntry*>& offered) {
    Detection found;
    for (const ModelEntry* entry : offered) {
        bus::Operands ops;
        MainWindowModel scratch;
        // Only what the identification reads of a selected model: its menu item and output kinds.
        for (const ModelEntry* e = catalogue::begin(); e != catalogue::end(); ++e)
            scratch.modelItem(e->id).checked = e == entry;
        scratch.hasCurrentOutput = entry->hasCurrentOutput;
        scratch.hasVoltageOutput = entry->hasVoltageOutput;
        scratch.busAddress = address;
        found.status = openAt(lib, clock, port, converter, scratch.busAddress, ops);
        if (found.status < 0) return found;
        bus::buildExpectedFeatures(scratch);
        RecordingPrompter silent;
        const int16_t status = bus::checkConnectedDevice(lib, silent, scratch, entry->family, ops);
        lib.TBCloseCom();
        // Nothing answering at the address is the same for every model: the bus's failure.
        if (status < 0 && status != bus::status::DeviceMismatch && !scratch.deviceMismatch) {
            found.status = status;
            return found;
        }
        if (status >= 0 && !scratch.deviceMismatch) found.models.append(entry);
    }
    found.status = 0;
    return found;
}
