#include "bus/Instrument.h"

#include "bus/BusCommands.h"
#include "bus/BusConstants.h"
#include "bus/Identification.h"
#include "bus/Reach.h"
#include "config/ConfigActions.h"
#include "config/MainWindowModel.h"
#include "config/Prompter.h"

namespace {

bus::ReachPlan planFor(Clock& clock, int16_t port, int16_t converter, int16_t address, bool addressChosen) {
    bus::ReachPlan plan;
    plan.comPort = port;
    plan.converterCode = converter;
    plan.clock = &clock;
    plan.askAddress = address < (addressChosen ? 0 : 1);
    return plan;
}

} // namespace

InstrumentInfo identifyInstrument(BusLibrary& lib, Clock& clock, int16_t port, int16_t converter,
                                  int16_t address, bool addressChosen) {
    InstrumentInfo info;
    bus::Operands ops;
    info.address = address;
    bus::ReachPlan plan = planFor(clock, port, converter, address, addressChosen);
    plan.clearOperands = true;
    const bus::Reached reached = bus::reachInstrument(lib, plan, info.address, ops);
    info.status = reached.status();
    if (reached.ok()) {
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
                       const QList<const ModelEntry*>& offered, bool addressChosen) {
    Detection found;
    for (const ModelEntry* entry : offered) {
        bus::Operands ops;
        RecordingPrompter silent;
        // The model selected as the menu selects it; its identification reads the instrument.
        MainWindowModel chosen;
        ConfigEnvironment env;
        env.prompter = &silent;
        ConfigActions actions(chosen, env);
        actions.selectModel(entry->id);
        chosen.busAddress = address;
        chosen.addressChosen = addressChosen;
        bus::ReachPlan plan = planFor(clock, port, converter, address, addressChosen);
        plan.readIdentity = [&] {
            bus::buildExpectedFeatures(chosen);
            return bus::checkConnectedDevice(lib, silent, chosen, entry->family, ops);
        };
        const bus::Reached reached = bus::reachInstrument(lib, plan, chosen.busAddress, ops);
        lib.TBCloseCom();
        if (reached.opened < 0 || reached.asked < 0) {
            found.status = reached.status();
            return found;
        }
        const int16_t status = reached.identified;
        // Nothing answering at the address is the same for every model: the bus's failure.
        if (status < 0 && status != bus::status::DeviceMismatch && !chosen.deviceMismatch) {
            found.status = status;
            return found;
        }
        if (status >= 0 && !chosen.deviceMismatch) found.models.append(entry);
    }
    found.status = 0;
    return found;
}

const ModelEntry* familyModel(BusLibrary& lib, Clock& clock, int16_t port, int16_t converter, int16_t address,
                              int32_t identity, bool addressChosen) {
    QList<const ModelEntry*> offered;
    for (const ModelEntry* e = catalogue::begin(); e != catalogue::end(); ++e)
        if (e->family == (identity & kFamilyMask)) offered.append(e);
    const Detection found = detectModels(lib, clock, port, converter, address, offered, addressChosen);
    return found.models.isEmpty() ? nullptr : found.models.first();
}
