#pragma once

#include "Fault.h"
#include "Signal.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace traxbus {

enum class Family { Dvn500, Trk520, Dvn20Tb, Other };

struct OutputValues {
    double on = 0;
    double off = 0;
    double delay = 0;
    int32_t preferred = 0;
};

// A simulated instrument: its stored configuration and how it answers one command.
class Instrument {
  public:
    static constexpr std::size_t kMaxNameLength = 16;
    static constexpr uint16_t kCurrentOutput = 0x0004;
    static constexpr uint16_t kVoltageOutput = 0x8000;
    static constexpr uint16_t kPidOption = 0x0020; // option word
    static constexpr int32_t kPidActive = 0x10;    // parameter 18

    struct Outcome {
        int16_t status = 0;
        bool changed = false; // something to keep in the roster file
    };

    std::string comment;
    uint32_t identity = 0;
    double firmware = 23.0;
    int address = 1;
    std::optional<std::string> name; // Windows-1252; none = the instrument keeps no name
    uint16_t features = 0;           // parameter 38
    uint16_t options = 0;            // parameter 39
    int32_t decimals = 0;            // parameter 5, commands 195/204
    int32_t unit = 1;                // parameter 2, commands 194/202
    double displayLow = 0;           // parameter 6 (raw), commands 192/200
    double displayHigh = 1000;       // parameter 7 (raw), commands 193/201
    double rangeLow = 0;             // parameter 3, command 176
    double rangeHigh = 1000;         // parameter 4, command 177
    std::array<OutputValues, 2> outputs{};
    double alarmMin = 0;
    double alarmMax = 0;
    double measurement = 0;
    std::optional<Signal> signal; // none: GetMeasurement answers `measurement`
    std::map<int, int32_t> parameters; // every other parameter of command 248
    int quietPollsAfterRestart = 1;
    int quietPollsAfterSensorWrite = 1;
    bool silent = false;
    std::vector<Fault> faults;

    Family family() const;
    bool hasAnalogOutput() const { return (features & (kCurrentOutput | kVoltageOutput)) != 0; }
    bool isOldFirmware() const { return firmware < 23.0; }

    // Parameters kept in the named fields above rather than in `parameters`.
    static bool isFieldParameter(int p);

    // Commands 12 and 215 to 254 as the family, firmware and features imply. The address
    // commands 13 and 14 pick their instrument on the bus and are the simulator's.
    Outcome execute(int16_t command, double& value, int32_t& integer);

    // What GetMeasurement answers `seconds` after the roster was opened.
    double measure(double seconds);
    // Goes on with the process of `before` (the same instrument as an earlier roster held it),
    // so opening the port again does not start the process afresh.
    void continueSignalOf(const Instrument& before) { process_ = before.process_; }
    PidSettings pidSettings() const;

    // capacity: characters the buffer takes besides the terminating zero.
    Outcome readName(char* text, int16_t& length) const;
    Outcome writeName(const char* text, int16_t length);

  private:
    Outcome parameterAccess(double value, int32_t& integer);
    bool knowsParameter(int p) const;
    int32_t readParameter(int p) const;
    Outcome writeParameter(int p, int32_t raw);
    double scale() const;

    int quietPolls_ = 0; // polls still to go unanswered after a restart
    bool sensorWritten_ = false;
    ProcessState process_;
};

} // namespace traxbus
