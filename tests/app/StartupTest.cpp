#include "support/AppFixture.h"

#include "app/ComPortWindow.h"

#include <gtest/gtest.h>

namespace {

// Acts as the user in the port window: picks the first listed port.
void chooseFirstPort(ModalWindow& w) {
    auto& window = static_cast<ComPortWindow&>(w);
    window.cb_ComPortsChange(0);
    window.b_ComPortAuswaehlenClick();
}

} // namespace

TEST(Startup, FreshAccountAsksForThePortFirstAndWritesTheKeyTree) {
    AppFixture f;
    // The key tree is on disk while the port window waits: a user may never choose.
    QString whileAsking;
    f.prompter.onModal = [&](ModalWindow& w) {
        whileAsking = f.stored(QStringLiteral("System"), QStringLiteral("DezimalPunktTrenner"));
        chooseFirstPort(w);
    };
    MainHandlers& h = f.start();
    h.FormActivate();

    ASSERT_EQ(f.prompter.modalWindows, QStringList{QStringLiteral("Tf_ComPort")});
    EXPECT_EQ(whileAsking, QStringLiteral(","));
    EXPECT_EQ(f.model.StatusBar1.panels[0], QStringLiteral("COM1"));
    EXPECT_EQ(f.model.StatusBar1.panels[1], QStringLiteral("TB500, TB500MC"));
    EXPECT_EQ(f.model.StatusBar1.panels[3], QStringLiteral("DLL: V1.70"));
    EXPECT_TRUE(f.model.Konfigurationlesen1.enabled);
    EXPECT_TRUE(f.model.MainMenueExtras_ErweiterteKonfiguration.enabled);
    EXPECT_FALSE(h.closeRequested());
    EXPECT_TRUE(f.prompter.shown.isEmpty()) << f.prompter.texts().join(QLatin1Char('|')).toStdString();

    EXPECT_EQ(f.stored(QStringLiteral("Schnittstelle"), QStringLiteral("ComPort")), QStringLiteral("1"));
    EXPECT_EQ(f.stored(QStringLiteral("Schnittstelle"), QStringLiteral("PegelWandler")), QStringLiteral("0"));
    EXPECT_EQ(f.stored(QStringLiteral("System"), QStringLiteral("GeraeteTyp")), QStringLiteral("0"));
    EXPECT_EQ(f.stored(QStringLiteral("System"), QStringLiteral("DezimalPunktTrenner")), QStringLiteral(","));
    EXPECT_EQ(f.stored(QStringLiteral("Extras"), QStringLiteral("AnzeigeEinheit")), QStringLiteral("0"));
    EXPECT_EQ(f.stored(QStringLiteral("SpecialFunctions"), QStringLiteral("Konfiguration")), QStringLiteral("0"));
    EXPECT_EQ(f.stored(QStringLiteral("SpecialFunctions"), QStringLiteral("LetzteKonfiguration")),
              QStringLiteral("0"));
    EXPECT_EQ(f.stored(QStringLiteral("User"), QStringLiteral("Config1Path")),
              f.dir.path() + QStringLiteral("/Konfigurationen"));
    EXPECT_EQ(f.stored(QStringLiteral("User"), QStringLiteral("Manual")), f.dir.path() + QStringLiteral("/Manual"));
    EXPECT_EQ(f.stored(QStringLiteral("User"), QStringLiteral("Path")), f.dir.path());

    // Start-up leaves the library unloaded; the port window had a binding of its own.
    ASSERT_EQ(f.buses.size(), 2);
    EXPECT_FALSE(f.buses[0]->isLoaded());
    EXPECT_EQ(f.buses[0]->loads, 1);
}

