// A fault at every call position of a readout and of a programming run, through the
// replacement library's fault injection: the program must not crash, must leave the roster
// loadable and the other ports alone, must not change an instrument it only reads, must leave
// a programmed instrument holding for every value either the old one or the one a clean run
// writes, and must report the failure, except where the bus sequences tolerate it.

#include "LiveBus.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

using namespace livebus;

namespace {

enum class Sequence { Readout, Programming };

struct Fault {
    const char* name;
    int status;
    int count; // -1: from that call on
};
const Fault kFaults[] = {{"no answer once", -2, 1}, {"silent from here", -2, -1}, {"-38 once", -38, 1}};

// The TBTransmit calls of a clean run, as the trace shows them.
struct Call {
    int command;
    int parameter; // command 248: the parameter number, writes without their 256
    bool write;
};

QList<Call> transmits(const QList<TraceLine>& trace) {
    QList<Call> out;
    for (const TraceLine& t : trace) {
        if (t.fn != QLatin1String("TBTransmit")) continue;
        const int p = t.command == 248 ? int(t.value) : -1;
        out.append({t.command, p >= 256 ? p - 256 : p, p >= 256});
    }
    return out;
}

int firstIndex(const QList<Call>& calls, int command) {
    for (int i = 0; i < calls.size(); ++i)
        if (calls[i].command == command) return i;
    return -1;
}

// Why a run may still report success with this fault at this call; nullptr when it must not.
const char* tolerated(Sequence run, const QList<Call>& calls, int at, const Fault& fault) {
    const Call& c = calls[at];
    const bool once = fault.count == 1;
    const bool programming = run == Sequence::Programming;
    int pollsFrom = at;
    while (pollsFrom > 0 && calls[pollsFrom].command == 12 && calls[pollsFrom - 1].command == 12)
        --pollsFrom;
    int takeOver = int(calls.size());
    for (int i = 0; i < calls.size(); ++i)
        if (calls[i].command == 241) takeOver = i;
    if (takeOver > 0 && (calls[takeOver - 1].command == 241 ||
                         (calls[takeOver - 1].command == 248 && calls[takeOver - 1].parameter == 122)))
        --takeOver;

    if (programming && at >= takeOver) return "the take-over and its polls go out after the report";
    if (!once) return nullptr;
    if (c.command == 241) return "a restart's own answer is not looked at; the polls after it tell";
    if (c.command == 12 && pollsFrom > 0 && calls[pollsFrom - 1].command == 241)
        return "after a restart polling goes on until the instrument answers";
    if (programming && (at == firstIndex(calls, 102) || at == firstIndex(calls, 103)))
        return "the answers to opening the alarm window do not count";
    if (programming && c.command == 248 && c.write && c.parameter == 14)
        return "of the DVN 20 TB's two clearing writes only the second answer counts";
    if (!programming && c.command == 202 && at == firstIndex(calls, 202) &&
        std::count_if(calls.begin(), calls.end(), [](const Call& x) { return x.command == 202; }) > 1)
        return "the display-unit extra only takes a selection from its answer";
    if (fault.status != -38) return nullptr;
    if (c.command == 248 && !c.write && (c.parameter == 38 || c.parameter == 18))
        return "a feature or switching word the instrument does not know counts as cleared";
    if (!programming && (c.command == 42 || c.command == 44 || c.command == 50 || c.command == 52 ||
                         (c.command == 248 && QList<int>{15, 16, 17, 19, 22, 23, 24}.contains(c.parameter))))
        return "outputs and controller values read as 0 when the instrument does not know them";
    return nullptr;
}

QJsonObject readJson(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll()).object() : QJsonObject();
}

void writeJson(const QString& path, const QJsonObject& o) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QJsonDocument(o).toJson());
}

// Every leaf of the instruments on `port`, by path; their fault lists left out.
void flatten(const QJsonValue& v, const QString& path, QMap<QString, QJsonValue>& out) {
    if (v.isObject()) {
        const QJsonObject o = v.toObject();
        for (auto it = o.begin(); it != o.end(); ++it)
            if (it.key() != QLatin1String("faults")) flatten(it.value(), path + QLatin1Char('/') + it.key(), out);
    } else if (v.isArray()) {
        const QJsonArray a = v.toArray();
        for (int i = 0; i < a.size(); ++i)
            flatten(a[i], path + QLatin1Char('/') + QString::number(i), out);
    } else {
        out.insert(path, v);
    }
}

QMap<QString, QJsonValue> instrumentValues(const QJsonObject& roster, int port) {
    QMap<QString, QJsonValue> out;
    for (const QJsonValue& p : roster.value(QStringLiteral("ports")).toArray())
        if (p.toObject().value(QStringLiteral("port")).toInt() == port)
            flatten(p.toObject().value(QStringLiteral("instruments")), QString(), out);
    return out;
}

