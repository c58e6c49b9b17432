#include "app/ComPortWindow.h"
#include "app/MainHandlers.h"
#include "app/SettingsStore.h"
#include "bus/CallLog.h"
#include "bus/LibraryBinding.h"
#include "bus/LoggingLibrary.h"
#include "ui/ComPortDialog.h"
#include "ui/CommentDialog.h"
#include "ui/HelpDialogs.h"
#include "ui/ProgramFonts.h"
#include "ui/ToolDialogs.h"
#include "ui/QtPrompter.h"
#include "ui/TMain.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QThread>
#include <QTranslator>
#include <QLibraryInfo>

#include <cstdio>
#include <cstdlib>

namespace {

class SystemClock : public Clock {
public:
    void sleep(int milliseconds) override { QThread::msleep(static_cast<unsigned long>(milliseconds)); }
};

bool haveDisplay() {
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return true;
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char** argv) {
    if (!haveDisplay()) {
        std::fprintf(stderr, "Keine Anzeige gefunden (DISPLAY ist nicht gesetzt).\n"
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
    // As on the original platform, the program works in its own folder
    // (manuals, "Konfigurationen").
    QDir::setCurrent(QCoreApplication::applicationDirPath());

    QtPrompter prompter;
    prompter.registerWindow(QStringLiteral("Tf_ComPort"), [](ModalWindow& w, QWidget* parent) {
        ComPortDialog dialog(static_cast<ComPortWindow&>(w), parent);
        dialog.exec();
    });
    registerFileDialogs(prompter);
    registerHelpDialogs(prompter);
    registerToolDialogs(prompter);
    SettingsStore settings(SettingsStore::defaultPath(), prompter);
    SystemClock clock;

    MainEnvironment env;
    env.prompter = &prompter;
    env.settings = &settings;
    env.clock = &clock;
    // Every binding of the program writes into one log, which the bus monitor shows.
    CallLog callLog;
    env.callLog = &callLog;
    env.makeLibrary = [&callLog](const QList<BusLibrary::Entry>& entries) -> std::unique_ptr<BusLibrary> {
        return std::make_unique<LoggingLibrary>(
            std::make_unique<LibraryBinding>(LibraryBinding::defaultFolders(), entries), callLog);
    };
    TMain* shownWindow = nullptr;
    env.betweenCalls = [&shownWindow] {
        if (shownWindow) shownWindow->betweenCalls();
    };
    env.localeSeparator = [] {
        const QString point = QLocale::system().decimalPoint();
        return point.isEmpty() ? QLatin1Char('.') : point.at(0);
    };
    env.currentDirectory = QDir::currentPath();

    MainWindowModel model;
    MainHandlers handlers(model, env);
    TMain window(handlers, prompter);
    shownWindow = &window;
    window.show();
    return app.exec();
}
