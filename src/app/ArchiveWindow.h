#pragma once

#include "app/FieldList.h"
#include "config/Controls.h"
#include "config/Prompter.h"
#include "record/InstrumentRecord.h"

#include <optional>

class MainHandlers;

// "TGeraetearchiv": the "Gerätearchiv…" window. The instruments the record knows, by serial
// number; one instrument's history, newest first, with what each entry changed; two entries
// side by side in the compare window's listing; one entry into the main window or a d20 file.
//
// The lists hold what they show and no more: an entry's configuration is read from the record
// only when it is loaded, saved or compared.
class ArchiveWindow : public ModalWindow {
  public:
    ArchiveWindow(InstrumentRecord& record, MainHandlers& main);
    const char* windowClass() const override { return "TGeraetearchiv"; }

    enum InstrumentColumn { Seriennummer, Name, Typ, Zuletzt, Eintraege, InstrumentColumnCount };
    enum EntryColumn {
        Nr,
        Zeit,
        Ereignis,
        Benutzer,
        Geraetename,
        Aenderungen,
        Pruefung,
        Grund,
        EntryColumnCount
    };
    static QString instrumentTitle(int column);
    static QString entryTitle(int column);
    // The cells of one row of `instruments` and of `entries`, as the lists show them.
    QStringList instrumentCells(int row) const;
    QStringList entryCells(int row) const;

    // --- Controls ------------------------------------------------------------------------
    QString caption = QStringLiteral("Gerätearchiv");
    Label l_Archiv; // the record's file
    Label l_Leer;   // instead of the lists: nothing recorded yet, or why the record cannot be read
    TextField e_Filter;
    Label l_Verlauf;    // whose history the list shows
    Label l_Auswahl;    // what the listing below stands for
    Label l_Meldung;    // what the last save did
    Button b_Laden;     // "In das Fenster laden"
    Button b_Speichern; // "Als d20 speichern…"
    Button b_Schliessen;
    bool listsVisible() const { return !l_Leer.visible; }

    QList<RecordedInstrument> instruments; // those the filter lets through
    int instrument = -1;                   // the chosen one, in `instruments`
    QList<RecordEntry> entries;            // its history, newest first, without configurations
    QList<int> chosen;                     // rows of `entries`, in list order
    // The listing: one entry's changes against the entry before it, or two entries compared.
    QList<FieldDifference> rows;
    QString leftTitle, rightTitle;

    // --- Events ----------------------------------------------------------------------------
    void e_FilterChange(const QString& text);
    void instrumentClick(int row);
    void entriesChosen(const QList<int>& rows);
    void b_LadenClick();
    void b_SpeichernClick();
    void b_SchliessenClick() { closeRequested = true; }

    // Why an entry without a configuration can be neither loaded nor saved.
    static QString noConfiguration(const RecordEntry& entry);

  private:
    void showInstrument(int row);
    void showListing();
    // The one chosen entry with its configuration; the user is told when it is gone.
    std::optional<RecordEntry> chosenEntry();

    InstrumentRecord& record;
    MainHandlers& main;
    QList<RecordedInstrument> all;
};
