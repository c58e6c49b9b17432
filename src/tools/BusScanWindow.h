#pragma once

// "TBusDurchsuchen": the "Bus durchsuchen…" window. Polls an address range of the main
// window's port, lists every instrument as it answers, and from a row moves the instrument
// to another address, renames it, or hands it to the main window for a readout.

#include "bus/BusScan.h"
#include "config/Clock.h"
#include "config/ModelCatalogue.h"
#include "tools/BusToolWindow.h"

#include <QByteArray>
#include <QStringList>

#include <functional>
#include <optional>

class BusScanWindow : public BusToolWindow {
  public:
    enum Column { Adresse, Seriennummer, Typ, Firmware, Bezeichnung, ColumnCount };
    static QString columnTitle(int column);
    // The scan entry points and the name command.
    static QList<BusLibrary::Entry> entries();

    // `folder`: where "Exportieren…" starts; `separator`: the decimal separator of the firmware.
    BusScanWindow(std::unique_ptr<BusLibrary> library, Prompter& prompter, Clock& clock, QString folder,
                  QChar separator);
    const char* windowClass() const override { return "TBusDurchsuchen"; }

    // --- Set by the creator before showing -----------------------------------------------------
    // Addresses polled first (those of an open line plan); may stay empty.
    QList<int16_t> known;
    // Told of an "Einlesen" request; the window closes after it either way.
    struct ReadRequest {
        int16_t address = 0;
        ModelId model = ModelId::DVN20TB;
    };
    std::function<void(const ReadRequest&)> onRead;
    // Lets the widget paint and take clicks (on "Abbrechen") while the scan runs.
    std::function<void()> repaint;
    // Prints the table (the print dialog first); unset: "Drucken…" stays disabled.
    enum class Printed { Done, Cancelled, Failed };
    std::function<Printed()> print;

    // --- Controls ----------------------------------------------------------------------------
    Label l_Port; // "Port 10"
    HintEdit eVon;
    HintEdit eBis;
    HintButton b_Durchsuchen;
    HintButton b_Abbrechen;
    HintButton b_AdresseAendern;
    HintButton b_BezeichnungAendern;
    HintButton b_Einlesen;
    HintButton b_Exportieren;
    HintButton b_Drucken;
    HintButton b_Schliessen;

    QList<bus::ScanRow> rows; // in the order they answered
    int selectedRow = -1;
    bool scanning = false;
    bus::ScanProgress progress; // of the running or last scan
    // "12 von 240 Adressen, noch etwa 23 s"; empty before the first scan.
    QString progressText() const;
    QString cell(int row, int column) const;
    // The request of the last "Einlesen"; unset before.
    std::optional<ReadRequest> readRequest;

    // Texts the widget asks with before the row actions.
    QString addressQuestion() const;
    QString nameQuestion() const;
    QString selectedName() const;

    // --- Events ------------------------------------------------------------------------------
    void FormShow(); // port caption, buttons
    void rowSelected(int row);
    void eVonEdited(const QString& text) { eVon.text = text; }
    void eBisEdited(const QString& text) { eBis.text = text; }
    void b_DurchsuchenClick();
    void b_AbbrechenClick(); // stops a running scan; what was found stays
    // The widget asked the user; the text is what was entered.
    void b_AdresseAendernClick(const QString& entered);
    void b_BezeichnungAendernClick(const QString& entered);
    void b_EinlesenClick();
    void b_ExportierenClick();
    void b_DruckenClick();
    void b_SchliessenClick();
    // Closing the window by its frame: a running scan is stopped first.
    bool FormCloseQuery();

    // The table as the user sees it: the column titles, then one line per row.
    QList<QStringList> table() const;
    // The table as CSV.
    QByteArray csv() const;

  private:
    const bus::ScanRow* selected() const;
    // Loads the binding and opens the port; false (with the message shown) when it fails.
    bool openBus();
    // Polls `address` once more: the row there is replaced, added or dropped.
    void reread(int16_t address, int keepAt);
    // The selected instrument still answers at its address with its identity word.
    bool stillThere(const bus::ScanRow& row);
    void updateButtons();

    Clock& clock;
    QString folder;
    QChar separator;
    bool cancelRequested = false;
};
