#include "app/ExtendedWordsWindow.h"
#include "app/HelpWindow.h"
#include "support/AppFixture.h"
#include "tools/FlowCalculatorWindow.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

using Window = ExtendedWordsWindow;

// A started main window with a stored port and model, the extended words unlocked or not.
struct Help : ::testing::Test {
    AppFixture f;
    MainHandlers* h = nullptr;

    void start(const char* unlocked = "1", const char* model = "5") {
        f.preset(QStringLiteral("Schnittstelle"), QStringLiteral("ComPort"), QStringLiteral("1"));
        f.preset(QStringLiteral("System"), QStringLiteral("GeraeteTyp"), QLatin1String(model));
        f.preset(QStringLiteral("SpecialFunctions"), QStringLiteral("Konfiguration"),
                 QLatin1String(unlocked));
        f.preset(QStringLiteral("SpecialFunctions"), QStringLiteral("LetzteKonfiguration"),
                 QStringLiteral("1"));
        h = &f.start();
        h->FormActivate();
        f.prompter.shown.clear();
    }
    void words(const char* general, const char* alarm, const char* sf1, const char* sf2) {
        f.model.e_erw_Allgemein.text = QLatin1String(general);
        f.model.e_erw_Alarm.text = QLatin1String(alarm);
        f.model.e_erw_Schaltfunktion1.text = QLatin1String(sf1);
        f.model.e_erw_Schaltfunktion2.text = QLatin1String(sf2);
    }
    QStringList fieldTexts() const {
        const MainWindowModel& m = f.model;
        return {m.e_erw_Allgemein.text, m.e_erw_Alarm.text, m.e_erw_Schaltfunktion1.text,
                m.e_erw_Schaltfunktion2.text};
    }
    // Acts in the detail window: `act` sees it with its words and boxes filled.
    void inWindow(const std::function<void(Window&)>& act) {
        f.prompter.onModal = [act](ModalWindow& w) { act(static_cast<Window&>(w)); };
    }
};

} // namespace

TEST_F(Help, DetailWindowMapsBitsAndKeepsHiddenOnes) {
    start();
    words("300", "130", "3", "240"); // 300 is cut to 255 before the window opens
    inWindow([](Window& w) {
        EXPECT_EQ(w.panels[Window::General].word, 255);
        EXPECT_TRUE(w.panels[Window::Alarm].enabled);
        const auto& alarm7 = w.panels[Window::Alarm].bits[7];
        EXPECT_TRUE(alarm7.checked);
        EXPECT_FALSE(alarm7.visible);
        EXPECT_TRUE(w.panels[Window::Alarm].bits[1].checked);
        w.setChecked(Window::Alarm, 1, false);
        w.setChecked(Window::Switching1, 2, true);
        w.b_OKClick();
    });
    h->b_erw_AnzeigenClick();
    EXPECT_EQ(f.prompter.modalWindows, QStringList{QStringLiteral("Ttf_Spezialkonfiguration")});
    EXPECT_EQ(fieldTexts(), (QStringList{"255", "128", "7", "240"}));
    EXPECT_TRUE(f.prompter.shown.isEmpty());

    // Abbrechen, or closing the window, changes nothing.
    inWindow([](Window& w) {
        w.setChecked(Window::General, 0, false);
        w.b_AbbrechenClick();
    });
    h->b_erw_AnzeigenClick();
    f.prompter.onModal = nullptr;
    h->b_erw_AnzeigenClick();
    EXPECT_EQ(fieldTexts(), (QStringList{"255", "128", "7", "240"}));
}

TEST_F(Help, LockedWordsOpenReadOnly) {
    start("0");
    ASSERT_FALSE(f.model.e_erw_Allgemein.enabled);
    words("5", "0", "0", "64");
    inWindow([](Window& w) {
        for (const auto& p : w.panels)
            EXPECT_FALSE(p.enabled);
        w.setChecked(Window::General, 1, true);
        w.setChecked(Window::General, 0, false);
        w.b_OKClick();
    });
    h->b_erw_AnzeigenClick();
    EXPECT_EQ(fieldTexts(), (QStringList{"5", "0", "0", "64"}));
}

