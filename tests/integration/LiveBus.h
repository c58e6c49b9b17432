#pragma once
#include <optional>

// A main window over the real replacement bus library with a temporary roster,
// trace and settings, and the configurations the integration tests click together.

#include "app/MainHandlers.h"
#include "app/SettingsStore.h"
#include "bus/LibraryBinding.h"
#include "bus/LoggingLibrary.h"
#include "config/ControlTable.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>
#include <tuple>

namespace livebus {

// The build's program folder, where the replacement bus library lies.
inline QString libraryFolder() {
    return QStringLiteral(TRAXBUS_LIBDIR);
}

// One main window as the program builds it: settings file, real library binding, recording prompter.
struct Window {
    RecordingPrompter prompter;
    ManualClock clock;
    SettingsStore store;
    MainWindowModel m;
    std::unique_ptr<MainHandlers> handlers;

    // log: every binding writes into it, as in the program (null: no call log).
    Window(const QString& ini, const QString& folder, QChar sep, CallLog* log = nullptr,
           std::function<void()> betweenCalls = {}, SheetPrinter* sheets = nullptr,
           InstrumentRecord* record = nullptr)
        : store(ini, prompter, [folder] { return folder; }) {
        MainEnvironment env;
        env.prompter = &prompter;
        env.settings = &store;
        env.clock = &clock;
        env.makeLibrary = [log](const QList<BusLibrary::Entry>& entries) -> std::unique_ptr<BusLibrary> {
            auto binding = std::make_unique<LibraryBinding>(QStringList{libraryFolder()}, entries);
            if (!log) return binding;
            return std::make_unique<LoggingLibrary>(std::move(binding), *log);
        };
        env.callLog = log;
        env.betweenCalls = std::move(betweenCalls);
        env.sheets = sheets;
        env.record = record;
        env.localeSeparator = [sep] { return sep; };
        env.currentDirectory = folder;
        handlers = std::make_unique<MainHandlers>(m, env);
        handlers->FormActivate();
    }
    ConfigActions& a() { return handlers->config(); }

    // --- the user's clicks -------------------------------------------------------------------------
    void model(ModelId id) { a().selectModel(id); }
    void input(int kind, int sensor = -1) {
        m.rgInput.itemIndex = kind;
        a().rgInputClick();
        if (sensor >= 0) {
            m.rgSensor.itemIndex = sensor;
            a().rgSensorClick();
        }
    }
    void output(int position) {
        m.rgOutput.itemIndex = position;
        a().rgOutputClick();
    }
    void controller(int index) {
        m.rgReglerFunktion.itemIndex = index;
        a().rgReglerFunktionClick();
    }
    void dp(int index) {
        m.cpAnzeigeDp.setItemIndex(index);
        a().cpAnzeigeDpChange();
    }
    // Texts typed with ',' as the decimal point; leaving the field refreshes the window.
    void type(NumericField& field, const char* text) {
        field.text = QString::fromLatin1(text).replace(QLatin1Char(','), field.Seperator);
        a().numericFieldExit();
    }
    void filter(const char* text) {
        m.teFilter.text = QString::fromLatin1(text).replace(QLatin1Char(','), m.neFilter.Seperator);
        a().teFilterExit();
    }
    void pick(ItemList& list, int index) {
        list.setItemIndex(index);
        a().numericFieldExit();
    }
};

// Everything the user sees of the window: per control its own visibility and place, and for
// controls that are actually shown (group shown too) their texts, items and selection.
inline QMap<QString, QString> snapshot(MainWindowModel& m) {
    QMap<QString, QString> out;
    QMap<const Control*, const Control*> parent;
    for (const ControlSpec& s : controltable::all())
        if (s.group) parent.insert(&s.in(m), &controltable::find(QLatin1String(s.group))->in(m));
    auto shown = [&](const Control& c) {
        const Control* p = parent.value(&c);
        return c.visible && (!p || p->visible);
    };

    for (Control* c : m.controls()) {
        if (c == &m.StatusBar1) continue; // progress texts differ by design
        const Geometry& g = c->geometry;
        out.insert(c->name, QStringLiteral("visible=%1 at %2,%3 %4x%5")
                                .arg(c->visible)
                                .arg(g.left)
                                .arg(g.top)
                                .arg(g.width)
                                .arg(g.height));
    }
    for (const MenuItem* item : {&m.miKonfigurationprogrammieren1, &m.miDatenspeichern})
        out.insert(item->name, QStringLiteral("enabled=%1").arg(item->enabled));
    auto value = [&](const Control& c, const QString& v) {
        if (shown(c)) out[c.name] += QStringLiteral(" value=") + v;
    };
    for (const ControlSpec& s : controltable::all()) {
        const Control& c = s.in(m);
        switch (s.kind) {
        case ControlKind::Radio:
        case ControlKind::List: {
            const auto& l = static_cast<const ItemList&>(c);
            value(c, QStringLiteral("%1 of [%2] %3").arg(l.itemIndex).arg(l.items.join(QLatin1Char('|'))).arg(l.caption));
            break;
        }
        case ControlKind::Numeric: {
            const auto& f = static_cast<const NumericField&>(c);
            value(c, QStringLiteral("%1 (%2/%3)").arg(f.text).arg(f.Vorkommastellen).arg(f.Nachkommastellen));
            break;
        }
        case ControlKind::Text:
            value(c, static_cast<const TextField&>(c).text);
            break;
        case ControlKind::Group:
            value(c, static_cast<const GroupBox&>(c).caption);
            break;
        case ControlKind::Label:
            value(c, static_cast<const Label&>(c).caption);
            break;
        case ControlKind::Button:
        case ControlKind::Frame:
            break;
        }
    }
    return out;
}

inline void expectSameWindow(MainWindowModel& programmed, MainWindowModel& readBack) {
    const auto a = snapshot(programmed);
    const auto b = snapshot(readBack);
    for (auto it = a.begin(); it != a.end(); ++it)
        EXPECT_EQ(b.value(it.key()), it.value()) << it.key().toStdString();
}

// One JSON line per library call, as TRAXBUS_TRACE writes them.
struct TraceLine {
    QString fn;
    int command = -1;
    double value = 0;
    qint64 integer = 0;
    int status = 0;
};

inline QList<TraceLine> readTrace(const QString& path) {
    QList<TraceLine> out;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return out;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        if (o.isEmpty()) continue;
        const QJsonObject in = o.value(QStringLiteral("in")).toObject();
        out.append({o.value(QStringLiteral("fn")).toString(), in.value(QStringLiteral("command")).toInt(-1),
                    in.value(QStringLiteral("value")).toDouble(),
                    in.value(QStringLiteral("integer")).toInteger(),
                    o.value(QStringLiteral("status")).toInt()});
    }
    return out;
}