QJsonArray otherPorts(const QJsonObject& roster, int port) {
    QJsonArray out;
    for (const QJsonValue& p : roster.value(QStringLiteral("ports")).toArray())
        if (p.toObject().value(QStringLiteral("port")).toInt() != port) out.append(p);
    return out;
}

class FaultSweep : public LiveBus, public ::testing::WithParamInterface<std::tuple<int, bool>> {
  protected:
    Scenario s;

    // One readout or programming run in a fresh window; true when it reported success.
    bool runOnce(Sequence run) {
        QFile::remove(tracePath());
        auto w = window(s);
        if (run == Sequence::Readout) {
            w->handlers->Konfigurationlesen1Click();
            return w->m.StatusBar1.panels[2].contains(QStringLiteral(" Seriennummer: "));
        }
        s.configure(*w);
        w->handlers->miKonfigurationprogrammieren1Click();
        return w->m.StatusBar1.panels[2].endsWith(QStringLiteral(" Daten Senden war erfolgreich"));
    }
};

} // namespace

TEST_P(FaultSweep, EveryCallPositionFailsSafely) {
    s = scenarioOnPort(std::get<0>(GetParam()));
    s.extendedWords = std::get<1>(GetParam());
    createRoster();
    const QJsonObject before = readJson(rosterPath());

    int positions = 0;
    int runs = 0;
    // Under the sanitizers every run is many times slower: there the sweep takes every n-th
    // position (TRK_FAULT_SWEEP_STRIDE), the plain suite every one.
    const int stride = std::max(1, qEnvironmentVariableIntValue("TRK_FAULT_SWEEP_STRIDE"));
    for (Sequence run : {Sequence::Readout, Sequence::Programming}) {
        writeJson(rosterPath(), before);
        ASSERT_TRUE(runOnce(run)) << "clean run";
        const QList<Call> calls = transmits(readTrace(tracePath()));
        const QMap<QString, QJsonValue> clean = instrumentValues(readJson(rosterPath()), s.port);
        // On its way a clean run opens the alarm window to the display range before the limits go in.
        QList<QJsonValue> opened;
        {
            auto w = window(s);
            s.configure(*w);
            const auto [low, high] = w->a().displayRange();
            opened = {QJsonValue(low), QJsonValue(high)};
        }
        positions += int(calls.size());

        for (int at = 0; at < calls.size(); at += stride) {
            for (const Fault& fault : kFaults) {
                SCOPED_TRACE(QStringLiteral("%1 call %2 (command %3 p %4): %5")
                                 .arg(run == Sequence::Readout ? "readout" : "programming")
                                 .arg(at)
                                 .arg(calls[at].command)
                                 .arg(calls[at].parameter)
                                 .arg(QLatin1String(fault.name))
                                 .toStdString());
                QJsonObject faulty = before;
                faulty.insert(QStringLiteral("faults"),
                              QJsonArray{QJsonObject{{QStringLiteral("fn"), QStringLiteral("TBTransmit")},
                                                     {QStringLiteral("port"), s.port},
                                                     {QStringLiteral("after"), at},
                                                     {QStringLiteral("status"), fault.status},
                                                     {QStringLiteral("count"), fault.count}}});
                writeJson(rosterPath(), faulty);
                const bool success = runOnce(run);
                ++runs;

                const QJsonObject after = readJson(rosterPath());
                ASSERT_FALSE(after.value(QStringLiteral("ports")).toArray().isEmpty()) << "roster no longer loads";
                EXPECT_EQ(otherPorts(after, s.port), otherPorts(before, s.port));
                const QMap<QString, QJsonValue> old = instrumentValues(before, s.port);
                const QMap<QString, QJsonValue> now = instrumentValues(after, s.port);
                if (run == Sequence::Readout) {
                    EXPECT_EQ(now, old) << "a readout changed the instrument";
                } else {
                    for (auto it = now.begin(); it != now.end(); ++it)
                        EXPECT_TRUE(it.value() == old.value(it.key()) || it.value() == clean.value(it.key()) ||
                                    (it.key().contains(QLatin1String("/alarm/")) && opened.contains(it.value())))
                            << it.key().toStdString() << " holds a value neither old nor written";
                }
                if (success) {
                    const char* reason = tolerated(run, calls, at, fault);
                    EXPECT_NE(reason, nullptr) << "failure reported as success";
                }
            }
        }
    }
    std::printf("[ sweep    ] port %d, extended words %s: %d positions, %d runs\n", s.port,
                s.extendedWords ? "on" : "off", positions, runs);
}

INSTANTIATE_TEST_SUITE_P(Models, FaultSweep,
                         ::testing::Combine(::testing::Values(1, 5, 3), ::testing::Bool()),
                         [](const auto& info) {
                             return "Port" + std::to_string(std::get<0>(info.param)) +
                                    (std::get<1>(info.param) ? "_ExtendedWords" : "");
                         });
