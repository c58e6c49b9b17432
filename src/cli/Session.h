#pragma once

#include "app/MainHandlers.h"
#include "app/SettingsStore.h"
#include "bus/CallLog.h"
#include "cli/CliPrompter.h"

#include <QTemporaryDir>

#include <memory>
#include <optional>

// What every command shares: where the library is, the port, and whose settings count.
struct CommonOptions {
    QString library;        // file of the bus library; empty: the window's lookup
    int16_t converter = -1; // -1: from the settings (private ones: the window's default)
    int16_t address = -1;   // -1: the address query, as the window does
    bool addressChosen = false; // the address stands, 0 included (an instrument of a line)
    std::optional<QChar> separator;
    bool useSettings = false;
    QString trace; // --trace: the program's own log of every library call
    bool yes = false; // --yes: the command's questions are answered with "Ja"
    QString reason;                     // --reason: why the instrument is programmed
    InstrumentRecord* record = nullptr; // where readouts and programming runs are recorded; null: nowhere
};

// One main window without a window: its model, its handlers and a prompter on
// stderr. Settings live in memory unless the user's are asked for, so a script
// never changes what the window finds at its next start.
class Session {
  public:
    // port 0: none (file commands); otherwise the port the window is told to use.
    // sheets: paints the configuration sheet (the `sheet` command); null for the others.
    Session(const CommonOptions& options, int16_t port, SheetPrinter* sheets = nullptr);
    ~Session();

    MainHandlers& handlers() { return *h; }
    MainWindowModel& model() { return m; }
    // The decimal separator the window's numbers are written with.
    QChar separator() { return h->separator(); }
    CliPrompter& prompter() { return p; }
    SettingsStore& settings() { return *store; }
    Clock& clockSeam() { return *clock; }
    // Started: the library loaded and its version accepted, as at the window's start.
    bool started() const { return !h->closeRequested(); }
    // Why the start failed, with the library files tried; empty when it did not.
    QString startFailure();

    // The user's click on a model of the "&Typ" menu.
    void chooseModel(const ModelEntry& model);
    // "&Einlesen"; returns the status of the run (negative: failed).
    int16_t readInstrument();
    // "&Programmieren"; returns the status of the run.
    int16_t programInstrument();
    // "Konfiguration &lesen" of a file; false when the file was not loaded. `echo`: the load
    // question with the file's header goes to stderr, as for a file the user named.
    bool loadFile(const QString& path, bool echo = true);
    // "Konfiguration &speichern" into a file ("-": stdout); false when it was not written.
    bool saveFile(const QString& path, const QString* comment);
    // "Konfigurationsblatt als &PDF…" into a file ("-": stdout); false when it was not written.
    bool saveSheet(const QString& path);
    // What the last load or save came to (its reason when it failed).
    const MainHandlers::FileOutcome& fileOutcome() const { return h->lastFileOutcome(); }

    // The status bar's message panel.
    QString panel() const { return m.StatusBar1.panels[2]; }
    LibraryFactory libraryFactory();
    // What the progress line says while the CLI works the bus on its own (empty: the status bar).
    void setProgressText(const QString& text) { progressText = text; }
    // A progress line the command keeps itself (the scan's), shown at once and without the
    // count of exchanges; only on a terminal.
    void showOwnProgress(const QString& text);
    // Takes the progress line off the terminal before a line of output.
    void clearProgress();

  private:
    void showProgress();
    // Port and converter values of the "Schnittstelle" group, as the port window stores them.
    void keep(const char* name, int16_t value);
    QString target(const QString& path, const char* suffix) const;
    bool handOver(const QString& path, const QString& written);

    CommonOptions opts;
    // Every library call of this run; --trace and the progress line listen to it.
    CallLog calls;
    bool traceHeard = false;
    bool progressHeard = false;
    int step = 0; // exchanges since the port was opened, shown on a terminal
    bool countSteps = true;
    QString shownProgress; // the progress line on the terminal now
    QString progressText;
    QString configFolder; // --use-settings: the window's configuration folder as the run found it
    mutable std::unique_ptr<QTemporaryDir> stdoutFolder; // -o -: the file is written here first
    CliPrompter p;
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<Clock> clock;
    MainWindowModel m;
    std::unique_ptr<MainHandlers> h;
    ConfigActions::Listening progressLine; // on a terminal: the status bar as it changes
};

// A model by its name as the "&Typ" menu shows it, blanks and case ignored
// ("TRK 520 PID", "trk520pid"); nullptr when no model has that name.
const ModelEntry* modelByName(const QString& name);
QString modelName(const ModelEntry& model);
// The separator a file is read in: --separator, else the one the file says it was written
// with, else none (the locale's).
std::optional<QChar> separatorOfFile(const CommonOptions& options, const QString& file);
