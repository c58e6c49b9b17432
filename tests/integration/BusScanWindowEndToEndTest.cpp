#include "bus/LibraryBinding.h"
#include "integration/LiveBus.h"
#include "tools/BusScanWindow.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The scan window with its own binding of the built library, on the line of port 10 of a fresh
// default roster.
struct BusScanWindowEndToEnd : ::testing::Test {
    QTemporaryDir dir;
    RecordingPrompter prompter;
    ManualClock clock;
    BusScanWindow w{std::make_unique<LibraryBinding>(QStringList{QStringLiteral(TRAXBUS_LIBDIR)},
                                                     BusScanWindow::entries()),
                    prompter, clock, dir.path(), QChar(u',')};

    BusScanWindowEndToEnd() {
        qputenv("TRAXBUS_SIM", dir.filePath(QStringLiteral("roster.json")).toLocal8Bit());
        qunsetenv("TRAXBUS_TRACE");
        w.comPort = 10;
        w.converterCode = 6;
        w.FormShow();
    }
    ~BusScanWindowEndToEnd() override { qunsetenv("TRAXBUS_SIM"); }

    QList<int16_t> addresses() const {
        QList<int16_t> out;
        for (const bus::ScanRow& r : w.rows)
            out.append(r.address);
        return out;
    }
    int rowAt(int16_t address) const { return static_cast<int>(addresses().indexOf(address)); }
};

} // namespace

TEST_F(BusScanWindowEndToEnd, ScansTheLineAndWorksOnOneRowWithoutDisturbingTheOthers) {
    // The known addresses first; the table grows while the scan still runs.
    w.known = {201};
    QList<int> rowsWhilePainting;
    w.repaint = [&] {
        EXPECT_TRUE(w.scanning);
        EXPECT_FALSE(w.b_Durchsuchen.enabled);
        rowsWhilePainting.append(static_cast<int>(w.rows.size()));
    };
    w.b_DurchsuchenClick();
    ASSERT_TRUE(prompter.shown.isEmpty()) << prompter.texts().join(u'\n').toStdString();
    EXPECT_EQ(addresses(), (QList<int16_t>{201, 0, 17, 42, 88, 120, 239}));
    EXPECT_EQ(rowsWhilePainting.size(), 241);
    EXPECT_EQ(rowsWhilePainting.at(1), 1);
    EXPECT_EQ(w.progressText(), QStringLiteral("240 von 240 Adressen"));
    EXPECT_EQ(w.StatusBar1.text, QStringLiteral("7 Geräte gefunden"));
    const int tank = rowAt(17);
    const QStringList cells{w.cell(tank, 0), w.cell(tank, 1), w.cell(tank, 2), w.cell(tank, 3), w.cell(tank, 4)};
    EXPECT_EQ(cells, (QStringList{"17", "07611002", w.rows.at(tank).typeName, "23,0", "Tank Ost"}));
    EXPECT_FALSE(w.rows.at(tank).typeName.isEmpty());
    EXPECT_TRUE(w.csv().contains("\r\n17;07611002;"));

    // What the main window records: each change that reached the instrument, as it took it.
    QStringList changes;
    w.onChange = [&changes](const InstrumentChange& c) {
        changes << QStringLiteral("%1 %2 @%3: %4 -> %5")
                       .arg(c.kind == InstrumentChange::Kind::Address ? "Adresse" : "Name")
                       .arg(c.identity, 8, 16, QLatin1Char('0'))
                       .arg(c.address)
                       .arg(c.before, c.after);
    };

    // Onto an address another instrument holds: refused before anything reaches the bus.
    w.rowSelected(tank);
    ASSERT_TRUE(w.b_AdresseAendern.enabled);
    w.b_AdresseAendernClick(QStringLiteral("88"));
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(prompter.shown.at(0).message.text,
              QStringLiteral("An Adresse 88 ist schon ein Gerät. Bitte eine freie Adresse wählen."));
    // To a free address: the row follows the instrument, read back there.
    w.b_AdresseAendernClick(QStringLiteral("99"));
    EXPECT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(w.rows.at(tank).address, 99);
    EXPECT_EQ(w.rows.at(tank).identity, 0x07611002);
    EXPECT_EQ(w.rows.at(tank).name, QStringLiteral("Tank Ost"));
    EXPECT_EQ(rowAt(17), -1);

    // Renamed: only the 16 characters the instrument keeps, as read back.
    w.b_BezeichnungAendernClick(QStringLiteral("Behälter Süd-West-Ecke"));
    EXPECT_EQ(w.rows.at(tank).name, QStringLiteral("Behälter Süd-Wes"));
    EXPECT_EQ(changes, (QStringList{QStringLiteral("Adresse 07611002 @99: 17 -> 99"),
                                    QStringLiteral("Name 07611002 @99: Tank Ost -> Behälter Süd-Wes")}));

    // A new scan sees the line as the table said, the others where they were.
    w.repaint = {};
    w.b_DurchsuchenClick();
    EXPECT_EQ(addresses(), (QList<int16_t>{201, 0, 42, 88, 99, 120, 239}));
    EXPECT_EQ(w.rows.at(rowAt(99)).name, QStringLiteral("Behälter Süd-Wes"));

    // "Einlesen" hands the row's address and its family's model to the main window.
    std::optional<BusScanWindow::ReadRequest> told;
    w.onRead = [&](const BusScanWindow::ReadRequest& r) { told = r; };
    w.rowSelected(rowAt(42));
    w.b_EinlesenClick();
    ASSERT_TRUE(told.has_value());
    EXPECT_EQ(told->address, 42);
    EXPECT_EQ(told->model, ModelId::DVN20TB);
    EXPECT_TRUE(w.closeRequested);
}

