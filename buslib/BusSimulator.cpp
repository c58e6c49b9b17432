#include "BusSimulator.h"

#include "ErrorTexts.h"
#include "Status.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace traxbus {

namespace {

constexpr int32_t kBaudRate = 4800;
constexpr int16_t kBroadcast = 255;
constexpr int16_t kHighestAddress = 239;
constexpr int kBitsPerByte = 10; // start bit, 8 data bits, stop bit
constexpr int kTurnaroundUs = 5000;
constexpr int kTimeoutUs = 100000;

// Test suites switch the wire time off whatever the roster says.
bool wireTimeOff() {
    const char* v = std::getenv("TRAXBUS_WIRETIME");
    return v && (std::strcmp(v, "off") == 0 || std::strcmp(v, "0") == 0);
}

bool validMode(int16_t mode) {
    // 66 is the second converter; the address selection window passes it unchanged.
    return mode == 0 || mode == 6 || mode == 7 || mode == 66;
}

// Parameter number and direction of a command 248 call, for fault matching.
void parameterOf(int16_t command, double value, int& parameter, bool& write) {
    if (command != 248 || !std::isfinite(value) || value < 0 || value >= 512 || value != std::floor(value))
        return;
    parameter = static_cast<int>(value) % 256;
    write = value >= 256;
}

} // namespace

int16_t BusSimulator::loadRoster(Roster& roster, RosterFile& file) {
    file = RosterFile(RosterFile::defaultPath());
    std::string problem;
    const int16_t result = file.load(roster, problem);
    if (result == status::BadRoster) {
        rosterProblem_ = problem;
        return result;
    }
    // The default roster could not be created: run with it anyway, writes will report why.
    if (result == status::WriteFailed) writeProblem_ = problem;
    return status::Ok;
}

int16_t BusSimulator::keep(const Instrument* changed, const std::function<void(Instrument&)>& own) {
    // Another process may have changed other instruments since this one read the roster: only
    // this call's own change goes into the file as it is now.
    const int port = openPort_.value_or(0);
    std::string problem;
    const int16_t result = file_.update(
        [&](Roster& fresh) {
            fresh.carryFaultCounts(kept_, roster_);
            if (changed)
                if (Instrument* same = fresh.findInstrument(port, changed->identity)) own(*same);
            return true;
        },
        problem);
    if (result != status::Ok) {
        writeProblem_ = problem;
        return result;
    }
    kept_ = roster_;
    return result;
}

void BusSimulator::keepCounters(bool changed) {
    // Fault counters are bookkeeping: the call's own status matters more than a failed save.
    if (changed) keep();
}

std::optional<int16_t> BusSimulator::rosterFault(std::string_view fn, int command, int parameter,
                                                 bool write) {
    bool changed = false;
    const auto result =
        Fault::check(roster_.faults, {fn, openPort_.value_or(0), command, parameter, write}, changed);
    keepCounters(changed);
    return result;
}

int16_t BusSimulator::openCom(int16_t port, int32_t baud, int16_t mode) {
    openPort_.reset();
    Roster roster;
    RosterFile file("");
    if (const int16_t result = loadRoster(roster, file); result != status::Ok) return result;
    // In real time a process goes on where it was: the same instrument, on the same port at the
    // same address, keeps its state. The test clock starts every open at 0 s, the process too.
    if (!signalStep())
        for (PortEntry& port : roster.ports)
            if (const PortEntry* before = roster_.findPort(port.number))
                for (Instrument& instrument : port.instruments)
                    for (const Instrument& old : before->instruments)
                        if (old.address == instrument.address && old.identity == instrument.identity)
                            instrument.continueSignalOf(old);
    roster_ = std::move(roster);
    kept_ = roster_;
    file_ = std::move(file);
    if (baud != kBaudRate) return status::BadBaudRate;
    if (!validMode(mode)) return status::BadMode;
    if (!roster_.findPort(port)) return status::PortMissing;
    bool changed = false;
    const auto fault = Fault::check(roster_.faults, {"TBOpenCom", port}, changed);
    keepCounters(changed);
    if (fault) return *fault;
    openPort_ = port;
    if (!signalsSince_) signalsSince_ = std::chrono::steady_clock::now();
    measurements_ = 0;
    return status::Ok;
}

int16_t BusSimulator::closeCom() {
    if (!openPort_) return status::PortNotOpen;
    const auto fault = rosterFault("TBCloseCom");
    openPort_.reset();
    return fault.value_or(status::Ok);
}

