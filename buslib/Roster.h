#pragma once

#include "Fault.h"
#include "Instrument.h"

#include <cstdint>
#include <string>
#include <vector>

namespace traxbus {

struct PortEntry {
    int number = 0;
    std::string comment;
    std::vector<Instrument> instruments;
    // Bits per second of the simulated line: each call takes its telegrams' time on the wire.
    // 0: answers come at once.
    int baud = 0;
};

// Everything the roster file holds: the simulated ports with their instruments.
class Roster {
  public:
    static constexpr uint16_t kDefaultLibraryVersion = 0x0170;

    std::string info;
    uint16_t libraryVersion = kDefaultLibraryVersion;
    std::vector<Fault> faults; // faults of the library itself (open, search, a whole port)
    std::vector<PortEntry> ports;

    PortEntry* findPort(int number);
    const PortEntry* findPort(int number) const;
    // The instrument of that identity on the port; nullptr when there is none.
    Instrument* findInstrument(int port, uint32_t identity);

    // Counts the calls that moved the fault counters from before to after on this roster's
    // faults too, so counts another process made meanwhile stay counted.
    void carryFaultCounts(const Roster& before, const Roster& after);

    // The program picks the instrument by picking the port: one per port, plus a port with two
    // instruments, an empty one and a whole line of instruments for the bus scan.
    static Roster makeDefault();
};

} // namespace traxbus
