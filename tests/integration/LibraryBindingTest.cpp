#include "app/MainHandlers.h"
#include "app/SettingsStore.h"
#include "bus/BusPort.h"
#include "bus/BusConstants.h"
#include "bus/LibraryBinding.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <link.h>

namespace {

QString libDir() { return QStringLiteral(TRAXBUS_LIBDIR); }

// How many copies of the bus library the process has mapped.
int mappedCopies() {
    int count = 0;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            if (info->dlpi_name && QByteArray(info->dlpi_name).contains("TRAXB32E"))
                ++*static_cast<int*>(data);
            return 0;
        },
        &count);
    return count;
}

// A roster of its own for each test.
struct Roster {
    QTemporaryDir dir;
    Roster() { qputenv("TRAXBUS_SIM", dir.filePath(QStringLiteral("roster.json")).toLocal8Bit()); }
    void writeVersion(const char* version) {
        // Let the library create its default roster, then change the version it reports.
        LibraryBinding probe({libDir()});
        ASSERT_TRUE(probe.load());
        probe.GetVersionNumber();
        probe.unload();
        QFile f(dir.filePath(QStringLiteral("roster.json")));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        QByteArray json = f.readAll();
        f.close();
        const int at = json.indexOf("\"libraryVersion\"");
        ASSERT_GE(at, 0);
        const int start = json.indexOf('"', json.indexOf(':', at)) + 1;
        const int end = json.indexOf('"', start);
        json.replace(start, end - start, version);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(json);
    }
};

} // namespace

TEST(LibraryBinding, LoadsFromTheProgramFolderResolvesAllEntriesAndLoadsOnce) {
    Roster roster;
    LibraryBinding binding({libDir()});
    binding.unload(); // nothing loaded: nothing happens
    EXPECT_FALSE(binding.isLoaded());

    ASSERT_TRUE(binding.load()) << binding.loadError().toStdString();
    ASSERT_TRUE(binding.load());
    EXPECT_EQ(mappedCopies(), 1);
    for (BusLibrary::Entry e : BusLibrary::allEntries())
        EXPECT_TRUE(binding.isBound(e)) << BusLibrary::entryName(e);
    EXPECT_EQ(binding.GetVersionNumber(), 0x0170);
    QString type;
    EXPECT_GE(binding.GetType(0x07812345, type), 0);
    EXPECT_EQ(type, QStringLiteral("TRK 520"));
    EXPECT_EQ(binding.GetUnit(1), QStringLiteral("°C"));

    binding.unload();
    EXPECT_EQ(mappedCopies(), 0);
    for (BusLibrary::Entry e : BusLibrary::allEntries())
        EXPECT_FALSE(binding.isBound(e));
    // No call goes through an empty entry point.
    int16_t aux = 0;
    double value = 0;
    int32_t integer = 0;
    EXPECT_EQ(binding.TBTransmit(1, 12, aux, value, integer), bus::status::NotBound);
    EXPECT_EQ(binding.TBOpenCom(1, 4800, 0), bus::status::NotBound);
    EXPECT_EQ(bus::errorText(binding, bus::status::NotBound),
              QStringLiteral("(Fehler -9990) Bus-Bibliothek nicht geladen"));
}

// A tool window's binding comes and goes while the main window's stays loaded.
TEST(LibraryBinding, AnUnloadLeavesTheLibraryToTheBindingsStillHoldingIt) {
    Roster roster;
    LibraryBinding main({libDir()});
    ASSERT_TRUE(main.load());
    for (int round = 0; round < 2; ++round) {
        LibraryBinding tool({libDir()}, {BusLibrary::Entry::GetUnit});
        ASSERT_TRUE(tool.load());
        tool.unload();
        EXPECT_FALSE(tool.isLoaded());
        EXPECT_EQ(tool.GetUnit(1), QStringLiteral("?"));
        ASSERT_EQ(mappedCopies(), 1);
        EXPECT_TRUE(main.isLoaded());
        EXPECT_EQ(main.GetUnit(1), QStringLiteral("°C"));
        tool.load(); // and dropped while loaded
    }
    EXPECT_EQ(main.GetUnit(1), QStringLiteral("°C"));
    main.unload();
    EXPECT_EQ(mappedCopies(), 0);
}