TEST_F(Help, WordsThatDoNotFitTheModelAreReportedAfterOk) {
    start(); // TRK 520: no PID function
    words("0", "0", "0", "0");
    inWindow([](Window& w) {
        w.setChecked(Window::Switching1, 4, true);
        w.b_OKClick();
    });
    h->b_erw_AnzeigenClick();
    EXPECT_EQ(f.prompter.texts(), QStringList{QStringLiteral(
                                      "Erweiterte Geräte-Einstellungen stimmen nicht mit dem Gewähltem Gerät "
                                      "überein!")});
    EXPECT_EQ(f.model.e_erw_Schaltfunktion1.text, QStringLiteral("16"));

    // Words that already do not fit are reported once, after the window, not before it too.
    f.prompter.shown.clear();
    words("0", "0", "16", "0");
    inWindow([](Window& w) { w.b_AbbrechenClick(); });
    h->b_erw_AnzeigenClick();
    EXPECT_EQ(f.prompter.shown.size(), 1);
}

TEST(DetailWindow, EveryBitHasItsCaptionAndHint) {
    Window w;
    w.FormActivate();
    // Bits without a function on the instrument: hidden, with the reserved-bit hint.
    const QList<std::pair<int, int>> hidden = {
        {Window::Alarm, 7},      {Window::Switching1, 6}, {Window::Switching1, 7}, {Window::Switching2, 4},
        {Window::Switching2, 5}, {Window::Switching2, 6}, {Window::Switching2, 7}};
    for (int p = 0; p < Window::kWordCount; ++p) {
        for (int b = 0; b < 8; ++b) {
            const auto& box = w.panels[p].bits[b];
            const bool reserved = hidden.contains({p, b});
            EXPECT_EQ(box.visible, !reserved) << box.name.toStdString();
            EXPECT_EQ(box.caption == QStringLiteral("Unbekannte Funktion"), reserved)
                << box.name.toStdString();
            EXPECT_EQ(box.hint == Window::reservedHint(), reserved) << box.name.toStdString();
            EXPECT_TRUE(box.showHint);
        }
    }
    EXPECT_EQ(w.panels[Window::General].bits[0].name, QStringLiteral("cb_Allgemein_Bit_0"));
    EXPECT_EQ(w.panels[Window::Switching2].bits[7].name, QStringLiteral("cb_Schaltfunktion2_Bit7"));
    EXPECT_EQ(w.panels[Window::Switching1].bits[5].caption, QStringLiteral("Stetigausgang"));
    w.aHint_Deactivate();
    EXPECT_FALSE(w.panels[Window::Alarm].bits[0].showHint);
}

TEST_F(Help, DescriptionAndVersionBoxes) {
    f.mainScript.version = 0x0162;
    start();
    h->MainMenueQMClick();
    h->MainMenueUeberClick();
    ASSERT_EQ(f.prompter.shown.size(), 2);
    const QString about = QStringLiteral("Über TRK/DVN Konfigurationsprogramm");
    const Prompter::Message& qm = f.prompter.shown[0].message;
    EXPECT_EQ(qm.caption, about);
    EXPECT_EQ(qm.icon, Prompter::Icon::None);
    EXPECT_TRUE(qm.text.startsWith(QStringLiteral("TRK/DVN Konfigurationsprogramm\n\nKurz-Beschreibung:\n")));
    EXPECT_TRUE(
        qm.text.contains(QStringLiteral("Geräte-Konfigurationen\n\nUnterstützt werden folgende Geräte:\n"
                                        "DVN20TB\nDVN500\n")));
    EXPECT_TRUE(qm.text.endsWith(QStringLiteral("Schnittstellen-Wandler:\nTBW1, TBW3, TBW64, TBW240\nTBW2\n"
                                                "TBW64E,universal Echo\nTB500, TB500MC")));
    const Prompter::Message& version = f.prompter.shown[1].message;
    EXPECT_EQ(version.caption, about);
    EXPECT_EQ(version.text, QStringLiteral("TRK/DVN Konfigurationsprogramm Version: 1.7.0 vom 2010-09-20 \n\n"
                                           "DLL-Version: 01.62"));
    EXPECT_FALSE(f.buses[0]->isLoaded());

    // Without the library: its own message, then the box without a version number.
    f.prompter.shown.clear();
    f.buses[0]->loadSucceeds = false;
    h->MainMenueUeberClick();
    ASSERT_EQ(f.prompter.shown.size(), 2);
    EXPECT_EQ(f.prompter.shown[0].message.text,
              QStringLiteral("Konte DLL-Datei nicht öffnen!\nProgramm wird beendet!"));
    EXPECT_TRUE(
        f.prompter.shown[1].message.text.endsWith(QStringLiteral("\n\nDLL-Version: nicht verfügbar")));
}

