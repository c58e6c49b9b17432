#pragma once

#include "app/FieldList.h"
#include "app/MainHandlers.h"
#include "config/Controls.h"
#include "config/Prompter.h"

// "Vergleichen" (`TVergleich`): the window's configuration against a d20 file or the attached
// instrument. The other side is read by a second set of the window's handlers into
// a copy of the window's model, so the window itself stays as it is; the fields
// that differ are listed as `trkdvn-cli diff` lists them.
class CompareWindow : public ModalWindow {
  public:
    CompareWindow(MainWindowModel& window, const MainEnvironment& env);
    const char* windowClass() const override { return "TVergleich"; }

    enum Column { Gruppe, Feld, Fenster, Vergleich, ColumnCount };
    QString columnTitle(int column) const;

    // --- Controls ------------------------------------------------------------------------
    QString caption = QStringLiteral("Vergleichen");
    Button b_Datei;  // "Mit &Datei vergleichen…"
    Button b_Geraet; // "Mit &Gerät vergleichen"
    Button b_Schliessen;
    Label l_Quelle;   // what the window was compared with
    Label l_Ergebnis; // "Keine Unterschiede", "3 Unterschiede", or why nothing was compared
    QList<FieldDifference> rows;

    // --- Events ----------------------------------------------------------------------------
    void b_DateiClick();
    void b_GeraetClick();
    void b_SchliessenClick() { closeRequested = true; }

    // Whether the last compare read its other side; false before the first one.
    bool compared() const { return done; }

    // --- While the instrument is read ------------------------------------------------------
    // Shows and hides the main window's progress bar around the readout; may stay unset.
    std::function<void(bool on)> busProgress;
    // The progress the readout has made; shown while `progress().visible`.
    const MainWindowModel::BusProgress& progress() const { return window.pbBusRun; }
    // Lets the widget show the window at once: the readout blocks it until it ends.
    std::function<void()> repaint;

  private:
    enum class Side { File, Instrument };
    void compareWith(Side side, const QString& fileName = {});

    MainWindowModel& window;
    MainEnvironment env;
    QString otherTitle = QStringLiteral("Vergleich");
    bool done = false;
};