// A configuration as a user clicks it together for the instrument on one port of the default roster.
struct Scenario {
    const char* name;
    int port;
    ModelId model;
    bool extendedWords = false; // the extended configuration unlocked and in use
    bool unitExtra = false;     // "&Anzeigeeinheit Sichtbar"
    std::function<void(Window&)> configure;
};

inline const Scenario kScenarios[] = {
    {"TrkPidThreePointStep", 1, ModelId::TRK520PID, false, true,
     [](Window& w) {
         auto& m = w.m;
         // The restored check mark shows the unit row; switching it off and on fills the list.
         w.a().MainMenueExtrasAnzeigeeinheitClick();
         w.a().MainMenueExtrasAnzeigeeinheitClick();
         w.input(0, 1);
         w.dp(1);
         w.pick(m.cb_AnzeigeEinheit, 3);
         w.type(m.neAnzeigeHigh, "150,0");
         w.type(m.neAnzeigeLow, "-20,5");
         w.pick(m.cbLimit, 1);
         w.filter("0,5");
         w.output(1);
         w.controller(2);
         w.type(m.nePID_SP1, "50,5");
         w.type(m.nePID_Proportional, "2,5");
         w.type(m.ne_PIDIntegral, "120");
         w.type(m.nePID_Derivation, "30");
         w.type(m.nePID_CyC, "2,5");
         w.type(m.nePIDdur, "120");
         w.type(m.nePIDthr, "5,5");
         w.pick(m.cbPID_Vorzugslage, 1);
     }},
    {"OldTrkInterfaceModeThreePoint", 2, ModelId::TRK520, false, false,
     [](Window& w) {
         auto& m = w.m;
         w.input(8);
         w.dp(1);
         w.output(2);
         w.type(m.neOut1Einschaltpunkt, "500");
         w.type(m.neOut1Ausschaltpunkt, "-100,5");
         w.type(m.neOut1Delay, "0,29");
         w.pick(m.cbOut1Vorzugslage, 1);
         w.type(m.neOut2Einschaltpunkt, "10");
         w.type(m.neOut2Ausschaltpunkt, "20");
         w.type(m.neOut2Delay, "2");
         w.pick(m.cbOut2Vorzugslage, 0);
     }},
    {"OldTrkTwoPointWithAlarm", 2, ModelId::TRK520, false, false,
     [](Window& w) {
         auto& m = w.m;
         w.input(0, 2);
         w.type(m.neAnzeigeHigh, "2000");
         w.type(m.neAnzeigeLow, "-100");
         w.filter("0");
         w.output(3);
         w.type(m.neOut1Einschaltpunkt, "1500");
         w.type(m.neOut1Ausschaltpunkt, "1400");
         w.type(m.neOut1Delay, "1,25");
         w.pick(m.cbOut1Vorzugslage, 1);
         w.type(m.neOut2Einschaltpunkt, "1900");
         w.type(m.neOut2Ausschaltpunkt, "-50");
         w.type(m.neOut2Delay, "120");
     }},
    {"TrkCurrentOutputAlarm", 3, ModelId::TRK520XAO, true, false,
     [](Window& w) {
         auto& m = w.m;
         m.e_erw_Allgemein.text = QStringLiteral("3");
         m.e_erw_Alarm.text = QStringLiteral("1");
         m.e_erw_Schaltfunktion2.text = QStringLiteral("2");
         w.input(1, 1);
         w.dp(2);
         w.type(m.neAnzeigeHigh, "50");
         w.type(m.neAnzeigeLow, "0");
         w.pick(m.cbLimit, 2);
         w.filter("1,25");
         w.output(2);
         w.type(m.neOut2Einschaltpunkt, "40");
         w.type(m.neOut2Ausschaltpunkt, "5");
         w.type(m.neOut2Delay, "30");
         w.pick(m.cbStromAusgang, 1);
         w.type(m.neDAC_Low, "1");
         w.type(m.neDAC_High, "45");
         w.type(m.neDAFilter, "7");
         w.pick(m.cbAnalogOut1Vorzugslage, 1);
     }},
    {"DvnVoltageOutputFrequency", 4, ModelId::DVN500XAOV, false, false,
     [](Window& w) {
         auto& m = w.m;
         w.input(4, 2);
         w.type(m.neMessbereichHigh, "5000");
         w.type(m.neMessbereichLow, "10");
         w.type(m.neAnzeigeHigh, "3000");
         w.type(m.neAnzeigeLow, "0");
         w.filter("0,1");
         w.type(m.neDAC_Low, "100");
         w.type(m.neDAC_High, "2900");
         w.type(m.neDAFilter, "20");
         w.pick(m.cbAnalogOut1Vorzugslage, 1);
     }},
    {"Dvn20CurrentInputTwoOutputs", 5, ModelId::DVN20TB, false, false,
     [](Window& w) {
         auto& m = w.m;
         w.input(1, 0);
         w.dp(1);
         w.type(m.neAnzeigeHigh, "999,9");
         w.type(m.neAnzeigeLow, "-50");
         w.pick(m.cbLimit, 1);
         w.type(m.neFilter, "0,25");
         w.output(2);
         w.type(m.neOut1Einschaltpunkt, "300");
         w.type(m.neOut1Ausschaltpunkt, "250");
         w.type(m.neOut1Delay, "0,29");
         w.pick(m.cbOut1Mode, 2);
         w.pick(m.cbOut1Vorzugslage, 1);
         w.type(m.neOut2Einschaltpunkt, "100");
         w.type(m.neOut2Ausschaltpunkt, "50");
         w.type(m.neOut2Delay, "1,5");
         w.pick(m.cbOut2Mode, 1);
     }},
    {"RelayOnlyPt100Fahrenheit", 6, ModelId::TRK520, false, false,
     [](Window& w) {
         auto& m = w.m;
         w.input(2, 0);
         w.pick(m.cbAnzeigeUnit, 1);
         w.filter("2");
         w.output(1);
         w.type(m.neOut1Einschaltpunkt, "80");
         w.type(m.neOut1Ausschaltpunkt, "70,5");
         w.type(m.neOut1Delay, "0,75");
         w.pick(m.cbOut1Vorzugslage, 1);
     }},
    {"ContinuousThermocouple", 7, ModelId::TRK520PID_StetigA, false, false,
     [](Window& w) {
         auto& m = w.m;
         w.input(3, 0);
         w.dp(1);
         w.filter("0,75");
         w.output(1);
         w.controller(1);
         w.pick(m.cbStromAusgang, 1);
         w.type(m.nePID_SP1, "120,5");
         w.type(m.nePID_Proportional, "12");
         w.type(m.ne_PIDIntegral, "300");
         w.type(m.nePID_Derivation, "60");
         w.type(m.nePID_CyC, "10");
     }},
};

