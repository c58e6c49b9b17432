#pragma once

#include "bus/BusGuard.h"
#include "bus/BusLibrary.h"
#include "config/Clock.h"
#include "config/ConfigActions.h"
#include "config/MainWindowModel.h"
#include "config/Prompter.h"
#include "config/UndoHistory.h"
#include "files/D20Reader.h"
#include "record/InstrumentRecord.h"

#include <QDateTime>
#include <QHash>

#include <functional>
#include <memory>

class BusMonitorWindow;
class LinePlanWindow;
class LiveValueSession;
class SheetPrinter;
struct BusCall;
class CallLog;
struct ConfigSheet;
class SettingsStore;
struct FieldDifference;
struct InstrumentChange;
struct ShownField;

// Creates a binding of the bus library that resolves the given entry points.
using LibraryFactory = std::function<std::unique_ptr<BusLibrary>(const QList<BusLibrary::Entry>&)>;

// Everything the main window's handlers need from outside.
struct MainEnvironment {
    Prompter* prompter = nullptr;
    SettingsStore* settings = nullptr;
    Clock* clock = nullptr;
    LibraryFactory makeLibrary;
    // First character of the locale's decimal separator.
    std::function<QChar()> localeSeparator;
    QString currentDirectory;
    // Folder of the manuals; empty means "Manual" below the current directory.
    QString manualFolder;
    // The program's log of library calls (the bus monitor shows it); null: no monitor.
    CallLog* callLog = nullptr;
    // Called after every library call: the window repaints and lets its timers run,
    // holding back user input until the run ends.
    std::function<void()> betweenCalls;
    // Paints the configuration sheet; null: the sheet's menu items stay hidden.
    SheetPrinter* sheets = nullptr;
    // The date and time the sheet is printed at; unset: the system clock.
    std::function<QDateTime()> now;
    // Where every readout, programming, address and name change is recorded; null: nowhere.
    InstrumentRecord* record = nullptr;
};

// The main window `TMain`'s handlers as plain methods. The widget layer and the
// command line call one of these per event; the window then renders the model again.
class MainHandlers {
public:
    MainHandlers(MainWindowModel& model, MainEnvironment env);
    ~MainHandlers();

    MainWindowModel& model() { return m; }
    // What the handlers were given; a compare reads with the same library, settings and prompter.
    const MainEnvironment& environment() const { return env; }
    // The rules behind the handlers, for the application's own windows and for tests that
    // drive one rule; the window and the command line call the handlers.
    ConfigActions& config() { return actions; }
    BusLibrary& library() { return *bus; }

    // Shows the status bar at once, also in the middle of a blocking bus run, for as long
    // as the returned handle is kept.
    [[nodiscard]] ConfigActions::Listening onStatusBarRepaint(std::function<void()> repaint) {
        return actions.onStatusBarRepaint(std::move(repaint));
    }
    // The decimal separator the window's numbers are written with.
    QChar separator() { return actions.separator(); }

    // --- Start-up and shutdown (StartupHandlers.cpp) ------------------------------------------
    // Runs the start-up sequence on the first activation only.
    void FormActivate();
    void FormClose();
    void BeendenClick();
    // Closing while a run works the bus: asks, with "Nach diesem Gerät abbrechen" as the default;
    // the program then ends once the instrument in hand is finished. True when it may close now.
    bool FormCloseQuery();
    // True once the main window was asked to close (by a handler or the user).
    bool closeRequested() const { return closing; }
    void t_StatusLeisteTimer();
    // Enables the status bar restore; a running timer is not restarted.
    void startStatusTimer();

    // --- Settings (StartupHandlers.cpp) ---------------------------------------------------------
    void aReadAllKeysFromRegistry();
    void aCheckAfterReadFromRegistry();
    void aWriteAllKeysToRegistry();

