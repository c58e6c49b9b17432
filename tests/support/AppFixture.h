#pragma once

#include "app/MainHandlers.h"
#include "app/SettingsStore.h"
#include "app/SheetPrinter.h"
#include "support/ScriptedBus.h"

#include <QSettings>
#include <QTemporaryDir>

#include <memory>

// Records the sheets it is given; the PDF is their text, or nothing when told to fail.
struct RecordingSheets : SheetPrinter {
    QList<ConfigSheet> sheets;
    bool paints = true;
    Printed printed = Printed::Done;
    QByteArray pdf(const ConfigSheet& sheet) override {
        sheets.append(sheet);
        return paints ? sheet.values().join(QLatin1Char('\n')).toUtf8() : QByteArray();
    }
    Printed print(const ConfigSheet& sheet) override {
        sheets.append(sheet);
        return printed;
    }
};

// A main window's handlers over a temporary settings file, scripted buses and
// a recording prompter.
struct AppFixture {
    QTemporaryDir dir;
    RecordingPrompter prompter;
    ManualClock clock;
    std::unique_ptr<SettingsStore> store;
    // Every binding made, in order; the first is the main window's and lives as long as the
    // handlers, the others only as long as their window.
    QList<ScriptedBus*> buses;
    ScriptedBus mainScript;    // copied into every new binding
    QChar separator = QLatin1Char(',');
    MainWindowModel model;
    std::unique_ptr<MainHandlers> handlers;
    RecordingSheets sheets;
    InstrumentRecord* record = nullptr; // set before start(): the handlers record into it

    AppFixture() {
        store = std::make_unique<SettingsStore>(iniPath(), prompter, [this] { return dir.path(); });
        mainScript.ports = {1, 2, 5};
    }

    QString iniPath() const { return dir.filePath(QStringLiteral("settings.ini")); }

    MainHandlers& start() {
        MainEnvironment env;
        env.prompter = &prompter;
        env.settings = store.get();
        env.clock = &clock;
        env.makeLibrary = [this](const QList<BusLibrary::Entry>&) {
            auto bus = std::make_unique<ScriptedBus>();
            bus->loadSucceeds = mainScript.loadSucceeds;
            bus->version = mainScript.version;
            bus->ports = mainScript.ports;
            bus->portsStatus = mainScript.portsStatus;
            bus->units = mainScript.units;
            buses.append(bus.get());
            return bus;
        };
        env.localeSeparator = [this] { return separator; };
        env.currentDirectory = dir.path();
        env.sheets = &sheets;
        env.record = record;
        env.now = [] { return QDateTime(QDate(2026, 3, 14), QTime(9, 30)); };
        handlers = std::make_unique<MainHandlers>(model, env);
        return *handlers;
    }

    // Raw look at the stored text of a value.
    QString stored(const QString& group, const QString& name) {
        QSettings s(iniPath(), QSettings::IniFormat);
        return s.value(group + QLatin1Char('/') + name).toString();
    }
    void preset(const QString& group, const QString& name, const QString& value) {
        QSettings s(iniPath(), QSettings::IniFormat);
        s.setValue(group + QLatin1Char('/') + name, value);
    }
};
