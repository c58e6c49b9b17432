#include "RosterJson.h"

#include "Cp1252.h"
#include "Units.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <limits>
#include <set>

namespace traxbus {

using Json = nlohmann::ordered_json;

namespace {

constexpr int kMaxPorts = 256;
constexpr int kMaxPollCount = 1000;
constexpr const char* kInstrumentFaultFns[] = {"TBTransmit", "TBTransmitString", "TBReadID",
                                               "GetMeasurement"};
constexpr const char* kRosterFaultFns[] = {"TBOpenCom",        "TBCloseCom",        "TBTransmit",
                                           "TBTransmitString", "SearchForComPorts", "TBReadID",
                                           "GetMeasurement"};

std::string inQuotes(const std::string& key) {
    return "„" + key + "“";
}

[[noreturn]] void fail(const std::string& where, const std::string& what) {
    throw RosterError(where.empty() ? what : where + ": " + what);
}

std::string hex(uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

void checkKeys(const Json& object, std::initializer_list<const char*> allowed, const std::string& where) {
    for (const auto& item : object.items()) {
        const bool known =
            std::any_of(allowed.begin(), allowed.end(), [&](const char* key) { return item.key() == key; });
        if (!known) fail(where, "unbekannter Eintrag " + inQuotes(item.key()));
    }
}

const Json* member(const Json& object, const char* key) {
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

const Json& required(const Json& object, const char* key, const std::string& where) {
    const Json* value = member(object, key);
    if (!value) fail(where, inQuotes(key) + " fehlt");
    return *value;
}

void requireObject(const Json& value, const std::string& where, const std::string& what) {
    if (!value.is_object()) fail(where, what + " muss ein Objekt { … } sein");
}

void requireArray(const Json& value, const std::string& where, const std::string& what) {
    if (!value.is_array()) fail(where, what + " muss eine Liste [ … ] sein");
}

int64_t readInt(const Json& value, const std::string& where, const std::string& key, int64_t lo, int64_t hi) {
    const std::string range = " von " + std::to_string(lo) + " bis " + std::to_string(hi);
    if (!value.is_number_integer()) fail(where, inQuotes(key) + " muss eine ganze Zahl" + range + " sein");
    if (value.is_number_unsigned() && value.get<uint64_t>() > static_cast<uint64_t>(hi))
        fail(where, inQuotes(key) + " muss eine ganze Zahl" + range + " sein");
    const int64_t number = value.get<int64_t>();
    if (number < lo || number > hi) fail(where, inQuotes(key) + " muss eine ganze Zahl" + range + " sein");
    return number;
}

// Words are written as hexadecimal text ("0x07810101"); a plain number is taken as well.
uint32_t readWord(const Json& value, const std::string& where, const std::string& key, uint32_t max) {
    const std::string what = inQuotes(key) + " muss eine Zahl oder ein Hex-Text wie „0x" +
                             std::string(max > 0xFFFF ? "07810101" : "0020") + "“ sein";
    if (value.is_number_integer()) return static_cast<uint32_t>(readInt(value, where, key, 0, max));
    if (!value.is_string()) fail(where, what);
    const auto& text = value.get_ref<const std::string&>();
    const bool isHex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = isHex ? text.substr(2) : text;
    const int base = isHex ? 16 : 10;
    if (digits.empty() || digits.size() > 10) fail(where, what);
    uint64_t number = 0;
    for (char c : digits) {
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0) fail(where, what);
        number = number * base + digit;
    }
    if (number > max) fail(where, inQuotes(key) + " ist größer als " + hex(max, max > 0xFFFF ? 8 : 4));
    return static_cast<uint32_t>(number);
}

double readNumber(const Json& value, const std::string& where, const std::string& key) {
    if (!value.is_number()) fail(where, inQuotes(key) + " muss eine Zahl sein");
    const double number = value.get<double>();
    if (!std::isfinite(number)) fail(where, inQuotes(key) + " ist keine endliche Zahl");
    return number;
}

bool readBool(const Json& value, const std::string& where, const std::string& key) {
    if (!value.is_boolean()) fail(where, inQuotes(key) + " muss true oder false sein");
    return value.get<bool>();
}

std::string readText(const Json& value, const std::string& where, const std::string& key) {
    if (!value.is_string()) fail(where, inQuotes(key) + " muss ein Text sein");
    return value.get<std::string>();
}

template <std::size_t N> bool oneOf(const std::string& text, const char* const (&names)[N]) {
    return std::any_of(std::begin(names), std::end(names), [&](const char* name) { return text == name; });
}

Fault readFault(const Json& value, const std::string& where, bool ofInstrument) {
    requireObject(value, where, "eine Störung");
    if (ofInstrument)
        checkKeys(value, {"fn", "command", "p", "write", "status", "count", "after"}, where);
    else
        checkKeys(value, {"fn", "port", "command", "p", "write", "status", "count", "after"}, where);

    Fault fault;
    if (const Json* fn = member(value, "fn")) {
        fault.fn = readText(*fn, where, "fn");
    } else if (!ofInstrument) {
        fail(where, inQuotes("fn") + " fehlt");
    }
    const bool fnKnown =
        ofInstrument ? oneOf(fault.fn, kInstrumentFaultFns) : oneOf(fault.fn, kRosterFaultFns);
    if (!fnKnown) fail(where, inQuotes("fn") + ": " + inQuotes(fault.fn) + " ist hier nicht möglich");
    const bool hasCommands = fault.fn == "TBTransmit" || fault.fn == "TBTransmitString";

    const Json* command = member(value, "command");
    if (ofInstrument && hasCommands && !command) fail(where, inQuotes("command") + " fehlt");
    if (command && !hasCommands) fail(where, inQuotes("command") + " passt nicht zu " + inQuotes(fault.fn));
    if (command && !(command->is_string() && command->get<std::string>() == "any"))
        fault.command = static_cast<int>(readInt(*command, where, "command", 0, 32767));

    if (const Json* port = member(value, "port"))
        fault.port = static_cast<int>(readInt(*port, where, "port", 1, 32767));
    if (const Json* p = member(value, "p"))
        fault.parameter = static_cast<int>(readInt(*p, where, "p", 0, 255));
    if (const Json* write = member(value, "write")) fault.write = readBool(*write, where, "write");

    // TBTransmitString answers with 8 bits. Status 0 answers success and changes nothing: a
    // value written that the instrument does not keep.
    const int64_t lowest = fault.fn == "TBTransmitString" ? -128 : -32768;
    fault.status =
        static_cast<int16_t>(readInt(required(value, "status", where), where, "status", lowest, 0));
    fault.count = static_cast<int>(
        readInt(required(value, "count", where), where, "count", -1, std::numeric_limits<int>::max()));
    if (const Json* after = member(value, "after"))
        fault.after = static_cast<int>(readInt(*after, where, "after", 0, std::numeric_limits<int>::max()));
    return fault;
}

std::vector<Fault> readFaults(const Json& value, const std::string& where, bool ofInstrument) {
    requireArray(value, where, inQuotes("faults"));
    std::vector<Fault> faults;
    for (std::size_t i = 0; i < value.size(); ++i)
        faults.push_back(readFault(value[i],
                                   where + (where.empty() ? "" : ", ") + "Störung " + std::to_string(i + 1),
                                   ofInstrument));
    return faults;
}

const char* fieldOfParameter(int p) {
    switch (p) {
    case 2:
        return "unit";
    case 3:
    case 4:
        return "range";
    case 5:
        return "decimals";
    case 6:
    case 7:
        return "display";
    case 38:
        return "features";
    default:
        return "options";
    }
}

void readPair(const Json& object, const char* key, const char* first, const char* second, double& a,
              double& b, const std::string& where) {
    const Json* value = member(object, key);
    if (!value) return;
    const std::string inner = where + ", " + inQuotes(key);
    requireObject(*value, where, inQuotes(key));
    checkKeys(*value, {first, second}, inner);
    if (const Json* v = member(*value, first)) a = readNumber(*v, inner, first);
    if (const Json* v = member(*value, second)) b = readNumber(*v, inner, second);
}

// "signal": { "<kind>": parameters } – exactly one kind.
Signal readSignal(const Json& value, const std::string& where, const Instrument& instrument) {
    const std::string at = where + ", " + inQuotes("signal");
    requireObject(value, where, inQuotes("signal"));
    checkKeys(value, {"constant", "ramp", "sine", "noise", "step", "process"}, at);
    if (value.size() != 1)
        fail(at, "genau eine Art erwartet: constant, ramp, sine, noise, step oder process");
    // Named references, not a structured binding: the lambdas below take `body`, which not
    // every compiler we build with allows of a binding.
    const auto only = value.begin();
    const std::string kind = only.key();
    const auto& body = only.value();
    Signal signal;
    if (kind == "constant") {
        signal.value = readNumber(body, at, "constant");
        return signal;
    }
    const std::string inner = at + ", " + inQuotes(kind);
    requireObject(body, at, inQuotes(kind));
    const auto number = [&](const char* key) { return readNumber(required(body, key, inner), inner, key); };
    const auto positive = [&](const char* key, double lowest) {
        const double v = number(key);
        if (v < lowest)
            fail(inner, inQuotes(key) + " muss mindestens " + std::to_string(static_cast<int>(lowest)) +
                            (lowest > 0 ? " s" : "") + " sein");
        return v;
    };
    if (kind == "ramp") {
        checkKeys(body, {"from", "to", "period"}, inner);
        signal.kind = Signal::Kind::Ramp;
        signal.from = number("from");
        signal.to = number("to");
        signal.period = positive("period", 1);
    } else if (kind == "sine") {
        checkKeys(body, {"mean", "amplitude", "period"}, inner);
        signal.kind = Signal::Kind::Sine;
        signal.mean = number("mean");
        signal.amplitude = number("amplitude");
        signal.period = positive("period", 1);
    } else if (kind == "noise") {
        checkKeys(body, {"mean", "spread"}, inner);
        signal.kind = Signal::Kind::Noise;
        signal.mean = number("mean");
        signal.spread = positive("spread", 0);
    } else if (kind == "step") {
        checkKeys(body, {"before", "after", "at"}, inner);
        signal.kind = Signal::Kind::Step;
        signal.before = number("before");
        signal.after = number("after");
        signal.at = positive("at", 0);
    } else {
        checkKeys(body, {"gain", "timeConstant", "deadTime", "start"}, inner);
        if ((instrument.options & Instrument::kPidOption) == 0)
            fail(inner, "nur für Geräte mit PID-Option (" + inQuotes("options") + " 0x0020)");
        signal.kind = Signal::Kind::Process;
        signal.gain = number("gain");
        signal.timeConstant = positive("timeConstant", 1);
        if (body.contains("deadTime")) signal.deadTime = positive("deadTime", 0);
        if (signal.deadTime > 600) fail(inner, inQuotes("deadTime") + " darf höchstens 600 s sein");
        if (body.contains("start")) signal.start = number("start");
    }
    return signal;
}

Json writeSignal(const Signal& s) {
    switch (s.kind) {
    case Signal::Kind::Constant:
        return {{"constant", s.value}};
    case Signal::Kind::Ramp:
        return {{"ramp", {{"from", s.from}, {"to", s.to}, {"period", s.period}}}};
    case Signal::Kind::Sine:
        return {{"sine", {{"mean", s.mean}, {"amplitude", s.amplitude}, {"period", s.period}}}};
    case Signal::Kind::Noise:
        return {{"noise", {{"mean", s.mean}, {"spread", s.spread}}}};
    case Signal::Kind::Step:
        return {{"step", {{"before", s.before}, {"after", s.after}, {"at", s.at}}}};
    case Signal::Kind::Process:
        break;
    }
    return {{"process",
             {{"gain", s.gain}, {"timeConstant", s.timeConstant}, {"deadTime", s.deadTime}, {"start", s.start}}}};
}

Instrument readInstrument(const Json& value, const std::string& where) {
    requireObject(value, where, "ein Gerät");
    checkKeys(value,
              {"comment", "identity", "firmware", "address", "name", "features", "options", "decimals",
               "unit", "display", "range", "outputs", "alarm", "measurement", "signal",
               "parameters", "quietPollsAfterRestart", "quietPollsAfterSensorWrite", "silent", "faults"},
              where);
    Instrument instrument;
    if (const Json* v = member(value, "comment")) instrument.comment = readText(*v, where, "comment");
    instrument.identity = readWord(required(value, "identity", where), where, "identity", 0xFFFFFFFF);
    instrument.firmware = readNumber(required(value, "firmware", where), where, "firmware");
    if (instrument.firmware < 0 || instrument.firmware >= 1000)
        fail(where, inQuotes("firmware") + " muss zwischen 0 und 999 liegen");
    instrument.address =
        static_cast<int>(readInt(required(value, "address", where), where, "address", 0, 239));

    if (const Json* v = member(value, "name"); v && !v->is_null()) {
        const auto name = cp1252::fromUtf8(readText(*v, where, "name"));
        if (!name) fail(where, inQuotes("name") + " enthält Zeichen, die Windows-1252 nicht kennt");
        if (name->find('\0') != std::string::npos) fail(where, inQuotes("name") + " enthält ein Nullzeichen");
        if (name->size() > Instrument::kMaxNameLength)
            fail(where, inQuotes("name") + " ist länger als 16 Zeichen");
        instrument.name = *name;
    }
    if (const Json* v = member(value, "features"))
        instrument.features = static_cast<uint16_t>(readWord(*v, where, "features", 0xFFFF));
    if (const Json* v = member(value, "options"))
        instrument.options = static_cast<uint16_t>(readWord(*v, where, "options", 0xFFFF));
    if (const Json* v = member(value, "decimals"))
        instrument.decimals = static_cast<int32_t>(readInt(*v, where, "decimals", 0, 3));
    if (const Json* v = member(value, "unit"))
        instrument.unit = static_cast<int32_t>(readInt(*v, where, "unit", 0, kUnitCodeCount - 1));
    readPair(value, "display", "low", "high", instrument.displayLow, instrument.displayHigh, where);
    readPair(value, "range", "low", "high", instrument.rangeLow, instrument.rangeHigh, where);
    readPair(value, "alarm", "min", "max", instrument.alarmMin, instrument.alarmMax, where);
    if (const Json* v = member(value, "measurement"))
        instrument.measurement = readNumber(*v, where, "measurement");

    if (const Json* outputs = member(value, "outputs")) {
        requireArray(*outputs, where, inQuotes("outputs"));
        if (outputs->size() > 2) fail(where, inQuotes("outputs") + " hat höchstens zwei Einträge");
        for (std::size_t i = 0; i < outputs->size(); ++i) {
            const Json& out = (*outputs)[i];
            const std::string inner = where + ", Ausgang " + std::to_string(i + 1);
            requireObject(out, inner, "ein Ausgang");
            checkKeys(out, {"on", "off", "delay", "preferred"}, inner);
            auto& target = instrument.outputs[i];
            if (const Json* v = member(out, "on")) target.on = readNumber(*v, inner, "on");
            if (const Json* v = member(out, "off")) target.off = readNumber(*v, inner, "off");
            if (const Json* v = member(out, "delay")) target.delay = readNumber(*v, inner, "delay");
            if (const Json* v = member(out, "preferred"))
                target.preferred =
                    static_cast<int32_t>(readInt(*v, inner, "preferred", std::numeric_limits<int32_t>::min(),
                                                 std::numeric_limits<int32_t>::max()));
        }
    }

    if (const Json* parameters = member(value, "parameters")) {
        requireObject(*parameters, where, inQuotes("parameters"));
        for (const auto& item : parameters->items()) {
            const std::string& key = item.key();
            const bool digitsOnly =
                !key.empty() && key.size() <= 3 &&
                std::all_of(key.begin(), key.end(), [](char c) { return c >= '0' && c <= '9'; });
            const int p = digitsOnly ? std::stoi(key) : -1;
            if (p < 0 || p > 255 || (key.size() > 1 && key[0] == '0'))
                fail(where, "Parameter " + inQuotes(key) + ": Nummer von 0 bis 255 erwartet");
            if (Instrument::isFieldParameter(p))
                fail(where, "Parameter " + key + " steht in " + inQuotes(fieldOfParameter(p)));
            instrument.parameters[p] = static_cast<int32_t>(readInt(item.value(), where, "parameters/" + key,
                                                                    std::numeric_limits<int32_t>::min(),
                                                                    std::numeric_limits<int32_t>::max()));
        }
    }

    if (const Json* v = member(value, "quietPollsAfterRestart"))
        instrument.quietPollsAfterRestart =
            static_cast<int>(readInt(*v, where, "quietPollsAfterRestart", 0, kMaxPollCount));
    instrument.quietPollsAfterSensorWrite = instrument.quietPollsAfterRestart;
    if (const Json* v = member(value, "quietPollsAfterSensorWrite"))
        instrument.quietPollsAfterSensorWrite =
            static_cast<int>(readInt(*v, where, "quietPollsAfterSensorWrite", 0, kMaxPollCount));
    if (const Json* v = member(value, "silent")) instrument.silent = readBool(*v, where, "silent");
    if (const Json* v = member(value, "faults")) instrument.faults = readFaults(*v, where, true);
    // Last: a process needs the option word read above.
    if (const Json* v = member(value, "signal")) instrument.signal = readSignal(*v, where, instrument);
    return instrument;
}

PortEntry readPort(const Json& value, std::size_t index) {
    std::string where = "ports[" + std::to_string(index) + "]";
    requireObject(value, where, "ein Port");
    checkKeys(value, {"port", "comment", "baud", "instruments"}, where);
    PortEntry port;
    port.number = static_cast<int>(readInt(required(value, "port", where), where, "port", 1, 32767));
    where = "Port " + std::to_string(port.number);
    if (const Json* v = member(value, "comment")) port.comment = readText(*v, where, "comment");
    if (const Json* v = member(value, "baud"))
        port.baud = static_cast<int>(readInt(*v, where, "baud", 0, 115200));
    if (const Json* instruments = member(value, "instruments")) {
        requireArray(*instruments, where, inQuotes("instruments"));
        std::set<uint32_t> identities;
        for (std::size_t i = 0; i < instruments->size(); ++i) {
            port.instruments.push_back(
                readInstrument((*instruments)[i], where + ", Gerät " + std::to_string(i + 1)));
            // Command 13 finds an instrument by its identity word, so it must be unique on the bus.
            if (!identities.insert(port.instruments.back().identity).second)
                fail(where,
                     "Identität " + hex(port.instruments.back().identity, 8) + " ist mehrfach vergeben");
        }
    }
    return port;
}

std::pair<std::size_t, std::size_t> lineAndColumn(const std::string& text, std::size_t offset) {
    std::size_t line = 1;
    std::size_t column = 1;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return {line, column};
}

Json writeFault(const Fault& fault, bool ofInstrument) {
    Json out;
    if (!ofInstrument || fault.fn != "TBTransmit") out["fn"] = fault.fn;
    if (fault.port) out["port"] = *fault.port;
    if (fault.command)
        out["command"] = *fault.command;
    else if (ofInstrument && (fault.fn == "TBTransmit" || fault.fn == "TBTransmitString"))
        out["command"] = "any";
    if (fault.parameter) out["p"] = *fault.parameter;
    if (fault.write) out["write"] = *fault.write;
    out["status"] = fault.status;
    out["count"] = fault.count;
    if (fault.after > 0) out["after"] = fault.after;
    return out;
}

Json writeFaults(const std::vector<Fault>& faults, bool ofInstrument) {
    Json out = Json::array();
    for (const auto& fault : faults)
        out.push_back(writeFault(fault, ofInstrument));
    return out;
}

Json writeInstrument(const Instrument& i) {
    Json out;
    if (!i.comment.empty()) out["comment"] = i.comment;
    out["identity"] = hex(i.identity, 8);
    out["firmware"] = i.firmware;
    out["address"] = i.address;
    out["name"] = i.name ? Json(cp1252::toUtf8(*i.name)) : Json(nullptr);
    out["features"] = hex(i.features, 4);
    out["options"] = hex(i.options, 4);
    out["decimals"] = i.decimals;
    out["unit"] = i.unit;
    out["display"] = {{"low", i.displayLow}, {"high", i.displayHigh}};
    out["range"] = {{"low", i.rangeLow}, {"high", i.rangeHigh}};
    Json outputs = Json::array();
    for (const auto& o : i.outputs)
        outputs.push_back({{"on", o.on}, {"off", o.off}, {"delay", o.delay}, {"preferred", o.preferred}});
    out["outputs"] = outputs;
    out["alarm"] = {{"min", i.alarmMin}, {"max", i.alarmMax}};
    out["measurement"] = i.measurement;
    if (i.signal) out["signal"] = writeSignal(*i.signal);
    Json parameters = Json::object();
    for (const auto& [p, value] : i.parameters)
        parameters[std::to_string(p)] = value;
    out["parameters"] = parameters;
    out["quietPollsAfterRestart"] = i.quietPollsAfterRestart;
    out["quietPollsAfterSensorWrite"] = i.quietPollsAfterSensorWrite;
    out["silent"] = i.silent;
    out["faults"] = writeFaults(i.faults, true);
    return out;
}

} // namespace

namespace {
Roster readRoster(const Json& doc);
} // namespace

Roster RosterJson::parse(const std::string& text) {
    Json doc;
    try {
        doc = Json::parse(text);
    } catch (const Json::parse_error& e) {
        const auto [line, column] = lineAndColumn(text, e.byte > 0 ? e.byte - 1 : 0);
        throw RosterError("kein gültiges JSON (Zeile " + std::to_string(line) + ", Spalte " +
                          std::to_string(column) + ")");
    } catch (const Json::exception&) {
        // A number beyond what a double holds (1e999) and the like.
        throw RosterError("kein gültiges JSON (Zahl außerhalb des darstellbaren Bereichs)");
    }
    try {
        return readRoster(doc);
    } catch (const Json::exception&) {
        throw RosterError("unerwarteter Wert in der Datei");
    }
}

namespace {

Roster readRoster(const Json& doc) {
    requireObject(doc, "", "Die Datei");
    checkKeys(doc, {"info", "libraryVersion", "faults", "ports"}, "");

    Roster roster;
    if (const Json* v = member(doc, "info")) roster.info = readText(*v, "", "info");
    if (const Json* v = member(doc, "libraryVersion"))
        roster.libraryVersion = static_cast<uint16_t>(readWord(*v, "", "libraryVersion", 0xFFFF));
    if (const Json* v = member(doc, "faults")) roster.faults = readFaults(*v, "", false);
    const Json& ports = required(doc, "ports", "");
    requireArray(ports, "", inQuotes("ports"));
    if (ports.size() > kMaxPorts) fail("", "höchstens 256 Ports");
    for (std::size_t i = 0; i < ports.size(); ++i) {
        PortEntry port = readPort(ports[i], i);
        if (roster.findPort(port.number))
            fail("", "Port " + std::to_string(port.number) + " ist mehrfach eingetragen");
        roster.ports.push_back(std::move(port));
    }
    return roster;
}

} // namespace

std::string RosterJson::serialize(const Roster& roster) {
    Json doc;
    if (!roster.info.empty()) doc["info"] = roster.info;
    doc["libraryVersion"] = hex(roster.libraryVersion, 4);
    doc["faults"] = writeFaults(roster.faults, false);
    Json ports = Json::array();
    for (const auto& port : roster.ports) {
        Json entry;
        entry["port"] = port.number;
        if (!port.comment.empty()) entry["comment"] = port.comment;
        if (port.baud > 0) entry["baud"] = port.baud;
        Json instruments = Json::array();
        for (const auto& instrument : port.instruments)
            instruments.push_back(writeInstrument(instrument));
        entry["instruments"] = instruments;
        ports.push_back(entry);
    }
    doc["ports"] = ports;
    return doc.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

} // namespace traxbus
