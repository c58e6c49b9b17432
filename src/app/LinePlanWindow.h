#pragma once

// "TAnlage": the whole line of one port against its plan. Opens a plan or makes one from a scan,
// checks every instrument against its d20 file, programs the ones that differ and takes a new
// instrument over in place of a planned one that is gone. Every instrument is read and
// programmed by the main window's own sequences, run by handlers of their own on copies of the
// window's model: the main window's configuration stays as the user left it.

#include "app/LineCheck.h"
#include "app/MainHandlers.h"
#include "config/Controls.h"
#include "config/Prompter.h"
#include "files/LinePlan.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

class LinePlanWindow : public ModalWindow {
  public:
    LinePlanWindow(const MainWindowModel& window, const MainEnvironment& env);
    ~LinePlanWindow() override;
    const char* windowClass() const override { return "TAnlage"; }

    enum Column { Adresse, Plan, Geraet, Bezeichnung, Ergebnis, ColumnCount };
    static QString columnTitle(int column);
    // How a row is painted: green where all is as planned, yellow where fields differ, red
    // where the instrument is not the planned one or cannot be worked on.
    enum class Tone { Neutral, Good, Differs, Bad };

    // --- Controls ------------------------------------------------------------------------
    QString caption = QStringLiteral("Anlage");
    Label l_Plan; // the plan's file, port and size; "Kein Anlagenplan geöffnet"
    Button b_PlanOeffnen;
    Button b_PlanAnlegen;
    Button b_Pruefen;
    Button b_Programmieren;
    Button b_Ersatz; // "Als Ersatz für <name> übernehmen" for the selected row
    Button b_Abbrechen;
    Button b_Schliessen;
    Label l_Status;

    // Lets the widget paint and take the click on "Abbrechen" while a run works the bus.
    std::function<void()> repaint;

    // --- What the window shows -----------------------------------------------------------
    struct Line {
        int16_t address = 0;
        QString planned; // the plan's serial number
        QString serial;  // the serial number that answered
        QString name;
        QString result;
        Tone tone = Tone::Neutral;
        QList<FieldDifference> differences; // file first, instrument second
        int checkRow = -1;                  // the row of the last check it shows; -1: none
    };
    QList<Line> lines;
    int selectedRow = -1;
    bool running = false;
    // The bar over the scan's addresses; the text also names the instrument being worked on.
    int progressDone = 0;
    int progressTotal = 0;
    QString progressText;

    std::optional<LinePlan> plan;
    QString planPath;
    QString cell(int row, int column) const;
    // The differing fields of the selected row, file against instrument; empty if none.
    QString details() const;

    // --- Events --------------------------------------------------------------------------
    void FormShow();
    void rowSelected(int row);
    void b_PlanOeffnenClick();
    // Reads the plan at `path`; false (with the reason shown) when it cannot be used.
    bool openPlan(const QString& path);
    void b_PlanAnlegenClick();
    void b_PruefenClick();
    void b_ProgrammierenClick();
    void b_ErsatzClick();
    void b_AbbrechenClick();
    void b_SchliessenClick();
    // Closing by the frame while a run works: asks, with "Nach diesem Gerät abbrechen" as the
    // default; the window then closes once the instrument in hand is finished.
    bool FormCloseQuery();
    // The run finishes the instrument in hand, begins no further one, and the window closes.
    void stopAfterInstrument();

    // The run was stopped by "Abbrechen"; status of the library calls refused since.
    static constexpr int16_t kCancelled = -32000;
    bool cancelRequested() const { return cancelling; }
    // Called by the runs between their steps.
    void showProgress(int done, int total, const QString& text);

  private:
    friend class LineRun;
    void showCheck();
    void showProgramming(const line::ProgramResult& result);
    void updateButtons();
    void writePlan();

    MainWindowModel window; // the main window's model as the line window was opened
    MainEnvironment env;
    line::CheckResult lastCheck;
    bool checked = false; // `lastCheck` belongs to the plan as it is now
    bool cancelling = false;
    bool closeAfterRun = false;
};

// Asked when a window is closed while a run works the bus: "Nach diesem Gerät abbrechen" (the
// default, true) or "Weiterarbeiten".
bool askStopAfterInstrument(Prompter& prompter, const QString& caption, const QString& text);
