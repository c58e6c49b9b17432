#include "app/MainHandlers.h"

#include "app/ProgramVersion.h"

#include "app/ExtendedWordsWindow.h"
#include "app/SettingsStore.h"
#include "app/UndoSteps.h"
#include "bus/BusPort.h"
#include "config/ExtendedWords.h"
#include "tools/FlowCalculatorWindow.h"

#include <QDir>
#include <QFileInfo>

#include <array>

namespace {

const QString kProgramName = QStringLiteral("TRK/DVN Konfigurationsprogramm");

// Version as the about box shows it: four hexadecimal digits, 0x0162 gives "01.62".
QString aboutVersionText(uint16_t version) {
    QString text = QStringLiteral("%1").arg(version, 4, 16, QLatin1Char('0')).toUpper();
    text.insert(2, QLatin1Char('.'));
    return text;
}

} // namespace

// --- Detail window of the extended words -------------------------------------------------------

void MainHandlers::b_erw_AnzeigenClick() {
    actions.aNormaliseSpecialFunctionEntries();

    const std::array<TextField*, ExtendedWordsWindow::kWordCount> fields{
        &m.e_erw_Allgemein, &m.e_erw_Alarm, &m.e_erw_Schaltfunktion1, &m.e_erw_Schaltfunktion2};
    ExtendedWordsWindow window;
    for (int w = 0; w < ExtendedWordsWindow::kWordCount; ++w) {
        window.panels[w].word = static_cast<uint16_t>(extendedwords::wordValue(fields[w]->text).value_or(0));
        // Locked words are shown, not changed.
        window.panels[w].enabled = m.e_erw_Allgemein.enabled;
    }
    window.FormActivate();
    env.prompter->showModal(window);
    if (window.modalResult == ExtendedWordsWindow::Result::Ok) {
        for (int w = 0; w < ExtendedWordsWindow::kWordCount; ++w)
            fields[w]->text = QString::number(window.panels[w].word);
    }
    actions.aCheckSpecialFunctionValidity();
}

// --- Help menu ----------------------------------------------------------------------------------

void MainHandlers::MainMenueQMClick() {
    const QString text =
        kProgramName +
        QStringLiteral("\n\nKurz-Beschreibung:\nErmöglicht schnelle, einfache und komfortable "
                       "Geräte-Konfiguration,\nSpeichern von Geräte-Konfigurationen.\nEinlesen von "
                       "Geräte-Konfigurationen") +
        QStringLiteral("\n\nUnterstützt werden folgende Geräte:\nDVN20TB\nDVN500\nDVN500-XAO\nTRK520\nTRK520-"
                       "XAO010/1\nTRK520-XAO020/1\nTRK520 PID\nTRK520 PID - STA1\nTRK520 PID - STV1") +
        QStringLiteral("\n\nGeräteverbindung über Serielle Schnittstelle\nund einen der folgenden "
                       "Schnittstellen-Wandler:") +
        QStringLiteral("\nTBW1, TBW3, TBW64, TBW240\nTBW2\nTBW64E,universal Echo\nTB500, TB500MC");
    env.prompter->show(text, QStringLiteral("Über ") + kProgramName);
}

void MainHandlers::MainMenueUeberClick() {
    QString text = kProgramName + QStringLiteral(" Version: ") + programRelease() + QStringLiteral(" ");
    // Without the library its own message has been shown; the box still tells the program's version.
    bus::aDLLDynamischLaden(*bus, *env.prompter);
    const QString dllVersion = bus->isBound(BusLibrary::Entry::GetVersionNumber)
                                   ? aboutVersionText(bus->GetVersionNumber())
                                   : QStringLiteral("nicht verfügbar");
    text += QStringLiteral("\n\nDLL-Version: ") + dllVersion;
    bus::aDLLDynamischEntladen(*bus);
    env.prompter->show(text, QStringLiteral("Über ") + kProgramName);
}

void MainHandlers::_mHilfe_KurzanleitungClick() {
    QString folder;
    env.settings->readFolderSetting(folder, SettingsStore::kManual);
    const QString manual = m.extendedConfigUnlocked
                               ? QStringLiteral("OEM_Anleitung_Erweiterte_Konfiguration.html")
                               : QStringLiteral("OEM_Anleitung.html");
    // A relative folder counts from the program's folder, as the shell would take it.
    env.prompter->showDocument(QDir(env.currentDirectory).filePath(QDir(folder).filePath(manual)));
}

void MainHandlers::_mHilfe_HandbuchPdfClick() {
    QString folder;
    env.settings->readFolderSetting(folder, SettingsStore::kManual);
    const QString pdf = QDir(env.currentDirectory).filePath(QDir(folder).filePath(QStringLiteral("Handbuch.pdf")));
    // The help window shows HTML only; a PDF needs the system's viewer.
    if (QFileInfo(pdf).isFile() && env.prompter->openDocument(pdf)) return;
    env.prompter->show(QStringLiteral("Die Druckfassung „%1“ konnte nicht geöffnet werden.\nEs ist kein Programm zum "
                                      "Anzeigen von PDF-Dateien eingerichtet, oder die Datei fehlt.\nDieselbe Fassung als "
                                      "eine HTML-Seite: Handbuch_Gesamt.html im selben Ordner.")
                           .arg(QDir::toNativeSeparators(pdf)),
                       QStringLiteral("Fehler"), Prompter::Icon::Error);
}

// --- Flow calculator -------------------------------------------------------------------------------

void MainHandlers::MainMenueDurchflussMessungClick() {
    // The hand-over fills the window: one step.
    step(undosteps::kFlowCalculator, [this] {
        // The window readies the main window for a frequency input while it is open; left
        // without "Übernehmen", the main window is as it was before.
        const MainWindowModel before = m;
        FlowCalculatorWindow window(actions, *env.prompter, env.localeSeparator());
        window.FormCreate();
        env.prompter->showModal(window);
        if (!window.handedOver) m = before;
    });
}