TEST_F(BusScanWindowEndToEnd, CancelKeepsWhatWasFound) {
    w.repaint = [&] {
        if (w.rows.size() == 2) w.b_AbbrechenClick();
    };
    w.b_DurchsuchenClick();
    EXPECT_EQ(addresses(), (QList<int16_t>{0, 17}));
    EXPECT_FALSE(w.scanning);
    EXPECT_LT(w.progress.done, 30);
    EXPECT_TRUE(w.StatusBar1.text.startsWith(QStringLiteral("Abgebrochen nach"))) << w.StatusBar1.text.toStdString();
    EXPECT_TRUE(w.b_Durchsuchen.enabled);
    EXPECT_TRUE(w.b_Exportieren.enabled);
}

// "Einlesen" on a row: the main window takes the variant of the row's family that the instrument
// fits (here the one with the current output, not the family's first) and reads it at the row's
// address while the rest of the line stays connected.

using livebus::LiveBus;

TEST_F(LiveBus, EinlesenFromTheScanReadsTheRowsInstrumentAsItsOwnModel) {
    livebus::Scenario line = livebus::kScenarios[0];
    line.port = 10;
    settings(line);
    livebus::Window w(iniPath(), dir.path(), sep);
    w.prompter.onModal = [](ModalWindow& window) {
        ASSERT_EQ(QByteArray(window.windowClass()), "TBusDurchsuchen");
        auto& scan = static_cast<BusScanWindow&>(window);
        scan.eVonEdited(QStringLiteral("80"));
        scan.eBisEdited(QStringLiteral("130"));
        scan.b_DurchsuchenClick();
        ASSERT_EQ(scan.rows.size(), 2);
        scan.rowSelected(0); // address 88: "Pumpe West", a TRK 520 with a current output
        scan.b_EinlesenClick();
    };
    w.handlers->MainMenueExtras_BusDurchsuchenClick();
    EXPECT_TRUE(w.m.isChecked(ModelId::TRK520XAO));
    EXPECT_EQ(w.m.busAddress, 88);
    EXPECT_GE(w.handlers->lastBusStatus(), 0) << w.prompter.texts().join(u'\n').toStdString();
    EXPECT_TRUE(w.m.gpAnalogOut1.visible);
}

// An instrument at address 0 of a line: the readout uses the row's address as it stands, where
// the address query would collide with the six others; programming afterwards reaches it too.
TEST_F(LiveBus, EinlesenFromTheScanAtAddressZeroLeavesTheOthersOfTheLineSilent) {
    livebus::Scenario line = livebus::kScenarios[0];
    line.port = 10;
    settings(line);
    livebus::Window w(iniPath(), dir.path(), sep);
    w.prompter.onModal = [](ModalWindow& window) {
        auto& scan = static_cast<BusScanWindow&>(window);
        scan.eBisEdited(QStringLiteral("20"));
        scan.b_DurchsuchenClick();
        ASSERT_EQ(scan.rows.size(), 2);
        ASSERT_EQ(scan.rows.at(0).address, 0); // "Kessel Nord", a TRK 520 PID
        scan.rowSelected(0);
        scan.b_EinlesenClick();
    };
    w.handlers->MainMenueExtras_BusDurchsuchenClick();
    ASSERT_GE(w.handlers->lastBusStatus(), 0) << w.prompter.texts().join(u'\n').toStdString();
    EXPECT_TRUE(w.m.isChecked(ModelId::TRK520PID));
    EXPECT_EQ(w.m.busAddress, 0);
    EXPECT_EQ(w.m.deviceIdentity, 0x07811001);
    w.handlers->miKonfigurationprogrammieren1Click();
    EXPECT_GE(w.handlers->lastBusStatus(), 0) << w.prompter.texts().join(u'\n').toStdString();
    EXPECT_EQ(w.m.deviceIdentity, 0x07811001);
}