TEST_F(Help, QuickGuideOpensTheManualForTheUnlockState) {
    // A fresh account: the manuals sit below the folder of the first start.
    h = &f.start();
    h->FormActivate();
    h->_mHilfe_KurzanleitungClick();
    // Unlocked until exit only: the extended manual at once.
    f.prompter.script = {Prompter::Button::No};
    h->cbLimitKeyPress(QChar(5));
    h->_mHilfe_KurzanleitungClick();
    const QString manual = QDir(f.dir.path()).filePath(QStringLiteral("Manual"));
    EXPECT_EQ(f.prompter.openedDocuments,
              (QStringList{manual + QStringLiteral("/OEM_Anleitung.html"),
                           manual + QStringLiteral("/OEM_Anleitung_Erweiterte_Konfiguration.html")}));

    // No viewer takes it: the user is told which file could not be shown.
    f.prompter.documentsOpen = false;
    f.prompter.shown.clear();
    h->config().pm_MessbereichAnzeigenClick();
    ASSERT_EQ(f.prompter.shown.size(), 1);
    EXPECT_TRUE(f.prompter.shown[0].message.text.startsWith(
        QStringLiteral("Die Datei „%1/Manual/OEM_Messbereiche.html“ konnte nicht angezeigt werden.").arg(f.dir.path())));
}