    // --- Port and converter (PortHandlers.cpp) --------------------------------------------------
    void SchnittstelleClick();
    void Portauswahl1Click();
    void MainMenueWandlerItemClick(int index); // items 0 to 3

    // --- Readout and programming (BusRunHandlers.cpp) -------------------------------------------
    void Konfigurationlesen1Click();           // "&Einlesen"
    void miKonfigurationprogrammieren1Click(); // "&Programmieren"
    // Status of the last readout or programming (negative: it failed), for callers
    // that act on the outcome rather than on the status bar.
    int16_t lastBusStatus() const { return busStatus; }
    // "Nach dem Programmieren prüfen": switches the read-back after programming on and off.
    void miPruefenNachProgrammierenClick();
    // What reading back after the last programming found.
    struct Verification {
        bool done = false; // read back and compared
        QString failure;   // why it could not be read back (empty: it was)
        QList<FieldDifference> differences; // complete in app/FieldList.h
        QByteArray held;   // what the instrument holds, as a d20 file of it
        QList<ShownField> heldFields;
    };
    const Verification& lastVerification() const { return verification; }
    // The entry of the last programming run while the window still shows what it programmed
    // (another readout, an address or name change or any edit since: null). `knownBefore`: the
    // record knew the instrument's configuration before that run.
    const RecordEntry* programmingShown(bool* knownBefore = nullptr);
    // A programming entry of the record taken as the window's last run, for its sheet.
    void showProgramming(const RecordEntry& entry, bool knownBefore);
    // After a readout: a programming run of this instrument that never ended whole is named,
    // and the user may program its target again or bring back the state before it; each goes
    // through the usual question and read-back.
    void offerUnsettled();

    // --- Configuration files (FileHandlers.cpp) --------------------------------------------
    void miDatenspeichernClick(); // "Konfiguration &speichern"
    void lesen1Click();           // "Konfiguration &lesen"
    // What the last file action (load, save, sheet as PDF) came to, for callers that act on
    // the outcome rather than on the status bar.
    struct FileOutcome {
        enum class Result { None, Done, Cancelled, Failed };
        Result result = Result::None;
        QString fileName;
        QString reason; // Failed: why, as the user was told
        bool done() const { return result == Result::Done; }
    };
    const FileOutcome& lastFileOutcome() const { return fileOutcome; }

    // --- Configuration sheet and compare (SheetHandlers.cpp) ------------------------------------
    void miKonfigurationsblattDruckenClick(); // "Konfigurationsblatt &drucken…"
    void miKonfigurationsblattPdfClick();     // "Konfigurationsblatt als &PDF…"
    void MainMenueExtras_VergleichenClick();  // "&Vergleichen…"

    // --- Bus tools (ToolHandlers.cpp) --------------------------------------------------------
    void MainMenueExtrasAdresseSetzenClick();
    void mmExtras_GeraeteNamenZuweisenClick();
    void MainMenueExtras_SelectAddressClick();

    // --- Bus scan (BusScanHandlers.cpp) -------------------------------------------------------
    // "Bus durchsuchen…": every instrument on the port, with its address, name and readout.
    void MainMenueExtras_BusDurchsuchenClick();
    // "Anlage prüfen und programmieren…": the whole line against its plan (LineHandlers.cpp).
    void MainMenueExtras_AnlageClick();

    // --- The instrument record's window (ArchiveHandlers.cpp) ----------------------------------
    // "Gerätearchiv…": the recorded instruments, their histories, an entry into the window or a file.
    void MainMenueExtras_GeraetearchivClick();
    // A recorded configuration into the window as one step, read as a d20 file is (FileHandlers.cpp);
    // false when it could not be read (the user was told why).
    bool loadRecorded(const RecordEntry& entry);
    // The fields a recorded configuration shows, numbers in the window's separator (RecordHandlers.cpp).
    QList<ShownField> recordedFields(const QByteArray& d20);