TEST(Startup, ClosingThePortWindowWithoutChoosingLeavesNoPort) {
    AppFixture f;
    MainHandlers& h = f.start();
    h.FormActivate();
    EXPECT_EQ(f.model.StatusBar1.panels[0], QStringLiteral("COM?"));
    EXPECT_FALSE(f.model.Konfigurationlesen1.enabled);
    EXPECT_FALSE(f.model.MainMenueExtras_ErweiterteKonfiguration.enabled);
    EXPECT_EQ(f.stored(QStringLiteral("Schnittstelle"), QStringLiteral("ComPort")), QStringLiteral("0"));
}

TEST(Startup, RunsOncePerProcess) {
    AppFixture f;
    f.preset(QStringLiteral("Schnittstelle"), QStringLiteral("ComPort"), QStringLiteral("3"));
    MainHandlers& h = f.start();
    h.FormActivate();
    const int buses = f.buses.size();
    f.model.StatusBar1.panels[0] = QStringLiteral("unverändert");
    h.FormActivate();
    EXPECT_EQ(f.buses.size(), buses);
    EXPECT_EQ(f.model.StatusBar1.panels[0], QStringLiteral("unverändert"));
    EXPECT_TRUE(f.prompter.modalWindows.isEmpty());
}

TEST(Startup, LocaleSeparatorReachesEveryNumericField) {
    for (QChar sep : {QLatin1Char(','), QLatin1Char('.')}) {
        AppFixture f;
        f.separator = sep;
        f.preset(QStringLiteral("Schnittstelle"), QStringLiteral("ComPort"), QStringLiteral("1"));
        f.start().FormActivate();
        for (NumericField* field : f.model.numericFields())
            EXPECT_EQ(field->Seperator, QString(sep)) << field->name.toStdString();
        // Start-up sets 0,1 (or 0.1); its final refresh writes it with the field's two decimals.
        EXPECT_EQ(f.model.neFilter.text, QStringLiteral("0") + sep + QStringLiteral("10"));
        EXPECT_EQ(f.stored(QStringLiteral("System"), QStringLiteral("DezimalPunktTrenner")), QString(sep));
    }
}

TEST(Startup, ModelMenuGetsItsCaptionsAndHidesTheTwoPidAnalogModels) {
    AppFixture f;
    f.preset(QStringLiteral("Schnittstelle"), QStringLiteral("ComPort"), QStringLiteral("1"));
    f.start().FormActivate();
    EXPECT_EQ(f.model.modelItem(ModelId::DVN500XAO).caption, QStringLiteral("DVN 500 - XAO020"));
    EXPECT_EQ(f.model.modelItem(ModelId::TRK520PID_StetigV).caption, QStringLiteral("TRK 520 PID STV1"));
    EXPECT_FALSE(f.model.modelItem(ModelId::TRK520PIDXAO).visible);
    EXPECT_FALSE(f.model.modelItem(ModelId::TRK520PIDXAOV).visible);
    EXPECT_TRUE(f.model.modelItem(ModelId::TRK520PID).visible);
    EXPECT_EQ(f.model.cpAnzeigeDp.itemIndex, 0);
}

TEST(Startup, OldLibraryIsRefusedAndTheSettingsAreStillWritten) {
    for (uint16_t version : {uint16_t(0x0161), uint16_t(0x8162)}) {
        AppFixture f;
        f.mainScript.version = version;
        f.preset(QStringLiteral("Schnittstelle"), QStringLiteral("ComPort"), QStringLiteral("4"));
        f.preset(QStringLiteral("System"), QStringLiteral("GeraeteTyp"), QStringLiteral("5"));
        MainHandlers& h = f.start();
        h.FormActivate();
        ASSERT_EQ(f.prompter.shown.size(), 1);
        const QString text = f.prompter.shown[0].message.text;
        EXPECT_EQ(f.prompter.shown[0].message.caption, QStringLiteral("Fehler"));
        EXPECT_EQ(f.prompter.shown[0].message.icon, Prompter::Icon::Error);
        if (version == 0x0161)
            EXPECT_EQ(text, QStringLiteral("DLL Version V1.61 nicht mehr unterstützt!\nDLL Version sollte "
                                           "mindestens V1.62 sein.\nProgramm wird beendet"));
        else
            EXPECT_TRUE(text.startsWith(QStringLiteral("DLL Version V81.62"))) << text.toStdString();
        EXPECT_TRUE(h.closeRequested());
        EXPECT_EQ(f.stored(QStringLiteral("Schnittstelle"), QStringLiteral("ComPort")), QStringLiteral("4"));
        EXPECT_EQ(f.stored(QStringLiteral("System"), QStringLiteral("GeraeteTyp")), QStringLiteral("5"));
        // The rest of the start-up still runs: the stored model is restored.
        EXPECT_TRUE(f.model.isChecked(ModelId::TRK520));
    }
}

