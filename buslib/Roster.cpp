#include "Roster.h"

#include <algorithm>

namespace traxbus {

PortEntry* Roster::findPort(int number) {
    for (auto& port : ports)
        if (port.number == number) return &port;
    return nullptr;
}

const PortEntry* Roster::findPort(int number) const {
    return const_cast<Roster*>(this)->findPort(number);
}

Instrument* Roster::findInstrument(int port, uint32_t identity) {
    if (PortEntry* entry = findPort(port))
        for (auto& instrument : entry->instruments)
            if (instrument.identity == identity) return &instrument;
    return nullptr;
}

namespace {

void carryCounts(const std::vector<Fault>& before, const std::vector<Fault>& after, std::vector<Fault>& into) {
    if (before.size() != after.size()) return;
    const auto carry = [](int was, int now, int& counter) {
        if (was > now && counter > 0) counter = std::max(0, counter - (was - now));
    };
    for (std::size_t i = 0; i < before.size() && i < into.size(); ++i) {
        carry(before[i].count, after[i].count, into[i].count);
        carry(before[i].after, after[i].after, into[i].after);
    }
}

} // namespace

void Roster::carryFaultCounts(const Roster& before, const Roster& after) {
    carryCounts(before.faults, after.faults, faults);
    for (const PortEntry& port : after.ports) {
        const PortEntry* old = before.findPort(port.number);
        if (!old) continue;
        for (const Instrument& now : port.instruments) {
            Instrument* into = findInstrument(port.number, now.identity);
            const auto was = std::find_if(old->instruments.begin(), old->instruments.end(),
                                          [&](const Instrument& i) { return i.identity == now.identity; });
            if (into && was != old->instruments.end()) carryCounts(was->faults, now.faults, into->faults);
        }
    }
}

namespace {

// A plain, valid configuration: voltage input 0-10 V shown as 0..1000, filter 0.10, limit off.
Instrument baseInstrument(uint32_t identity, double firmware, const char* comment) {
    Instrument i;
    i.comment = comment;
    i.identity = identity;
    i.firmware = firmware;
    i.address = 1;
    i.decimals = 0;
    i.unit = 1;
    i.displayLow = 0;
    i.displayHigh = 1000;
    i.rangeLow = 0;
    i.rangeHigh = 1000;
    i.alarmMin = 100;
    i.alarmMax = 900;
    i.measurement = 500;
    i.parameters = {{0, 0}, {1, 0}, {8, 0}, {9, 10}, {10, 1}, {11, 0}};
    return i;
}

// Output function 1 (two-point), switching output 1 at 800/700, 1.00 s delay.
void withSwitchingOutputs(Instrument& i) {
    i.parameters[11] = 1;
    i.outputs[0] = {800, 700, 1.0, 0};
    i.outputs[1] = {200, 300, 0.5, 0};
    i.parameters[18] = 0;
    i.parameters[23] = 0;
    i.parameters[27] = 0;
    i.parameters[28] = 0;
    i.parameters[35] = 0;
}

// Controller on output 1: PID heating, set point 500, band 50, integral 120 s, derivative
// 30 s, cycle 10.0 s, running time 60.0 s, minimum control value 0.0.
void withPid(Instrument& i, int switchingFunction1) {
    withSwitchingOutputs(i);
    i.options = 0x0020;
    i.parameters[18] = switchingFunction1;
    i.parameters[19] = 0;
    i.outputs[0] = {500, 50, 1.0, 0};
    i.parameters[15] = 120;
    i.parameters[16] = 30;
    i.parameters[17] = 100;
    i.parameters[22] = 0;
    i.parameters[24] = 600;
}

// Analog output scaled over the display range, 4-20 mA / 0-10 V, filter 10, fail-safe low.
void withAnalogOutput(Instrument& i, uint16_t kind) {
    i.features |= kind;
    i.parameters[12] = 0;
    i.parameters[13] = 1000;
    i.parameters[14] = 0;
    i.parameters[25] = 0;
    i.parameters[26] = 10;
}

// A whole line on one port: mixed families and generations at scattered addresses, the
// lowest and the highest address a device can take among them.
std::vector<Instrument> makeLine() {
    const auto at = [](Instrument i, int address, const char* name) {
        i.address = address;
        if (name) i.name = name;
        return i;
    };
    Instrument pid = baseInstrument(0x07811001, 23.1, "TRK 520 PID");
    withPid(pid, 0x10);
    Instrument dvn = baseInstrument(0x07611002, 23.0, "DVN 500");
    dvn.parameters[28] = 0;
    dvn.parameters[35] = 0;
    Instrument dvn20 = baseInstrument(0x07911003, 21.2, "DVN 20 TB");
    dvn20.parameters = {{0, 0},    {1, 0},    {8, 0},    {9, 10},   {10, 1}, {11, 1}, {13, 0},
                        {14, 0},   {15, 800}, {16, 700}, {17, 100}, {18, 0}, {19, 0}, {20, 200},
                        {21, 300}, {22, 50},  {23, 0},   {24, 0},   {122, 0}};
    Instrument xao = baseInstrument(0x07811004, 23.0, "TRK 520 XAO020/1");
    withSwitchingOutputs(xao);
    withAnalogOutput(xao, Instrument::kCurrentOutput);
    xao.options = 0x0020;
    Instrument dvnXao = baseInstrument(0x07611005, 23.0, "DVN 500 - XAO010");
    withAnalogOutput(dvnXao, Instrument::kVoltageOutput);
    dvnXao.options = 0x0020;
    dvnXao.parameters[28] = 0;
    dvnXao.parameters[35] = 0;
    Instrument oldTrk = baseInstrument(0x07811006, 22.4, "TRK 520, Firmware 22");
    withSwitchingOutputs(oldTrk);
    Instrument relay = baseInstrument(0x07811007, 23.2, "TRK 520, nur ein Relais");
    withSwitchingOutputs(relay);
    relay.features = 0x0020;
    // Moving values for the live view, out of the box.
    Signal process{.kind = Signal::Kind::Process};
    process.gain = 600;
    process.timeConstant = 240;
    process.deadTime = 5;
    process.start = 20;
    pid.signal = process;
    dvn.signal = Signal{.kind = Signal::Kind::Sine, .period = 60, .mean = 500, .amplitude = 200};
    xao.signal = Signal{.kind = Signal::Kind::Ramp, .from = 0, .to = 1000, .period = 120};
    dvnXao.signal = Signal{.kind = Signal::Kind::Noise, .mean = 500, .spread = 5};
    relay.signal = Signal{.kind = Signal::Kind::Step, .before = 200, .after = 800, .at = 30};
    return {at(pid, 0, "Kessel Nord"),   at(dvn, 17, "Tank Ost"),        at(dvn20, 42, nullptr),
            at(xao, 88, "Pumpe West"),   at(dvnXao, 120, "Druck Halle"), at(oldTrk, 201, nullptr),
            at(relay, 239, "Relais Tor")};
}

} // namespace

Roster Roster::makeDefault() {
    Roster roster;
    roster.info = "Simulierte Traxbus-Geräte: ein Gerät je Port 1 bis 7, eine Anlage an Port 10. Aufbau: buslib/README.md";

    Instrument pid = baseInstrument(0x07810101, 23.1, "TRK 520 PID");
    withPid(pid, 0x10);
    pid.name = "Kessel 1";

    Instrument oldTrk = baseInstrument(0x07810202, 22.4, "TRK 520, Firmware 22");
    withSwitchingOutputs(oldTrk);
    oldTrk.parameters[11] = 2;
    oldTrk.parameters[19] = 0;
    oldTrk.parameters[24] = 1;

    // The option word carries the PID option (switched off), which the identification of an
    // analog model expects to find next to the analog output.
    Instrument xao = baseInstrument(0x07810303, 23.0, "TRK 520 XAO020/1");
    withSwitchingOutputs(xao);
    withAnalogOutput(xao, Instrument::kCurrentOutput);
    xao.options = 0x0020;
    xao.name = "Pumpe 3";

    Instrument dvnXao = baseInstrument(0x07610404, 23.0, "DVN 500 - XAO010");
    withAnalogOutput(dvnXao, Instrument::kVoltageOutput);
    dvnXao.options = 0x0020;
    dvnXao.parameters[28] = 0;
    dvnXao.parameters[35] = 0;
    dvnXao.name = "Tank 4";

    Instrument dvn20 = baseInstrument(0x07910505, 21.2, "DVN 20 TB");
    dvn20.parameters = {{0, 0},    {1, 0},    {8, 0},    {9, 10},   {10, 1}, {11, 1}, {13, 0},
                        {14, 0},   {15, 800}, {16, 700}, {17, 100}, {18, 0}, {19, 0}, {20, 200},
                        {21, 300}, {22, 50},  {23, 0},   {24, 0},   {122, 0}};
    dvn20.quietPollsAfterSensorWrite = 4;

    Instrument relay = baseInstrument(0x07810606, 23.2, "TRK 520, nur ein Relais");
    withSwitchingOutputs(relay);
    relay.features = 0x0020;
    relay.name = "Relais 6";

    Instrument sta = baseInstrument(0x07810707, 23.1, "TRK 520 PID STA1");
    withPid(sta, 0x30);
    withAnalogOutput(sta, Instrument::kCurrentOutput);
    sta.name = "Ofen 7";

    Instrument lineA = baseInstrument(0x07810808, 23.1, "TRK 520 an Adresse 1");
    withSwitchingOutputs(lineA);
    lineA.name = "Linie A";
    Instrument lineB = baseInstrument(0x07610809, 23.0, "DVN 500 an Adresse 2");
    lineB.address = 2;
    lineB.parameters[28] = 0;
    lineB.parameters[35] = 0;
    lineB.name = "Linie B";

    roster.ports = {
        {1, "", {pid}},   {2, "", {oldTrk}}, {3, "", {xao}},          {4, "", {dvnXao}}, {5, "", {dvn20}},
        {6, "", {relay}}, {7, "", {sta}},    {8, "", {lineA, lineB}}, {9, "leer", {}},
        {10, "Anlage: sieben Geräte an verstreuten Adressen", makeLine()},
    };
    // Someone trying the program feels the timing of a real bus.
    for (PortEntry& port : roster.ports)
        port.baud = 4800;
    return roster;
}

} // namespace traxbus