int16_t BusSimulator::sysinit() {
    openPort_.reset();
    return status::Ok;
}

std::vector<Instrument*> BusSimulator::atAddress(int16_t address) {
    std::vector<Instrument*> found;
    if (PortEntry* port = roster_.findPort(*openPort_))
        for (auto& instrument : port->instruments)
            if (instrument.address == address) found.push_back(&instrument);
    return found;
}

int16_t BusSimulator::respond(const std::vector<Instrument*>& candidates, const FaultCall& call,
                              Instrument*& responder, bool& countersChanged) {
    std::vector<std::pair<Instrument*, std::optional<int16_t>>> answering;
    for (Instrument* instrument : candidates) {
        if (instrument->silent) continue;
        const auto fault = Fault::check(instrument->faults, call, countersChanged);
        if (fault == status::NoAnswer) continue;
        answering.emplace_back(instrument, fault);
    }
    if (answering.empty()) return status::NoAnswer;
    if (answering.size() > 1) return status::Collision;
    if (answering.front().second) return *answering.front().second;
    responder = answering.front().first;
    return status::Ok;
}

int16_t BusSimulator::transmit(int16_t address, int16_t command, double& value, int32_t& integer) {
    if (!openPort_) return status::PortNotOpen;
    int parameter = -1;
    bool write = false;
    parameterOf(command, value, parameter, write);
    if (const auto fault = rosterFault("TBTransmit", command, parameter, write)) return *fault;
    if (address < 0 || address > kBroadcast) return status::BadOperand;

    const FaultCall call{"TBTransmit", *openPort_, command, parameter, write};
    bool countersChanged = false;
    Instrument* responder = nullptr;
    int16_t result = status::Ok;

    if (command == 14 && address == kBroadcast) {
        std::vector<Instrument*> all;
        for (auto& instrument : roster_.findPort(*openPort_)->instruments)
            all.push_back(&instrument);
        result = respond(all, call, responder, countersChanged);
        if (responder) integer = responder->address;
        keepCounters(countersChanged);
        return result;
    }

    if (command == 13) {
        // Sent to the new address; the instrument whose identity word is in the integer takes it.
        if (address > kHighestAddress) return status::BadOperand;
        std::vector<Instrument*> owners;
        for (auto& instrument : roster_.findPort(*openPort_)->instruments)
            if (instrument.identity == static_cast<uint32_t>(integer)) owners.push_back(&instrument);
        result = respond(owners, call, responder, countersChanged);
        if (!responder) {
            keepCounters(countersChanged);
            return result;
        }
        const int previous = responder->address;
        responder->address = address;
        if (const int16_t saved = keep(responder, [address](Instrument& i) { i.address = address; });
            saved != status::Ok) {
            responder->address = previous;
            return saved;
        }
        return status::Ok;
    }

    result = respond(atAddress(address), call, responder, countersChanged);
    if (!responder) {
        keepCounters(countersChanged);
        return result;
    }
    if (command == 14) {
        integer = responder->address;
        keepCounters(countersChanged);
        return status::Ok;
    }
    const Instrument before = *responder;
    const double sentValue = value;
    const int32_t sentInteger = integer;
    const auto outcome = responder->execute(command, value, integer);
    if (outcome.changed) {
        // The same command once more on the instrument as the file holds it now.
        const auto again = [=](Instrument& i) {
            double v = sentValue;
            int32_t n = sentInteger;
            i.execute(command, v, n);
        };
        if (const int16_t saved = keep(responder, again); saved != status::Ok) {
            *responder = before;
            return saved;
        }
        return outcome.status;
    }
    keepCounters(countersChanged);
    return outcome.status;
}

int16_t BusSimulator::transmitString(int16_t address, int16_t command, char* text, int16_t& length) {
    if (!openPort_) return status::PortNotOpen;
    if (const auto fault = rosterFault("TBTransmitString", command)) return *fault;
    bool countersChanged = false;
    Instrument* responder = nullptr;
    const int16_t result =
        respond(atAddress(address), {"TBTransmitString", *openPort_, command}, responder, countersChanged);
    if (!responder || (command != 1 && command != 2)) {
        keepCounters(countersChanged);
        return responder ? status::UnknownCommand : result;
    }
    if (command == 1) {
        keepCounters(countersChanged);
        return responder->readName(text, length).status;
    }
    const auto previous = responder->name;
    const auto outcome = responder->writeName(text, length);
    if (outcome.changed) {
        const auto again = [text, length](Instrument& i) { i.writeName(text, length); };
        if (const int16_t saved = keep(responder, again); saved != status::Ok) {
            responder->name = previous;
            return saved;
        }
        return outcome.status;
    }
    keepCounters(countersChanged);
    return outcome.status;
}

