// The twelve exported entry points: argument checks, the trace line, and no exception or
// null pointer ever crossing into the caller.
#include "traxbus.h"

#include "BusSimulator.h"
#include "Cp1252.h"
#include "Status.h"
#include "Trace.h"
#include "Units.h"

#include <algorithm>
#include <cstring>
#include <mutex>

using traxbus::BusSimulator;
using traxbus::Trace;
using Json = nlohmann::ordered_json;
namespace status = traxbus::status;

namespace {

constexpr std::size_t kMessageBufferSize = 256;
constexpr std::size_t kTypeBufferSize = 256;
constexpr std::size_t kUnitBufferSize = 10;
constexpr std::size_t kMaxPorts = 256;

// One caller at a time, as on the real bus.
std::mutex busMutex;

BusSimulator& bus() {
    static BusSimulator simulator;
    return simulator;
}

// Runs an entry point's body; whatever it throws becomes the internal-error status.
template <typename Result, typename Body> Result guarded(Body&& body) noexcept {
    try {
        std::lock_guard lock(busMutex);
        return body();
    } catch (...) {
        return static_cast<Result>(status::Internal);
    }
}

// Copies Windows-1252 text into a caller's buffer of the given size, always terminated.
void copyText(char* target, std::size_t size, const std::string& text) {
    const std::size_t n = std::min(text.size(), size - 1);
    std::memcpy(target, text.data(), n);
    target[n] = '\0';
}

template <typename T> Json maybe(const T* pointer) {
    return pointer ? Json(*pointer) : Json(nullptr);
}

} // namespace

