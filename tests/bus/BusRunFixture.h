#pragma once

#include "bus/BusConstants.h"
#include "bus/Programming.h"
#include "bus/Readout.h"
#include "config/UserSteps.h"
#include "support/ScriptedBus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

// A main window over a scripted bus: the instrument answers from a script and
// every call is recorded as "address:command:value in:integer in=status".
struct BusRunFixture : ::testing::Test {
    ConfigFixture f{QChar(u',')};
    ScriptedBus bus;
    ManualClock clock;

    static constexpr int32_t kTrk = 0x07810101;
    static constexpr int32_t kDvn500 = 0x07610404;
    static constexpr int32_t kDvn20 = 0x07910505;

    BusRunFixture() {
        f.model.comPort = 1;
        f.model.busAddress = 1;
        reset();
    }

    // Identity, firmware and the three identification words; answers stay for every call.
    void attach(int32_t identity, double firmware, int32_t features = 0, int32_t options = 0,
                int32_t switching1 = 0) {
        bus.on(bus::cmd::ReadIdentity, 0, {}, identity, -1);
        bus.on(bus::cmd::ReadVersion, 0, firmware, {}, -1);
        bus.onParam(bus::param::Features, 0, features, -1);
        bus.onParam(bus::param::Options, 0, options, -1);
        // Only an instrument with the PID option is asked for its switching function here.
        const bool family20 = (identity & kFamilyMask) == kFamilyDvn20;
        if (!family20 && firmware >= 23 && (options & 0x20))
            bus.onParam(bus::param::SwitchFunction1, 0, switching1, 1);
    }
    // The instrument of a PID/analog-aware model, with the words its model expects.
    void attachTrkFor(ModelId model, double firmware) {
        const ModelEntry& e = catalogue::entry(model);
        attach(kTrk, firmware, e.hasCurrentOutput ? 0x0004 : 0,
               e.hasAnalogOutput || e.hasPidController ? 0x20 : 0, e.hasPidController ? 0x10 : 0);
    }
    // "cmd", "cmd:p" or "cmd:p#n": the (n+1)-th such call answers `status`, the ones before answer 0.
    void failAt(const char* at, int16_t status) {
        const QStringList parts = QString::fromLatin1(at).split(QLatin1Char('#'));
        const QStringList what = parts[0].split(QLatin1Char(':'));
        ScriptedBus::Answer answer;
        answer.command = int16_t(what[0].toInt());
        if (what.size() > 1) answer.parameter = what[1].toDouble();
        for (int n = parts.size() > 1 ? parts[1].toInt() : 0; n > 0; --n)
            bus.add(answer);
        answer.status = status;
        bus.add(answer);
    }
    // A fresh bus between the cases of one test.
    void reset() {
        bus = ScriptedBus();
        bus.errorTexts.insert(-2, QStringLiteral(" Keine Antwort"));
        bus.errorTexts.insert(bus::status::UnknownParameter, QStringLiteral(" Parameter unbekannt"));
        f.prompter.shown.clear();
    }
    // Parameters read with command 248, each answered once.
    void params(std::initializer_list<std::pair<int, int32_t>> answers) {
        for (const auto& [p, v] : answers)
            bus.onParam(p, 0, v);
    }
    // Commands answering in the value (points, limits, ranges), each once, in order.
    void values(std::initializer_list<std::pair<int16_t, double>> answers) {
        for (const auto& [c, v] : answers)
            bus.on(c, 0, v);
    }
    void integers(std::initializer_list<std::pair<int16_t, int32_t>> answers) {
        for (const auto& [c, v] : answers)
            bus.on(c, 0, {}, v);
    }

    int16_t readout() {
        bus.calls.clear();
        return bus::DVN20DatenEinlesen(bus, f.actions, f.prompter, clock);
    }
    int16_t program() {
        bus.calls.clear();
        return bus::DVN20DatenProgrammieren(bus, f.actions, f.prompter, clock);
    }

    // The recorded TBTransmit calls, from the first one at or after `from` (a command number).
    std::vector<std::string> trace(int from = -1) const {
        std::vector<std::string> out;
        bool started = from < 0;
        for (const auto& c : bus.transmits()) {
            started = started || c.command == from;
            if (started)
                out.push_back(QStringLiteral("%1:%2:%3:%4=%5")
                                  .arg(c.address)
                                  .arg(c.command)
                                  .arg(c.valueIn)
                                  .arg(c.integerIn)
                                  .arg(c.status)
                                  .toStdString());
        }
        return out;
    }
    // The commands alone: "248:p" for parameters, the number otherwise.
    std::vector<std::string> commands() const {
        std::vector<std::string> out;
        for (const auto& c : bus.transmits())
            out.push_back(c.command == bus::cmd::Parameter ? "248:" + std::to_string(int(c.valueIn))
                                                           : std::to_string(c.command));
        return out;
    }
    bool sent(const std::string& line) const {
        const auto t = trace();
        return std::find(t.begin(), t.end(), line) != t.end();
    }
    // The boxes shown, notices left out.
    QStringList errorBoxes() const {
        QStringList out;
        for (const auto& shown : f.prompter.shown)
            if (shown.message.caption != QLatin1String("Hinweis")) out.append(shown.message.text);
        return out;
    }
    QString panel() const { return f.model.StatusBar1.panels[2]; }
    QString text(const NumericField& field) const { return field.text; }
};

// Expected trace lines, written as in the trace: address 1 unless given.
inline std::string call(int command, double value, int32_t integer, int status = 0, int address = 1) {
    return QStringLiteral("%1:%2:%3:%4=%5")
        .arg(address)
        .arg(command)
        .arg(value)
        .arg(integer)
        .arg(status)
        .toStdString();
}
inline std::string readP(int p, int status = 0) {
    return call(bus::cmd::Parameter, p, 0, status);
}
inline std::string writeP(int p, int32_t v, int status = 0) {
    return call(bus::cmd::Parameter, 256 + p, v, status);
}
// "12 254 248:38" -> {"12", "254", "248:38"}: command lists written as one line.
inline std::vector<std::string> cmds(const char* text) {
    std::vector<std::string> out;
    for (const QString& word : QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts))
        out.push_back(word.toStdString());
    return out;
}
inline std::vector<std::string> lines(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}