int16_t BusSimulator::readId(int16_t address, int32_t& identity) {
    if (!openPort_) return status::PortNotOpen;
    if (const auto fault = rosterFault("TBReadID")) return *fault;
    bool countersChanged = false;
    Instrument* responder = nullptr;
    const int16_t result = respond(atAddress(address), {"TBReadID", *openPort_}, responder, countersChanged);
    keepCounters(countersChanged);
    if (responder) identity = static_cast<int32_t>(responder->identity);
    return result;
}

int16_t BusSimulator::measurement(int16_t address, double& value) {
    if (!openPort_) return status::PortNotOpen;
    // Every poll on the open port moves the signal clock on, answered or not.
    const double seconds = signalSeconds();
    ++measurements_;
    if (const auto fault = rosterFault("GetMeasurement")) return *fault;
    bool countersChanged = false;
    Instrument* responder = nullptr;
    const int16_t result =
        respond(atAddress(address), {"GetMeasurement", *openPort_}, responder, countersChanged);
    keepCounters(countersChanged);
    if (responder) value = responder->measure(seconds);
    return result;
}

double BusSimulator::signalSeconds() {
    if (const auto step = signalStep()) return static_cast<double>(measurements_) * *step;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - *signalsSince_).count();
}

std::optional<double> BusSimulator::signalStep() {
    // A test clock: time stands still and every GetMeasurement call moves it on by this step.
    if (const char* step = std::getenv("TRAXBUS_SIGNALSTEP")) {
        char* end = nullptr;
        const double seconds = std::strtod(step, &end);
        if (end != step && std::isfinite(seconds) && seconds >= 0) return seconds;
    }
    return std::nullopt;
}

int16_t BusSimulator::searchPorts(std::vector<int16_t>& ports) {
    // A port may be open: read a fresh copy so the session's roster stays as it is.
    Roster roster;
    RosterFile file("");
    if (const int16_t result = loadRoster(roster, file); result != status::Ok) return result;
    const Roster before = roster;
    bool changed = false;
    const auto fault = Fault::check(roster.faults, {"SearchForComPorts", 0}, changed);
    if (changed) {
        std::string problem;
        file.update(
            [&](Roster& fresh) {
                fresh.carryFaultCounts(before, roster);
                return true;
            },
            problem);
    }
    if (fault) return *fault;
    ports.clear();
    for (const auto& port : roster.ports)
        ports.push_back(static_cast<int16_t>(port.number));
    std::sort(ports.begin(), ports.end());
    return status::Ok;
}

uint16_t BusSimulator::versionNumber() {
    Roster roster;
    RosterFile file("");
    // Without a usable roster the program still starts; opening a port then names the problem.
    if (loadRoster(roster, file) != status::Ok) return Roster::kDefaultLibraryVersion;
    return roster.libraryVersion;
}

void BusSimulator::spendWireTime(int outBytes, int backBytes, int16_t result) {
    if (!openPort_) return;
    const PortEntry* port = roster_.findPort(*openPort_);
    if (!port || port->baud <= 0 || wireTimeOff()) return;
    // Refused before anything was sent.
    if (result == status::BadOperand || result == status::NullPointer || result == status::PortNotOpen)
        return;
    const auto onWire = [port](int bytes) {
        return static_cast<int64_t>(bytes) * kBitsPerByte * 1000000 / port->baud;
    };
    const int64_t us = result == status::NoAnswer ? onWire(outBytes) + kTimeoutUs
                                                  : onWire(outBytes) + kTurnaroundUs + onWire(backBytes);
    std::this_thread::sleep_for(std::chrono::microseconds(us));
}

std::string BusSimulator::errorText(int16_t code) const {
    if (code == status::BadRoster) return traxbus::errorText(code, rosterProblem_);
    if (code == status::WriteFailed) return traxbus::errorText(code, writeProblem_);
    return traxbus::errorText(code);
}

} // namespace traxbus