    // "&Busmonitor": opens the monitor beside the main window, or brings it back.
    void MainMenueExtras_BusmonitorClick();
    // The monitor once opened; null before (or without a call log).
    BusMonitorWindow* busMonitor() { return monitor.get(); }
    // True while a readout, programming or tool runs the bus: nothing else may start.
    bool busRunning() const { return running; }

    // --- Live value window (LiveValueHandlers.cpp) -------------------------------------------
    // "Messwert anzeigen…": opens the live value window beside the main window, or brings it back
    // with the configuration the main window shows now.
    void MainMenueExtras_MesswertAnzeigenClick();
    // The live value window once opened; null before.
    LiveValueSession* liveValues() { return live.get(); }

    // --- Detail window, help and flow calculator (HelpHandlers.cpp) ----------------------------
    void b_erw_AnzeigenClick();
    void MainMenueQMClick();
    void MainMenueUeberClick();
    void _mHilfe_KurzanleitungClick();
    void _mHilfe_HandbuchPdfClick(); // the printable edition in the system's PDF viewer
    void MainMenueDurchflussMessungClick();

    // --- Undo and redo (UndoHandlers.cpp) ------------------------------------------------------
    void miRueckgaengigClick(); // "Rückgängig"
    void miWiederholenClick();  // "Wiederholen"
    // The window calls this after each event: what the event changed in the configuration
    // becomes one step ("Eingabe"), so typing counts once the field is left.
    void commitEdits();
    // The menu handlers below are steps of their own kind.
    void Datenlesen1Click(); // "&Neu"
    void menuModelClick(const QString& menuItemName);
    void MainMenueExtrasAnzeigeeinheitClick();
    void MainMenueExtras_ErweiterteKonfigurationClick();
    const UndoHistory& undoHistory() const { return history; }

    // --- Extended configuration (ExtendedUnlockHandlers.cpp) ------------------------------------
    // Key press in `cbLimit`; returns true when the key is swallowed (the hidden unlock).
    bool cbLimitKeyPress(QChar key);

    // --- Fields and groups: the rules as they are -----------------------------------------------
    // What these change becomes a step when the window commits the event's edits.
    void radioItemClick(RadioGroup& group, int index) { actions.radioItemClick(group, index); }
    void cpAnzeigeDpChange() { actions.cpAnzeigeDpChange(); }
    void numericFieldExit() { actions.numericFieldExit(); }
    void numericFieldEnter() { actions.numericFieldEnter(); }
    bool teFilterKeyPress(QChar key) { return actions.teFilterKeyPress(key); }
    void teFilterExit() { actions.teFilterExit(); }
    void pm_MessbereichAnzeigenClick() { actions.pm_MessbereichAnzeigenClick(); }
    bool e_erw_AllgemeinKeyPress(QChar key) { return actions.e_erw_AllgemeinKeyPress(key); }
    bool e_erw_AlarmKeyPress(QChar key) { return actions.e_erw_AlarmKeyPress(key); }
    bool e_erw_Schaltfunktion1KeyPress(QChar key) { return actions.e_erw_Schaltfunktion1KeyPress(key); }
    bool e_erw_Schaltfunktion2KeyPress(QChar key) { return actions.e_erw_Schaltfunktion2KeyPress(key); }
    void e_erw_AllgemeinExit() { actions.e_erw_AllgemeinExit(); }
    void e_erw_AlarmExit() { actions.e_erw_AlarmExit(); }
    void e_erw_Schaltfunktion1Exit() { actions.e_erw_Schaltfunktion1Exit(); }
    void e_erw_Schaltfunktion2Exit() { actions.e_erw_Schaltfunktion2Exit(); }

    // Library version as shown in the status bar: 0x0162 gives "1.62".
    static QString versionText(uint16_t version);

private:
    // While a window of its own works the bus (a tool, the compare window), the main window
    // starts nothing and repaints between the calls, as during a readout.
    struct BusBusy {
        explicit BusBusy(BusGuard& flag) : running(flag) { running = true; }
        ~BusBusy() { running = false; }
        BusGuard& running;
    };

