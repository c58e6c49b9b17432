#include "Instrument.h"

#include "Status.h"
#include "Units.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace traxbus {

namespace {

constexpr uint32_t kFamilyMask = 0x0FF00000;
constexpr int kWriteOffset = 256;
constexpr int32_t kResistanceInput = 2; // input kind code
constexpr int32_t kPt1000 = 1;          // sensor code on the resistance input

int32_t saturatedRaw(double value) {
    constexpr double lo = std::numeric_limits<int32_t>::min();
    constexpr double hi = std::numeric_limits<int32_t>::max();
    if (!(value >= lo)) return std::numeric_limits<int32_t>::min();
    if (value >= hi) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::llround(value));
}

// Output index of the point, delay and preferred-state commands.
bool validIndex(int32_t index) {
    return index == 0 || index == 1;
}

bool isExtendedWord(int p) {
    return p == 18 || p == 23 || p == 28 || p == 35;
}

} // namespace

Family Instrument::family() const {
    switch (identity & kFamilyMask) {
    case 0x07600000:
        return Family::Dvn500;
    case 0x07800000:
        return Family::Trk520;
    case 0x07900000:
        return Family::Dvn20Tb;
    default:
        return Family::Other;
    }
}

bool Instrument::isFieldParameter(int p) {
    return (p >= 2 && p <= 7) || p == 38 || p == 39;
}

double Instrument::scale() const {
    return std::pow(10.0, decimals);
}

Instrument::Outcome Instrument::execute(int16_t command, double& value, int32_t& integer) {
    using namespace status;
    const bool dvn20 = family() == Family::Dvn20Tb;

    // Commands every family answers.
    switch (command) {
    case 12:
        if (quietPolls_ > 0) {
            --quietPolls_;
            return {NoAnswer};
        }
        integer = static_cast<int32_t>(identity);
        return {};
    case 215:
    case 217:
        return {};
    case 241:
        quietPolls_ = sensorWritten_ ? quietPollsAfterSensorWrite : quietPollsAfterRestart;
        sensorWritten_ = false;
        return {};
    case 248:
        return parameterAccess(value, integer);
    case 254:
        value = firmware;
        return {};
    case 176:
        value = rangeLow;
        return {};
    case 177:
        value = rangeHigh;
        return {};
    case 200:
        value = displayLow;
        return {};
    case 201:
        value = displayHigh;
        return {};
    case 202:
        integer = unit;
        return {};
    case 204:
        integer = decimals;
        return {};
    case 192:
    case 193:
        if (!std::isfinite(value)) return {BadOperand};
        (command == 192 ? displayLow : displayHigh) = value;
        return {Ok, true};
    case 194:
        if (integer < 0 || integer >= kUnitCodeCount) return {BadOperand};
        unit = integer;
        return {Ok, true};
    case 195:
        if (integer < 0 || integer > 3) return {BadOperand};
        decimals = integer;
        return {Ok, true};
    default:
        break;
    }

    if (dvn20) {
        // Second form of the delay write, for the delay parameter that 248 refuses.
        if (command == 104) {
            if (!validIndex(integer) || !std::isfinite(value)) return {BadOperand};
            parameters[integer == 0 ? 17 : 22] = saturatedRaw(value);
            return {Ok, true};
        }
        return {UnknownCommand};
    }

    switch (command) {
    case 22:
        value = alarmMin;
        return {};
    case 23:
        value = alarmMax;
        return {};
    case 102:
    case 103:
        if (!std::isfinite(value)) return {BadOperand};
        (command == 102 ? alarmMin : alarmMax) = value;
        return {Ok, true};
    case 42:
    case 44:
    case 50:
        if (!validIndex(integer)) return {BadOperand};
        {
            const auto& out = outputs[integer];
            value = command == 42 ? out.on : command == 44 ? out.off : out.delay;
        }
        return {};
    case 43:
    case 45:
    case 51:
        if (!validIndex(integer) || !std::isfinite(value)) return {BadOperand};
        {
            auto& out = outputs[integer];
            (command == 43 ? out.on : command == 45 ? out.off : out.delay) = value;
        }
        return {Ok, true};
    case 52:
    case 53:
        if (isOldFirmware()) return {UnknownCommand};
        if (value != 0.0 && value != 1.0) return {BadOperand};
        {
            auto& out = outputs[value == 0.0 ? 0 : 1];
            if (command == 52) {
                integer = out.preferred;
                return {};
            }
            out.preferred = integer;
        }
        return {Ok, true};
    default:
        return {UnknownCommand};
    }
}

