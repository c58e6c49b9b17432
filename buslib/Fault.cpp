#include "Fault.h"

namespace traxbus {

bool Fault::matches(const FaultCall& call) const {
    if (count == 0 || fn != call.fn) return false;
    if (port && *port != call.port) return false;
    if (command && *command != call.command) return false;
    if (parameter && *parameter != call.parameter) return false;
    if (write && (call.parameter < 0 || *write != call.write)) return false;
    return true;
}

std::optional<int16_t> Fault::check(std::vector<Fault>& faults, const FaultCall& call, bool& changed) {
    std::optional<int16_t> result;
    for (auto& fault : faults) {
        if (!fault.matches(call)) continue;
        if (fault.after > 0) {
            --fault.after;
            changed = true;
            continue;
        }
        if (result) continue;
        result = fault.status;
        if (fault.count > 0) {
            --fault.count;
            changed = true;
        }
    }
    return result;
}

} // namespace traxbus
