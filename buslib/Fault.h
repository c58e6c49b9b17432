#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace traxbus {

// One call as the fault list sees it.
struct FaultCall {
    std::string_view fn;
    int port = 0;
    int command = -1;   // -1: the entry point has no command
    int parameter = -1; // command 248 only
    bool write = false; // command 248 only
};

// An injected failure: the matching call answers with status instead of its normal result.
struct Fault {
    std::string fn = "TBTransmit";
    std::optional<int> command; // empty: any command
    std::optional<int> port;    // roster-wide faults only
    std::optional<int> parameter;
    std::optional<bool> write;
    int16_t status = 0;
    int count = -1; // fires this many more times; -1 = always
    int after = 0;  // matching calls still to let through first

    bool matches(const FaultCall& call) const;

    // Counts the call against every matching fault of the list and returns the status of the
    // first one that fires. changed is set when a counter moved, so the roster gets rewritten.
    static std::optional<int16_t> check(std::vector<Fault>& faults, const FaultCall& call, bool& changed);
};

} // namespace traxbus