TEST(Startup, VersionOneSixtyTwoIsAccepted) {
    AppFixture f;
    f.mainScript.version = 0x0162;
    f.preset(QStringLiteral("Schnittstelle"), QStringLiteral("ComPort"), QStringLiteral("1"));
    MainHandlers& h = f.start();
    h.FormActivate();
    EXPECT_FALSE(h.closeRequested());
    EXPECT_EQ(f.model.StatusBar1.panels[3], QStringLiteral("DLL: V1.62"));
    EXPECT_EQ(MainHandlers::versionText(0x1062), QStringLiteral("10.62"));
}

TEST(Startup, MissingLibraryBeepsTwiceShowsOneMessageAndEnds) {
    AppFixture f;
    f.mainScript.loadSucceeds = false;
    f.preset(QStringLiteral("Schnittstelle"), QStringLiteral("ComPort"), QStringLiteral("1"));
    MainHandlers& h = f.start();
    h.FormActivate();
    ASSERT_EQ(f.prompter.shown.size(), 1);
    EXPECT_EQ(f.prompter.shown[0].message.text, QStringLiteral("Konte DLL-Datei nicht öffnen!\nProgramm wird beendet!"));
    EXPECT_EQ(f.prompter.shown[0].message.caption, QStringLiteral("Fehler"));
    EXPECT_EQ(f.prompter.beeps, (QList<Prompter::Beep>{Prompter::Beep::Default, Prompter::Beep::Exclamation}));
    EXPECT_TRUE(h.closeRequested());
    EXPECT_EQ(f.model.StatusBar1.panels[3], QString());
    EXPECT_EQ(f.stored(QStringLiteral("Schnittstelle"), QStringLiteral("ComPort")), QStringLiteral("1"));
}

TEST(Startup, StoredNumberThatIsNoNumberIsReportedAndTheRestStillLoads) {
    AppFixture f;
    f.preset(QStringLiteral("Schnittstelle"), QStringLiteral("ComPort"), QStringLiteral("abc"));
    f.preset(QStringLiteral("Schnittstelle"), QStringLiteral("PegelWandler"), QStringLiteral("66"));
    MainHandlers& h = f.start();
    h.FormActivate();
    ASSERT_FALSE(f.prompter.shown.isEmpty());
    EXPECT_TRUE(f.prompter.shown[0].message.text.contains(QStringLiteral("abc")));
    EXPECT_EQ(f.model.converterCode, 66);
    EXPECT_EQ(f.model.StatusBar1.panels[1], QStringLiteral("TBW2"));
    // No port is known, so the port window asks for one.
    EXPECT_EQ(f.prompter.modalWindows.size(), 1);
    EXPECT_FALSE(h.closeRequested());
}