inline const Scenario& scenarioOnPort(int port) {
    for (const Scenario& s : kScenarios)
        if (s.port == port) return s;
    return kScenarios[0];
}

// A temporary roster (the default one, created on first use), trace and settings.
class LiveBus : public ::testing::Test {
  protected:
    // In memory where the machine offers it: the library rewrites its roster after every write.
    QTemporaryDir dir{QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm/trk-XXXXXX")
                                                                           : QDir::tempPath() + QStringLiteral("/trk-XXXXXX")};
    QChar sep = QChar(u',');

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        qputenv("TRAXBUS_SIM", rosterPath().toLocal8Bit());
        qputenv("TRAXBUS_TRACE", tracePath().toLocal8Bit());
    }
    void TearDown() override {
        qunsetenv("TRAXBUS_SIM");
        qunsetenv("TRAXBUS_TRACE");
    }

    QString rosterPath() const { return dir.filePath(QStringLiteral("roster.json")); }
    QString tracePath() const { return dir.filePath(QStringLiteral("trace.jsonl")); }
    QString iniPath() const { return dir.filePath(QStringLiteral("settings.ini")); }

    void settings(const Scenario& s) {
        QSettings ini(iniPath(), QSettings::IniFormat);
        ini.setValue(QStringLiteral("Schnittstelle/ComPort"), QString::number(s.port));
        ini.setValue(QStringLiteral("Schnittstelle/PegelWandler"), QStringLiteral("6"));
        ini.setValue(QStringLiteral("Extras/AnzeigeEinheit"), QLatin1String(s.unitExtra ? "1" : "0"));
        ini.setValue(QStringLiteral("SpecialFunctions/Konfiguration"),
                     QLatin1String(s.extendedWords ? "1" : "0"));
        ini.setValue(QStringLiteral("SpecialFunctions/LetzteKonfiguration"),
                     QLatin1String(s.extendedWords ? "1" : "0"));
    }
    std::unique_ptr<Window> window(const Scenario& s) {
        settings(s);
        auto w = std::make_unique<Window>(iniPath(), dir.path(), sep);
        w->model(s.model);
        return w;
    }

    // Sets one key of an instrument on `port` in the roster file: the one at `address`, else the first.
    void setInstrument(int port, const QString& key, const QJsonValue& value, std::optional<int> address = {}) {
        QFile file(rosterPath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QJsonObject roster = QJsonDocument::fromJson(file.readAll()).object();
        file.close();
        QJsonArray ports = roster.value(QStringLiteral("ports")).toArray();
        for (int i = 0; i < ports.size(); ++i) {
            QJsonObject p = ports[i].toObject();
            if (p.value(QStringLiteral("port")).toInt() != port) continue;
            QJsonArray instruments = p.value(QStringLiteral("instruments")).toArray();
            for (int k = 0; k < instruments.size(); ++k) {
                QJsonObject instrument = instruments[k].toObject();
                if (address ? instrument.value(QStringLiteral("address")).toInt() != *address : k > 0) continue;
                instrument.insert(key, value);
                instruments[k] = instrument;
            }
            p.insert(QStringLiteral("instruments"), instruments);
            ports[i] = p;
        }
        roster.insert(QStringLiteral("ports"), ports);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QJsonDocument(roster).toJson());
    }
    // Gives the first instrument on `port` the fault, in place of any it had.
    void setFault(int port, const QJsonObject& fault) {
        setInstrument(port, QStringLiteral("faults"), QJsonArray{fault});
    }
    // Lets the instrument on `port` answer `calls` more calls, then fall silent.
    void silenceAfter(int port, int calls) {
        setFault(port, QJsonObject{{QStringLiteral("command"), QStringLiteral("any")},
                                   {QStringLiteral("after"), calls},
                                   {QStringLiteral("status"), -2},
                                   {QStringLiteral("count"), -1}});
    }
    void createRoster() {
        // The library writes its default roster on the first look at the file.
        std::unique_ptr<Window> w = window(kScenarios[0]);
    }
    QList<int> commandsSentAfter(int lastCalls) {
        QList<int> out;
        const auto lines = readTrace(tracePath());
        for (qsizetype i = std::max<qsizetype>(0, lines.size() - lastCalls); i < lines.size(); ++i)
            if (lines[i].fn == QLatin1String("TBTransmit")) out.append(lines[i].command);
        return out;
    }
};

} // namespace livebus
