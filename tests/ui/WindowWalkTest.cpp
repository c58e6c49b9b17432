// A technician's first session with the program, in one run against the real bus library:
// every menu item, every tool window's buttons in their natural order, the compare window
// with the instrument and with a file, then a file load. The windows load and unload
// their own bindings of the one library; none may pull it away from another.

#include "integration/LiveBus.h"

#include "app/ComPortWindow.h"
#include "app/CompareWindow.h"
#include "app/LiveValueSession.h"
#include "app/ExtendedWordsWindow.h"
#include "config/ModelCatalogue.h"
#include "files/CommentWindow.h"
#include "support/AppFixture.h"
#include "tools/AddressWindow.h"
#include "tools/DeviceNameWindow.h"
#include "tools/FlowCalculatorWindow.h"
#include "tools/SelectAddressWindow.h"
#include "ui/AddressDialog.h"
#include "ui/DeviceNameDialog.h"
#include "ui/ScreenCheck.h"
#include "ui/SelectAddressDialog.h"

#include <link.h>

using namespace livebus;

namespace {

bool libraryMapped() {
    bool found = false;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            if (info->dlpi_name && QByteArray(info->dlpi_name).contains("TRAXB32E")) *static_cast<bool*>(data) = true;
            return 0;
        },
        &found);
    return found;
}

// The tool window as the user sees it after the action; saved with TRK_SCREENSHOT_DIR set.
template <typename Dialog, typename Window> void picture(Window& window, const char* name) {
    Dialog dialog(window);
    dialog.show();
    dialog.render();
    saveScreen(dialog, QLatin1String(name));
}

} // namespace