    void closeMainWindow();
    // --- The instrument record (RecordHandlers.cpp) ---
    // Appends what the window shows of the instrument now as one entry; a failed write is told
    // in the status bar (the record shows its own box once).
    void recordEvent(RecordEntry::Event event, const QString& verificationText = {});
    // An address or name a tool window gave an instrument: one entry, the rest of it as the
    // instrument's previous entry has it.
    void recordChange(const InstrumentChange& change);
    // The instrument's newest entry that holds a configuration: its last known state.
    std::optional<RecordEntry> knownState(const QString& serial);
    // The journal entry of a programming run, written before its first write; 0 without one.
    qint64 beginJournal();
    // The name the instrument reports: the readout's when it asked, else asked now (empty when
    // it keeps none or does not answer).
    QString instrumentName();
    // The window's configuration as a d20 file, for the record.
    QByteArray recordedBytes(const MainWindowModel& model);
    void addAcceptance(ConfigSheet& sheet);
    // Before the first write: what the window changes against the instrument's last known state,
    // and the user's "Programmieren?". `readFrom`: the identity the window was read from (0: none).
    bool confirmProgramming(int32_t readFrom);
    bool askDifferences(int32_t readFrom);
    // After the last write: reads the instrument back into a copy of the window and compares.
    void verifyProgramming();
    // Shows the progress bar for a run of the given kind; the last run of that kind with
    // the same model tells how many exchanges to expect.
    void beginBusRun(const QString& kind);
    // Programming that stops before the port opens: `field` has no selection.
    void refuseProgramming(const QString& field);
    void endBusRun();
    // The progress bar alone, for a run that a window of its own makes.
    void showProgress(const QString& kind);
    void hideProgress();
    void heard(const BusCall& call);
    // True when the user chose a port (and it was stored).
    bool showPortWindow();
    ConfigEnvironment configEnvironment();
    // Reads a d20 file's data part into the window and settles its panels; `read` learns the
    // result before the window is settled, the moment a file load tells the user.
    D20Reader::Result readConfiguration(class WordReader& words, const QByteArray& fileBytes,
                                        const std::function<void(D20Reader::Result)>& read);
    // Makes what the action changed one step of the given kind; edits made before count
    // as a step of their own.
    void step(const QString& kind, const std::function<void()>& action);
    void recordStep(const QString& kind);
    void undoOrRedo(bool undo);
    void updateUndoItems();

    MainWindowModel& m;
    MainEnvironment env;
    ConfigActions actions;
    std::unique_ptr<BusLibrary> bus;
    bool started = false;
    bool closing = false;
    bool settingsWritten = false;
    int16_t busStatus = 0;
    FileOutcome fileOutcome;
    // Set while a run or a tool has the bus; the live value window polls only while it is free.
    BusGuard running;
    QString runKind;
    QHash<QString, int> exchangesOf; // per run kind and model: exchanges of the last run
    std::unique_ptr<BusMonitorWindow> monitor;
    std::unique_ptr<LiveValueSession> live;
    UndoHistory history;
    Verification verification;
    QString programmingNote; // added to the status bar after programming
    QString reason;          // "Grund der Änderung": offered again for the rest of the session
    std::optional<RecordEntry> programmed; // the last programming run, see programmingShown
    bool programmedKnown = false;
    QList<int16_t> linePlanAddresses; // of the plan the line window last had open: scanned first
    LinePlanWindow* openLine = nullptr; // the line window while it is open
    bool quitAfterRun = false; // the user closed the program during a run
    bool lossAccepted = false; // the user chose to quit with entries the archive did not take
    // Closing with entries the archive could not take: asks (again, quit anyway, stay). True when
    // the program may close.
    bool unwrittenMayBeLost();
    // Closes the program when the user asked to during the run that just ended.
    void endOfRun();
};