TEST(LibraryBinding, PortWindowBindingResolvesOnlyThePortQuery) {
    Roster roster;
    LibraryBinding binding({libDir()}, {BusLibrary::Entry::SearchForComPorts});
    ASSERT_TRUE(binding.load());
    EXPECT_TRUE(binding.isBound(BusLibrary::Entry::SearchForComPorts));
    EXPECT_FALSE(binding.isBound(BusLibrary::Entry::TBTransmit));
    QList<int16_t> ports;
    EXPECT_GE(binding.SearchForComPorts(ports), 0);
    EXPECT_EQ(ports.size(), 10);
    binding.unload();
}

TEST(LibraryBinding, MissingLibraryFailsCleanly) {
    QTemporaryDir empty;
    LibraryBinding binding({empty.path()});
    EXPECT_FALSE(binding.load());
    EXPECT_FALSE(binding.isLoaded());
    EXPECT_FALSE(binding.loadError().isEmpty());
    EXPECT_EQ(binding.GetVersionNumber(), 0);
}

namespace {

struct RealStart {
    QTemporaryDir dir;
    RecordingPrompter prompter;
    ManualClock clock;
    SettingsStore store{dir.filePath(QStringLiteral("settings.ini")), prompter, [this] { return dir.path(); }};
    MainWindowModel model;
    std::unique_ptr<MainHandlers> handlers;

    explicit RealStart(QString folder) {
        store.writeSetting(QStringLiteral("ComPort"), QStringLiteral("Schnittstelle\\"),
                           SettingsStore::DataKind::Int16, 1, 2);
        MainEnvironment env;
        env.prompter = &prompter;
        env.settings = &store;
        env.clock = &clock;
        env.makeLibrary = [folder](const QList<BusLibrary::Entry>& entries) {
            return std::make_unique<LibraryBinding>(QStringList{folder}, entries);
        };
        env.localeSeparator = [] { return QLatin1Char(','); };
        env.currentDirectory = dir.path();
        handlers = std::make_unique<MainHandlers>(model, env);
        handlers->FormActivate();
    }
};

} // namespace

TEST(StartupWithTheLibrary, CurrentLibraryShowsItsVersion) {
    Roster roster;
    RealStart s(libDir());
    EXPECT_FALSE(s.handlers->closeRequested());
    EXPECT_EQ(s.model.StatusBar1.panels[0], QStringLiteral("COM1"));
    EXPECT_EQ(s.model.StatusBar1.panels[3], QStringLiteral("DLL: V1.70"));
    EXPECT_TRUE(s.prompter.shown.isEmpty());
}

TEST(StartupWithTheLibrary, OldLibraryVersionEndsTheProgram) {
    Roster roster;
    roster.writeVersion("0x0161");
    RealStart s(libDir());
    ASSERT_EQ(s.prompter.shown.size(), 1);
    EXPECT_TRUE(s.prompter.shown[0].message.text.startsWith(QStringLiteral("DLL Version V1.61 nicht mehr unterstützt!")));
    EXPECT_TRUE(s.handlers->closeRequested());
}

TEST(StartupWithTheLibrary, AbsentLibraryEndsTheProgram) {
    Roster roster;
    QTemporaryDir empty;
    RealStart s(empty.path());
    ASSERT_EQ(s.prompter.shown.size(), 1);
    EXPECT_EQ(s.prompter.shown[0].message.text, QStringLiteral("Konte DLL-Datei nicht öffnen!\nProgramm wird beendet!"));
    EXPECT_TRUE(s.handlers->closeRequested());
}

TEST(StartupWithTheLibrary, DamagedRosterIsReportedAtThePortNotByACrash) {
    Roster roster;
    {
        QFile f(roster.dir.filePath(QStringLiteral("roster.json")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("{ \"ports\": [ { \"port\": \"eins\" ");
    }
    LibraryBinding binding({libDir()});
    ASSERT_TRUE(binding.load());
    const int16_t status = binding.TBOpenCom(1, 4800, 0);
    EXPECT_LT(status, 0);
    EXPECT_TRUE(binding.GetErrorMessageRet(status).contains(QStringLiteral("roster.json")))
        << binding.GetErrorMessageRet(status).toStdString();
    QList<int16_t> ports;
    EXPECT_LT(binding.SearchForComPorts(ports), 0);
    binding.unload();
}