TEST(Startup, CorruptSettingsFileIsReportedWithoutCrashAndKept) {
    AppFixture f;
    {
        QFile file(f.iniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Schnittstelle\nComPort=\x01\x02 ]]]\n=\n[[[\n");
    }
    const QByteArray before = [&] {
        QFile file(f.iniPath());
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();
    MainHandlers& h = f.start();
    h.FormActivate();
    EXPECT_FALSE(f.prompter.shown.isEmpty());
    EXPECT_TRUE(h.closeRequested());
    QFile file(f.iniPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
}

TEST(Shutdown, WritesTheSettingsOnceAndHonoursTheSessionOnlyUnlock) {
    AppFixture f;
    f.preset(QStringLiteral("Schnittstelle"), QStringLiteral("ComPort"), QStringLiteral("2"));
    MainHandlers& h = f.start();
    h.FormActivate();
    f.model.comPort = 7;
    f.model.extendedConfigUnlocked = true;
    f.model.unlockedForSessionOnly = true;
    h.FormClose();
    EXPECT_EQ(f.stored(QStringLiteral("Schnittstelle"), QStringLiteral("ComPort")), QStringLiteral("7"));
    EXPECT_EQ(f.stored(QStringLiteral("SpecialFunctions"), QStringLiteral("Konfiguration")), QStringLiteral("0"));

    f.model.comPort = 9;
    h.FormClose();
    EXPECT_EQ(f.stored(QStringLiteral("Schnittstelle"), QStringLiteral("ComPort")), QStringLiteral("7"));
}

TEST(StatusBarTimer, StartingWhileRunningKeepsTheFirstStartAndTheTickRestoresTheDesignation) {
    AppFixture f;
    MainHandlers& h = f.start();
    f.model.lMainCaption.caption = QStringLiteral("TRK 520");
    f.model.StatusBar1.panels[2] = QStringLiteral("Datei: a.d20 gespeichert");
    h.startStatusTimer();
    h.startStatusTimer();
    EXPECT_TRUE(f.model.t_StatusLeisteEnabled);
    EXPECT_EQ(f.model.t_StatusLeisteInterval, 2500);
    h.t_StatusLeisteTimer();
    EXPECT_FALSE(f.model.t_StatusLeisteEnabled);
    EXPECT_EQ(f.model.StatusBar1.panels[2], QStringLiteral("TRK 520"));
}

TEST(Startup, AFailedReadClosesOnlyAfterTheOtherValuesAreRead) {
    AppFixture f;
    f.preset(QStringLiteral("Schnittstelle"), QStringLiteral("ComPort"), QString(300, QLatin1Char('1')));
    f.preset(QStringLiteral("Schnittstelle"), QStringLiteral("PegelWandler"), QStringLiteral("66"));
    f.preset(QStringLiteral("System"), QStringLiteral("GeraeteTyp"), QStringLiteral("8"));
    MainHandlers& h = f.start();
    h.FormActivate();
    EXPECT_TRUE(h.closeRequested());
    EXPECT_TRUE(f.prompter.texts().contains(
        QStringLiteral("Der Daten-Puffer für die Regsitrierungs-Daten ist zu klein")));
    // Closing wrote the values that were read, not defaults in their place.
    EXPECT_EQ(f.stored(QStringLiteral("Schnittstelle"), QStringLiteral("PegelWandler")), QStringLiteral("66"));
    EXPECT_EQ(f.stored(QStringLiteral("System"), QStringLiteral("GeraeteTyp")), QStringLiteral("8"));
}

TEST(Startup, RestoredDisplayUnitExtraHasItsUnitList) {
    AppFixture f;
    f.mainScript.units = {{1, QStringLiteral("°C")}, {80, QStringLiteral("l/h")}};
    f.preset(QStringLiteral("Schnittstelle"), QStringLiteral("ComPort"), QStringLiteral("1"));
    f.preset(QStringLiteral("Extras"), QStringLiteral("AnzeigeEinheit"), QStringLiteral("1"));
    MainHandlers& h = f.start();
    h.FormActivate();
    EXPECT_TRUE(f.model.MainMenueExtrasAnzeigeeinheit.checked);
    EXPECT_EQ(f.model.cb_AnzeigeEinheit.items, (QStringList{QStringLiteral("°C"), QStringLiteral("l/h")}));
    EXPECT_FALSE(f.buses[0]->isLoaded());
}