Instrument::Outcome Instrument::parameterAccess(double value, int32_t& integer) {
    using namespace status;
    if (!std::isfinite(value) || value < 0 || value >= 2 * kWriteOffset || value != std::floor(value))
        return {BadOperand};
    const int code = static_cast<int>(value);
    const bool write = code >= kWriteOffset;
    const int p = code % kWriteOffset;
    if (write && p == 22 && family() == Family::Dvn20Tb) return {UseCommand104};
    if (!knowsParameter(p)) return {UnknownParameter};
    if (write) return writeParameter(p, integer);
    integer = readParameter(p);
    return {};
}

bool Instrument::knowsParameter(int p) const {
    if (family() == Family::Dvn20Tb) return (p >= 0 && p <= 11) || (p >= 13 && p <= 24) || p == 122;
    if (p >= 0 && p <= 11) return true;
    if (p >= 12 && p <= 14) return hasAnalogOutput();
    // Older firmware lacks the analog range and filter, as it lacks the feature words.
    if (p == 25 || p == 26) return hasAnalogOutput() && !isOldFirmware();
    if (p >= 15 && p <= 19) return true;
    if (p >= 22 && p <= 24) return true;
    if (p == 27 || p == 28 || p == 35) return true;
    if (p == 38 || p == 39) return !isOldFirmware();
    return false;
}

int32_t Instrument::readParameter(int p) const {
    switch (p) {
    case 2:
        return unit;
    case 3:
        return saturatedRaw(rangeLow);
    case 4:
        return saturatedRaw(rangeHigh);
    case 5:
        return decimals;
    case 6:
        return saturatedRaw(displayLow * scale());
    case 7:
        return saturatedRaw(displayHigh * scale());
    case 38:
        return features;
    case 39:
        return options;
    default: {
        const auto it = parameters.find(p);
        return it == parameters.end() ? 0 : it->second;
    }
    }
}

Instrument::Outcome Instrument::writeParameter(int p, int32_t raw) {
    using namespace status;
    switch (p) {
    case 2:
        if (raw < 0 || raw >= kUnitCodeCount) return {BadOperand};
        unit = raw;
        break;
    case 3:
        rangeLow = raw;
        break;
    case 4:
        rangeHigh = raw;
        break;
    case 5:
        if (raw < 0 || raw > 3) return {BadOperand};
        decimals = raw;
        break;
    case 6:
        displayLow = raw / scale();
        break;
    case 7:
        displayHigh = raw / scale();
        break;
    case 38:
        features = static_cast<uint16_t>(raw);
        break;
    case 39:
        options = static_cast<uint16_t>(raw);
        break;
    default:
        // The extended configuration words are single bytes in the instrument.
        if (family() != Family::Dvn20Tb && isExtendedWord(p)) raw &= 0xFF;
        parameters[p] = raw;
        if (p == 1) {
            sensorWritten_ = true;
            // Pt100 and Pt1000 share the resistance input; a Pt1000 shows whole degrees only,
            // which is how a reader tells it from a Pt100 with tenths.
            if (family() != Family::Dvn20Tb && readParameter(0) == kResistanceInput && raw == kPt1000)
                decimals = 0;
        }
        break;
    }
    return {Ok, true};
}

Instrument::Outcome Instrument::readName(char* text, int16_t& length) const {
    using namespace status;
    if (!name) return {NameUnsupported};
    if (length < 0) return {BadOperand};
    if (name->size() > static_cast<std::size_t>(length)) {
        text[0] = '\0';
        return {BufferTooSmall};
    }
    std::memcpy(text, name->data(), name->size());
    text[name->size()] = '\0';
    length = static_cast<int16_t>(name->size());
    return {};
}

Instrument::Outcome Instrument::writeName(const char* text, int16_t length) {
    using namespace status;
    if (!name) return {NameUnsupported};
    if (length < 0) return {BadOperand};
    // Never read past the terminating zero, whatever length says.
    const std::size_t size = strnlen(text, static_cast<std::size_t>(length));
    if (size > kMaxNameLength) return {NameTooLong};
    name = std::string(text, size);
    return {Ok, true};
}

double Instrument::measure(double seconds) {
    if (!signal) return measurement;
    if (signal->kind == Signal::Kind::Process) return process_.valueAt(*signal, pidSettings(), seconds);
    return signalValue(*signal, seconds);
}

PidSettings Instrument::pidSettings() const {
    const auto parameter = [this](int p) {
        const auto it = parameters.find(p);
        return it == parameters.end() ? 0 : it->second;
    };
    PidSettings pid;
    pid.active = (options & kPidOption) != 0 && (parameter(18) & kPidActive) != 0;
    pid.setPoint = outputs[0].on;
    pid.band = outputs[0].off;
    pid.integralS = parameter(15);
    pid.derivativeS = parameter(16);
    return pid;
}

} // namespace traxbus