// Without a viewer the quick guide opens in the program's own help window, which follows the
// handbook's links between its pages and keeps the way back; only a missing page is reported.
TEST_F(Help, WithoutViewerTheManualOpensInTheHelpWindow) {
    h = &f.start();
    h->FormActivate();
    const QDir manual(QDir(f.dir.path()).filePath(QStringLiteral("Manual")));
    ASSERT_TRUE(manual.mkpath(QStringLiteral(".")));
    auto page = [&](const char* name, const char* title) {
        QFile file(manual.filePath(QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("<html><head><title>") + title + "</title></head><body></body></html>");
    };
    page("OEM_Anleitung.html", "Handbuch");
    page("Handbuch_Meldungen.html", "Meldungen");
    const QString start = manual.filePath(QStringLiteral("OEM_Anleitung.html"));
    const QString messages = manual.filePath(QStringLiteral("Handbuch_Meldungen.html"));

    f.prompter.documentsOpen = false;
    QStringList seen;
    f.prompter.onModal = [&](ModalWindow& w) {
        auto& help = static_cast<HelpWindow&>(w);
        seen << help.page + QLatin1Char('|') + help.caption;
        help.linkClicked(QStringLiteral("Handbuch_Meldungen.html#status"));
        seen << help.page + QLatin1Char('#') + help.fragment + QLatin1Char('|') + help.caption;
        help.linkClicked(QStringLiteral("#m3"));
        seen << help.page + QLatin1Char('#') + help.fragment;
        help.linkClicked(QStringLiteral("Fehlt.html"));
        seen << help.statusText;
        help.linkClicked(QStringLiteral("https://example.org/"));
        seen << help.statusText;
        help.bZurueckClick();
        seen << help.page + QLatin1Char('#') + help.fragment;
        help.bZurueckClick();
        seen << help.page + QLatin1Char('|') + QString::number(help.bZurueck.enabled) + QString::number(help.bVor.enabled);
        help.bVorClick();
        help.bStartClick();
        seen << help.page + QLatin1Char('|') + QString::number(help.bVor.enabled);
    };
    f.prompter.modalWindows.clear(); // the port window of the first start
    h->_mHilfe_KurzanleitungClick();
    EXPECT_EQ(f.prompter.modalWindows, QStringList{QStringLiteral("THandbuch")});
    EXPECT_TRUE(f.prompter.shown.isEmpty());
    EXPECT_EQ(seen, (QStringList{start + QStringLiteral("|Handbuch"), messages + QStringLiteral("#status|Meldungen"),
                                 messages + QStringLiteral("#m3"),
                                 QStringLiteral("Seite nicht gefunden: ") +
                                     QDir::toNativeSeparators(manual.filePath(QStringLiteral("Fehlt.html"))),
                                 QStringLiteral("Verweise außerhalb des Handbuchs öffnet dieses Fenster nicht: "
                                                "https://example.org/"),
                                 messages + QStringLiteral("#status"), start + QStringLiteral("|01"),
                                 start + QStringLiteral("|0")}));

    // A page that is not there is still reported, and no window opens for it.
    f.prompter.onModal = nullptr;
    f.prompter.modalWindows.clear();
    h->config().pm_MessbereichAnzeigenClick();
    EXPECT_TRUE(f.prompter.modalWindows.isEmpty());
    ASSERT_EQ(f.prompter.shown.size(), 1);
}

TEST_F(Help, FlowCalculatorPreparesOnlyModelsWithoutControllerAndCancelRestoresTheWindow) {
    start("0", "8"); // TRK 520 PID keeps its configuration around the frequency rows
    f.model.rgInput.itemIndex = 0;
    h->config().rgInputClick();
    f.model.rgSensor.itemIndex = 0;
    h->config().rgSensorClick();
    h->commitEdits();
    const MainWindowModel pid = f.model;
    const int steps = h->undoHistory().undoCount();
    int shown = 0;
    f.prompter.onModal = [&](ModalWindow& w) {
        ++shown;
        EXPECT_EQ(f.model.rgInput.itemIndex, 0);
        EXPECT_TRUE(f.model.neMessbereichHigh.visible);
        EXPECT_EQ(f.model.gpAnzeigeElemente.geometry.height, 7 * 24 + 32); // the seven frequency rows
        static_cast<FlowCalculatorWindow&>(w).bDurchFlussMessungEinstellungAbbrechenClick();
    };
    h->MainMenueDurchflussMessungClick();
    EXPECT_EQ(f.prompter.modalWindows, QStringList{QStringLiteral("TForm1")});
    EXPECT_TRUE(f.model == pid) << "Abbrechen kept changes in the main window";
    EXPECT_EQ(h->undoHistory().undoCount(), steps);

    // A model without controller is selected afresh while the window is open; closing it
    // (Escape) brings the configuration back, sensor and all.
    h->config().selectModel(ModelId::TRK520);
    f.model.rgInput.itemIndex = 0;
    h->config().rgInputClick();
    f.model.rgSensor.itemIndex = 1;
    h->config().rgSensorClick();
    h->commitEdits();
    const MainWindowModel trk = f.model;
    f.prompter.onModal = [&](ModalWindow&) { EXPECT_EQ(f.model.rgSensor.itemIndex, -1); };
    h->MainMenueDurchflussMessungClick();
    EXPECT_TRUE(f.model == trk);
    ASSERT_TRUE(f.model.miKonfigurationprogrammieren1.enabled);

    // Whatever cleared a sensor, programming refuses before it opens the port.
    f.model.rgSensor.itemIndex = -1;
    f.prompter.shown.clear();
    h->miKonfigurationprogrammieren1Click();
    EXPECT_LT(h->lastBusStatus(), 0);
    ASSERT_EQ(f.prompter.shown.size(), 1);
    EXPECT_TRUE(f.prompter.texts().first().contains(QStringLiteral("„Sens“")))
        << f.prompter.texts().first().toStdString();
    for (const ScriptedBus* bus : f.buses)
        for (const ScriptedBus::Call& c : bus->calls)
            EXPECT_TRUE(c.fn != QLatin1String("TBOpenCom") && c.fn != QLatin1String("TBTransmit"))
                << c.fn.toStdString();
}
