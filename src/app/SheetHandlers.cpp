#include "app/MainHandlers.h"

#include "app/CompareWindow.h"
#include "app/ConfigSheet.h"
#include "app/SettingsStore.h"
#include "app/SheetPrinter.h"
#include "files/FileWriter.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kPdfFilter = QStringLiteral("PDF-Dokument (*.pdf)");

} // namespace

// Right after a programming run, while the window shows what it programmed, the sheet is its
// acceptance record too.
void MainHandlers::addAcceptance(ConfigSheet& sheet) {
    bool knownBefore = false;
    if (const RecordEntry* run = programmingShown(&knownBefore)) sheet.acceptance = sheetAcceptance(*run, knownBefore);
}

// The sheet shows the window as it is; nothing of the configuration changes.
void MainHandlers::miKonfigurationsblattDruckenClick() {
    if (!env.sheets) return;
    ConfigSheet sheet = configSheet(m, env.now ? env.now() : QDateTime::currentDateTime(), actions.separator());
    addAcceptance(sheet);
    switch (env.sheets->print(sheet)) {
    case SheetPrinter::Printed::Done:
        m.StatusBar1.panels[2] = QStringLiteral("Konfigurationsblatt gedruckt");
        break;
    case SheetPrinter::Printed::Cancelled:
        m.StatusBar1.panels[2] =
            QStringLiteral("Konfigurationsblatt nicht gedruckt - Abbruch durch Benutzer");
        break;
    case SheetPrinter::Printed::Failed:
        env.prompter->show(QStringLiteral("Das Konfigurationsblatt konnte nicht gedruckt werden.\n"
                                          "Der Drucker hat den Auftrag nicht angenommen."),
                           QStringLiteral("Fehler"), Prompter::Icon::Error);
        m.StatusBar1.panels[2] = QStringLiteral("Konfigurationsblatt nicht gedruckt");
        break;
    }
    startStatusTimer();
}

void MainHandlers::miKonfigurationsblattPdfClick() {
    if (!env.sheets) return;
    const QString folder = env.settings->configFolder();
    const QString fileName = env.prompter->saveFileName(folder, kPdfFilter, QStringLiteral("pdf"));
    fileOutcome = {FileOutcome::Result::Cancelled, fileName, {}};
    if (fileName.isEmpty()) return;
    ConfigSheet sheet = configSheet(m, env.now ? env.now() : QDateTime::currentDateTime(), actions.separator());
    addAcceptance(sheet);
    const QByteArray pdf = env.sheets->pdf(sheet);
    // Through the program's one writer: a failed write leaves an older sheet of that name whole.
    const filewriter::Result written =
        pdf.isEmpty() ? filewriter::Result{false, QStringLiteral("Das Blatt konnte nicht gezeichnet werden.")}
                      : filewriter::replace(fileName, pdf);
    const QString name = QFileInfo(fileName).fileName();
    if (written.ok) {
        m.StatusBar1.panels[2] =
            QStringLiteral("Konfigurationsblatt: ") + name + QStringLiteral(" gespeichert");
        fileOutcome.result = FileOutcome::Result::Done;
    } else {
        fileOutcome = {FileOutcome::Result::Failed, fileName, written.reason};
        env.prompter->show(QStringLiteral("Das Konfigurationsblatt %1 konnte nicht gespeichert werden.\n%2")
                               .arg(QDir::toNativeSeparators(fileName), written.reason),
                           QStringLiteral("Fehler"), Prompter::Icon::Error);
        m.StatusBar1.panels[2] =
            QStringLiteral("Konfigurationsblatt: ") + name + QStringLiteral(" nicht gespeichert");
    }
    startStatusTimer();
}

// While the compare window is open its readout counts as a bus run of the window: the
// window repaints between the calls and starts nothing of its own.
void MainHandlers::MainMenueExtras_VergleichenClick() {
    CompareWindow window(m, env);
    // Reading the instrument counts its exchanges as a readout does.
    window.busProgress = [this](bool on) {
        if (on) {
            showProgress(QStringLiteral("Vergleich"));
        } else {
            hideProgress();
            // The main window renders again only when the compare window closes; its bar goes now.
            if (env.betweenCalls) env.betweenCalls();
        }
    };
    const BusBusy busy(running);
    env.prompter->showModal(window);
}