TEST_F(LiveBus, ATechnicianWalksEveryMenuAndToolInOneRun) {
    const Scenario& s = kScenarios[0]; // TRK 520 PID on port 1
    settings(s);
    QSettings(iniPath(), QSettings::IniFormat).setValue(QStringLiteral("Extras/AnzeigeEinheit"), QStringLiteral("0"));
    CallLog log;
    RecordingSheets sheets;
    Window w(iniPath(), dir.path(), sep, &log, {}, &sheets);
    MainHandlers& h = *w.handlers;
    MainWindowModel& m = w.m;
    RecordingPrompter& p = w.prompter;
    const QString file = dir.filePath(QStringLiteral("kessel.d20"));

    // A binding that offers an entry point has its library behind it, whoever unloaded last.
    auto libraryThere = [&](const char* step) {
        if (h.library().isBound(BusLibrary::Entry::GetUnit)) {
            EXPECT_TRUE(libraryMapped()) << step;
        }
    };
    auto readOk = [&](const char* step) {
        h.Konfigurationlesen1Click();
        EXPECT_TRUE(m.StatusBar1.panels[2].contains(QStringLiteral("Seriennummer")))
            << step << ": " << m.StatusBar1.panels[2].toStdString();
        libraryThere(step);
    };

    p.onModal = [&](ModalWindow& window) {
        const QByteArray kind = window.windowClass();
        if (kind == "Tf_ComPort") {
            auto& port = static_cast<ComPortWindow&>(window);
            port.cb_ComPortsChange(port.cb_ComPorts.items.indexOf(QStringLiteral("COM1")));
            port.b_ComPortAuswaehlenClick();
        } else if (kind == "Tf_DateiKommentar") {
            auto& comment = static_cast<CommentWindow&>(window);
            comment.Edit1Change(QStringLiteral("Kessel nach der Inbetriebnahme"));
            comment.Button1Click();
        } else if (kind == "TVergleich") {
            auto& compare = static_cast<CompareWindow&>(window);
            compare.b_GeraetClick();
            EXPECT_EQ(compare.l_Ergebnis.caption, QStringLiteral("Keine Unterschiede"));
            libraryThere("Mit Gerät vergleichen");
            p.openAnswers = {file};
            compare.b_DateiClick();
            EXPECT_EQ(compare.l_Ergebnis.caption, QStringLiteral("Keine Unterschiede"));
            libraryThere("Mit Datei vergleichen");
            compare.b_SchliessenClick();
        } else if (kind == "Tf_AdresseSetzen") {
            auto& tool = static_cast<AddressWindow&>(window);
            tool.b_InformationenClick();
            EXPECT_EQ(tool.StatusBar1.text, QStringLiteral("Informationen Einlesen erfolgreich."));
            libraryThere("Informationen Einlesen (Adresse)");
            tool.eAdresseEdited(QStringLiteral("7"));
            tool.b_AdresseSetzenClick();
            EXPECT_EQ(tool.StatusBar1.text, QStringLiteral("Adresse erfolgreich geändert"));
            EXPECT_EQ(tool.l_Adresse.caption, QStringLiteral("Adresse 7"));
            libraryThere("Adresse setzen");
            picture<AddressDialog>(tool, "walk-adresse-setzen");
            tool.FormClose();
        } else if (kind == "Tf_GeraeteNamenAendern") {
            auto& tool = static_cast<DeviceNameWindow&>(window);
            tool.b_InformationenClick();
            EXPECT_EQ(tool.StatusBar1.text, QStringLiteral("Informationen Einlesen erfolgreich."));
            libraryThere("Informationen Einlesen (Bezeichnung)");
            tool.Edit1Edited(QStringLiteral("Kessel 7"));
            tool.b_NamenAendernClick();
            EXPECT_EQ(tool.StatusBar1.text, QStringLiteral("Bezeichner erfolgreich geändert."));
            EXPECT_EQ(tool.l_GeraeteNamen.caption, QStringLiteral("Kessel 7"));
            libraryThere("Bezeichnung ändern");
            picture<DeviceNameDialog>(tool, "walk-bezeichnung-aendern");
            tool.FormClose();
        } else if (kind == "TSelectDeviceAddress") {
            auto& tool = static_cast<SelectAddressWindow&>(window);
            tool.te_SelectedDeviceAddressEdited(QStringLiteral("7"));
            tool.btn_CheckClick();
            EXPECT_TRUE(tool.btn_OK.enabled) << tool.StatusBar1.text.toStdString();
            picture<SelectAddressDialog>(tool, "walk-adresse-waehlen");
            tool.btn_OKClick();
        } else if (kind == "Ttf_Spezialkonfiguration") {
            static_cast<ExtendedWordsWindow&>(window).b_AbbrechenClick();
        } else if (kind == "TForm1") {
            static_cast<FlowCalculatorWindow&>(window).bDurchFlussMessungEinstellungAbbrechenClick();
        } else {
            ADD_FAILURE() << "unexpected window " << kind.toStdString();
        }
    };

    // "&Schnittstelle" and "&Wandler", ending with the port and converter of the instrument.
    h.SchnittstelleClick();
    EXPECT_EQ(m.mmSelectedComPort.caption, QStringLiteral("COM1"));
    h.Portauswahl1Click();
    EXPECT_EQ(m.comPort, 1);
    for (int i = 3; i >= 0; --i)
        h.MainMenueWandlerItemClick(i);
    EXPECT_EQ(m.converterCode, 6);

    // "&Typ": every model, then the instrument's; "&Konfiguration".
    for (const ModelEntry* e = catalogue::begin(); e != catalogue::end(); ++e)
        h.menuModelClick(QLatin1String(e->menuItem));
    h.menuModelClick(m.modelItem(s.model).name);
    h.Datenlesen1Click();
    readOk("Einlesen");
    p.saveAnswers = {file};
    h.miDatenspeichernClick();
    ASSERT_TRUE(QFile::exists(file));

    // The compare window reads with bindings of its own; then the file and the unit list.
    h.MainMenueExtras_VergleichenClick();
    p.openAnswers = {file};
    h.lesen1Click();
    EXPECT_TRUE(m.StatusBar1.panels[2].endsWith(QStringLiteral(" geladen"))) << m.StatusBar1.panels[2].toStdString();
    libraryThere("Datei laden");
    h.MainMenueExtrasAnzeigeeinheitClick();
    EXPECT_GE(m.cb_AnzeigeEinheit.items.size(), 20);
    h.MainMenueExtrasAnzeigeeinheitClick();
    h.miKonfigurationprogrammieren1Click();
    EXPECT_TRUE(m.StatusBar1.panels[2].endsWith(QStringLiteral(" Daten Senden war erfolgreich")))
        << m.StatusBar1.panels[2].toStdString();
    h.miRueckgaengigClick();
    h.miWiederholenClick();

    // The bus tools, then a readout at the address they gave the instrument.
    h.MainMenueExtrasAdresseSetzenClick();
    h.mmExtras_GeraeteNamenZuweisenClick();
    h.MainMenueExtras_SelectAddressClick();
    EXPECT_EQ(m.busAddress, 7);
    readOk("Einlesen an Adresse 7");

    // The rest of "&Extras", the sheet, "&Hilfe", and a last readout after the about box.
    h.MainMenueExtras_ErweiterteKonfigurationClick();
    h.MainMenueExtras_ErweiterteKonfigurationClick();
    h.b_erw_AnzeigenClick();
    h.MainMenueDurchflussMessungClick();
    h.MainMenueExtras_BusmonitorClick();
    EXPECT_NE(h.busMonitor(), nullptr);
    // The live value window polls through a binding of its own; a readout takes the bus from it.
    h.MainMenueExtras_MesswertAnzeigenClick();
    ASSERT_NE(h.liveValues(), nullptr);
    h.liveValues()->tick(0, QDateTime::currentDateTime());
    EXPECT_FALSE(h.liveValues()->failed()) << h.liveValues()->pollState().toStdString();
    readOk("Einlesen neben dem Messwertfenster");
    h.miKonfigurationsblattDruckenClick();
    p.saveAnswers = {dir.filePath(QStringLiteral("kessel.pdf"))};
    h.miKonfigurationsblattPdfClick();
    EXPECT_EQ(sheets.sheets.size(), 2);
    w.a().pm_MessbereichAnzeigenClick();
    h.MainMenueQMClick();
    h.MainMenueUeberClick();
    EXPECT_TRUE(p.shown.last().message.text.contains(QStringLiteral("DLL-Version: 01.70")))
        << p.shown.last().message.text.toStdString();
    h._mHilfe_KurzanleitungClick();
    readOk("Einlesen nach dem Info-Fenster");

    h.BeendenClick();
    EXPECT_TRUE(h.closeRequested());
    for (const QString& caption : p.captions())
        EXPECT_FALSE(caption.contains(QStringLiteral("fehler"), Qt::CaseInsensitive)) << caption.toStdString();
    EXPECT_EQ(p.modalWindows.join(QLatin1Char(' ')).toStdString(),
              "Tf_ComPort Tf_DateiKommentar TVergleich Tf_AdresseSetzen Tf_GeraeteNamenAendern "
              "TSelectDeviceAddress Ttf_Spezialkonfiguration TForm1");
}
