#include "app/ComPortWindow.h"
#include "app/MainHandlers.h"
#include "app/ProgramPaths.h"
#include "app/ProgramVersion.h"
#include "app/SettingsStore.h"
#include "bus/CallLog.h"
#include "bus/LibraryBinding.h"
#include "bus/LoggingLibrary.h"
#include "ui/ComPortDialog.h"
#include "ui/CommentDialog.h"
#include "ui/ArchiveDialog.h"
#include "ui/CompareDialog.h"
#include "ui/HelpDialog.h"
#include "ui/HelpDialogs.h"
#include "ui/MainWindow.h"
#include "ui/ProgramFonts.h"
#include "ui/QtPrompter.h"
#include "ui/SheetPainter.h"
#include "ui/ToolDialogs.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QThread>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

class SystemClock : public Clock {
  public:
    void sleep(int milliseconds) override { QThread::msleep(static_cast<unsigned long>(milliseconds)); }
};

bool haveDisplay() {
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return true;
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

const char* const kHelp = "Aufruf: trkdvn [Optionen]\n\n"
                          "TRK/DVN Konfigurationsprogramm: liest, ändert und programmiert die Konfiguration\n"
                          "der Anzeigen und Regler am Traxbus und speichert sie in d20-Dateien.\n\n"
                          "Optionen:\n"
                          "  -h, --help     diese Hilfe anzeigen\n"
                          "  -v, --version  Version anzeigen\n\n"
                          "Optionen von Qt (z. B. -platform offscreen) werden weitergereicht.\n"
                          "Ohne Bildschirm starten mit: xvfb-run -a trkdvn\n"
                          "Ohne Fenster: trkdvn-cli --help\n";

// Answered before any display is needed, so both work on a plain terminal.
bool answeredFromCommandLine(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            std::fputs(kHelp, stdout);
            return true;
        }
        if (!std::strcmp(argv[i], "--version") || !std::strcmp(argv[i], "-v")) {
            std::fputs(programVersionLine(QStringLiteral("trkdvn")).toLocal8Bit().constData(), stdout);
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (answeredFromCommandLine(argc, argv)) return 0;
    if (!haveDisplay()) {
        std::fprintf(stderr,
                     "Keine Anzeige gefunden (DISPLAY ist nicht gesetzt).\n"
                     "Das Programm braucht eine grafische Oberfläche. Ohne Bildschirm starten mit:\n"
                     "  xvfb-run -a %s\n",
                     argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Konfigurationsprogramm"));
    // The toolkit's own texts (file dialogs, context menus) in German, like the program's.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    programfonts::applyToApplication();
    // As on the original platform, the program works in its own folder (manuals,
    // "Konfigurationen"); installed, it works in the user's folder instead.
    const ProgramPaths paths = ProgramPaths::forApplication();
    paths.makeUserFolders();
    QDir::setCurrent(paths.workingFolder());

    QtPrompter prompter;
    prompter.registerWindow(QStringLiteral("Tf_ComPort"), [](ModalWindow& w, QWidget* parent) {
        ComPortDialog dialog(static_cast<ComPortWindow&>(w), parent);
        dialog.exec();
    });
    registerFileDialogs(prompter);
    registerHelpDialogs(prompter);
    registerHelpWindow(prompter);
    registerToolDialogs(prompter);
    registerCompareDialog(prompter);
    registerArchiveDialog(prompter);
    SettingsStore settings(SettingsStore::defaultPath(), prompter);
    if (!paths.usesProgramFolder()) settings.setManualFolder(paths.manualFolder());
    SystemClock clock;

    MainEnvironment env;
    env.prompter = &prompter;
    env.settings = &settings;
    env.clock = &clock;
    // Every binding of the program writes into one log, which the bus monitor shows.
    CallLog callLog;
    env.callLog = &callLog;
    env.makeLibrary = [&callLog, folders = paths.libraryFolders()](
                          const QList<BusLibrary::Entry>& entries) -> std::unique_ptr<BusLibrary> {
        return std::make_unique<LoggingLibrary>(std::make_unique<LibraryBinding>(folders, entries), callLog);
    };
    MainWindow* shownWindow = nullptr;
    QtSheetPrinter sheets([&shownWindow] { return shownWindow ? shownWindow->picture() : QImage(); });
    env.sheets = &sheets;
    env.betweenCalls = [&shownWindow] {
        if (shownWindow) shownWindow->betweenCalls();
    };
    env.localeSeparator = [] {
        const QString point = QLocale::system().decimalPoint();
        return point.isEmpty() ? QLatin1Char('.') : point.at(0);
    };
    env.currentDirectory = QDir::currentPath();
    if (!paths.usesProgramFolder()) env.manualFolder = paths.manualFolder();
    // The instrument record the command line shares; what goes wrong with it is told once
    // per run of failures and the work goes on.
    QString recordFile = qEnvironmentVariable("TRKDVN_ARCHIVE");
    if (recordFile.isEmpty()) recordFile = ProgramPaths::recordFile();
    InstrumentRecord record(recordFile, [&prompter](const QString& text) {
        prompter.show(text, QStringLiteral("Gerätearchiv"), Prompter::Icon::Warning);
    });
    env.record = &record;

    MainWindowModel model;
    MainHandlers handlers(model, env);
    MainWindow window(handlers, prompter);
    shownWindow = &window;
    sheets.setParent(&window);
    window.show();
    return app.exec();
}
