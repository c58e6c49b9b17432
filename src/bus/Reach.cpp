#include "bus/Reach.h"

#include "bus/BusPort.h"

namespace bus {

int16_t Reached::status() const {
    for (const int16_t step : {opened, asked})
        if (step < 0) return step;
    return identified;
}

Reached reachInstrument(BusLibrary& library, const ReachPlan& plan, int16_t& address, Operands& ops) {
    Reached r;
    BusLibrary& opener = plan.portLibrary ? *plan.portLibrary : library;
    Q_ASSERT(plan.converterAsStored || plan.clock);
    r.opened = plan.converterAsStored ? opener.TBOpenCom(plan.comPort, kBaudRate, plan.converterCode)
                                      : openBusPort(opener, plan.comPort, plan.converterCode, *plan.clock);
    if (plan.afterOpen) r.opened = plan.afterOpen(r.opened);
    if (r.opened < 0) return r;
    if (plan.askAddress) {
        r.asked = queryAddress(library, plan.addressPreset, ops, address);
        if (r.asked < 0) return r;
    }
    if (plan.readIdentity) {
        r.identified = plan.readIdentity();
    } else {
        if (plan.clearOperands) ops = {};
        r.identified = transmit(library, address, cmd::ReadIdentity, ops);
    }
    return r;
}

} // namespace bus
