#pragma once

#include "Roster.h"
#include "RosterFile.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace traxbus {

// The bus as the library's callers see it: one open port at a time, the instruments of the
// roster on it, and every change kept in the roster file.
class BusSimulator {
  public:
    int16_t openCom(int16_t port, int32_t baud, int16_t mode);
    int16_t closeCom();
    int16_t transmit(int16_t address, int16_t command, double& value, int32_t& integer);
    int16_t transmitString(int16_t address, int16_t command, char* text, int16_t& length);
    int16_t searchPorts(std::vector<int16_t>& ports);
    uint16_t versionNumber();
    int16_t readId(int16_t address, int32_t& identity);
    int16_t measurement(int16_t address, double& value);
    int16_t sysinit();

    // The time the last call's telegrams took on the open port's line (see README.md),
    // spent by sleeping; nothing when the port has no baud rate.
    void spendWireTime(int outBytes, int backBytes, int16_t result);
    static constexpr int kTelegramBytes = 8;

    // German text for a status, with the file problem behind the roster statuses.
    std::string errorText(int16_t status) const;

  private:
    int16_t loadRoster(Roster& roster, RosterFile& file);
    // Writes a change to the roster file: the fault counts since the last write, and own applied
    // to the instrument changed (on the open port) as the file holds it now.
    int16_t keep(const Instrument* changed = nullptr, const std::function<void(Instrument&)>& own = {});
    void keepCounters(bool changed);
    std::optional<int16_t> rosterFault(std::string_view fn, int command = -1, int parameter = -1,
                                       bool write = false);
    // Picks the one instrument that answers among the candidates, or says why none does.
    int16_t respond(const std::vector<Instrument*>& candidates, const FaultCall& call, Instrument*& responder,
                    bool& countersChanged);
    std::vector<Instrument*> atAddress(int16_t address);
    // Seconds since the roster was opened, as the signals see them (see README.md, "Signals").
    double signalSeconds();
    // The test clock of TRAXBUS_SIGNALSTEP in seconds a poll, when set.
    static std::optional<double> signalStep();

    Roster roster_;
    Roster kept_; // roster_ as of its last write: the baseline of the fault counts
    RosterFile file_{""};
    std::optional<int> openPort_;
    // When the signals' clock started: at the first open while the library is loaded, so a
    // caller that closes and opens the port again sees the signal go on.
    std::optional<std::chrono::steady_clock::time_point> signalsSince_;
    int64_t measurements_ = 0; // GetMeasurement calls since the port was opened
    std::string rosterProblem_;
    std::string writeProblem_;
};

} // namespace traxbus