extern "C" {

int16_t TRAXBUS_CALL TBOpenCom(int16_t port, int32_t baud, int16_t mode) {
    return guarded<int16_t>([&] {
        const int16_t result = bus().openCom(port, baud, mode);
        Trace::record("TBOpenCom", {{"port", port}, {"baud", baud}, {"mode", mode}}, result, {});
        return result;
    });
}

int16_t TRAXBUS_CALL TBCloseCom(void) {
    return guarded<int16_t>([&] {
        const int16_t result = bus().closeCom();
        Trace::record("TBCloseCom", {}, result, {});
        return result;
    });
}

int16_t TRAXBUS_CALL TBTransmit(int16_t address, int16_t command, int16_t* aux, double* value,
                                int32_t* integer) {
    return guarded<int16_t>([&] {
        const Json in = {{"address", address},
                         {"command", command},
                         {"aux", maybe(aux)},
                         {"value", maybe(value)},
                         {"integer", maybe(integer)}};
        const int16_t result = aux && value && integer ? bus().transmit(address, command, *value, *integer)
                                                       : status::NullPointer;
        bus().spendWireTime(BusSimulator::kTelegramBytes, BusSimulator::kTelegramBytes, result);
        Trace::record("TBTransmit", in, result,
                      {{"aux", maybe(aux)}, {"value", maybe(value)}, {"integer", maybe(integer)}});
        return result;
    });
}

int16_t TRAXBUS_CALL GetErrorMessageRet(int16_t code, char* text) {
    return guarded<int16_t>([&] {
        int16_t result = status::NullPointer;
        if (text) {
            copyText(text, kMessageBufferSize, traxbus::cp1252::fromUtf8Lossy(bus().errorText(code)));
            result = status::Ok;
        }
        Trace::record("GetErrorMessageRet", {{"status", code}}, result, {{"text", Trace::text(text)}});
        return result;
    });
}

int8_t TRAXBUS_CALL GetType(int32_t identity, char* text) {
    return guarded<int8_t>([&] {
        int8_t result = status::NullPointer;
        if (text) {
            const char* name = nullptr;
            switch (static_cast<uint32_t>(identity) & 0x0FF00000) {
            case 0x07600000:
                name = "DVN 500";
                break;
            case 0x07800000:
                name = "TRK 520";
                break;
            case 0x07900000:
                name = "DVN 20 TB";
                break;
            default:
                break;
            }
            copyText(text, kTypeBufferSize, name ? name : "");
            result = name ? status::Ok : status::UnknownType;
        }
        Trace::record("GetType", {{"identity", identity}}, result, {{"text", Trace::text(text)}});
        return result;
    });
}

int16_t TRAXBUS_CALL GetUnit(int16_t code, char* text) {
    return guarded<int16_t>([&] {
        int16_t result = status::NullPointer;
        if (text) {
            const char* unit = traxbus::unitText(code);
            copyText(text, kUnitBufferSize, unit ? unit : "?");
            result = unit ? status::Ok : status::UnitOutOfRange;
        }
        Trace::record("GetUnit", {{"code", code}}, result, {{"text", Trace::text(text)}});
        return result;
    });
}

uint16_t TRAXBUS_CALL GetVersionNumber(void) {
    // The version has no status to report a failure with; the default version stands in.
    try {
        std::lock_guard lock(busMutex);
        const uint16_t version = bus().versionNumber();
        Trace::record("GetVersionNumber", {}, version, {});
        return version;
    } catch (...) {
        return traxbus::Roster::kDefaultLibraryVersion;
    }
}

int8_t TRAXBUS_CALL TBTransmitString(int16_t address, int16_t command, int16_t* aux, char* text,
                                     int16_t* length) {
    return guarded<int8_t>([&] {
        const bool writing = command == 2 && text && length && *length >= 0;
        const Json in = {
            {"address", address},
            {"command", command},
            {"aux", maybe(aux)},
            {"text", writing ? Trace::text(text, static_cast<std::size_t>(*length)) : Json(nullptr)},
            {"length", maybe(length)}};
        const int16_t result = aux && text && length ? bus().transmitString(address, command, text, *length)
                                                     : status::NullPointer;
        const bool read = command == 1 && result >= 0;
        // The text travels in the telegram of the direction it goes.
        const int textBytes = length && *length > 0 ? *length : 0;
        bus().spendWireTime(BusSimulator::kTelegramBytes + (writing ? textBytes : 0),
                            BusSimulator::kTelegramBytes + (read ? textBytes : 0), result);
        Trace::record("TBTransmitString", in, result,
                      {{"text", read ? Trace::text(text) : Json(nullptr)}, {"length", maybe(length)}});
        return static_cast<int8_t>(result);
    });
}

int16_t TRAXBUS_CALL SearchForComPorts(int16_t* ports, int16_t* count) {
    return guarded<int16_t>([&] {
        int16_t result = status::NullPointer;
        Json found = nullptr;
        if (ports && count) {
            std::vector<int16_t> numbers;
            result = bus().searchPorts(numbers);
            if (result >= 0) {
                numbers.resize(std::min(numbers.size(), kMaxPorts));
                std::copy(numbers.begin(), numbers.end(), ports);
                *count = static_cast<int16_t>(numbers.size());
                found = numbers;
            }
        }
        Trace::record("SearchForComPorts", {}, result, {{"ports", found}, {"count", maybe(count)}});
        return result;
    });
}

int16_t TRAXBUS_CALL TBReadID(int16_t address, int32_t* identity) {
    return guarded<int16_t>([&] {
        const int16_t result = identity ? bus().readId(address, *identity) : status::NullPointer;
        bus().spendWireTime(BusSimulator::kTelegramBytes, BusSimulator::kTelegramBytes, result);
        Trace::record("TBReadID", {{"address", address}}, result, {{"identity", maybe(identity)}});
        return result;
    });
}

int16_t TRAXBUS_CALL TBSysinit(void) {
    return guarded<int16_t>([&] {
        const int16_t result = bus().sysinit();
        Trace::record("TBSysinit", {}, result, {});
        return result;
    });
}

int16_t TRAXBUS_CALL GetMeasurement(int16_t address, double* value) {
    return guarded<int16_t>([&] {
        const int16_t result = value ? bus().measurement(address, *value) : status::NullPointer;
        bus().spendWireTime(BusSimulator::kTelegramBytes, BusSimulator::kTelegramBytes, result);
        Trace::record("GetMeasurement", {{"address", address}}, result, {{"value", maybe(value)}});
        return result;
    });
}

} // extern "C"
