#pragma once

#include "bus/CallLog.h"
#include "config/Prompter.h"

#include <QChar>
#include <QString>
#include <QStringList>

#include <vector>

// The bus monitor: the program's call log as a table. It stays open beside the
// main window; the widget asks it for rows and cells and forwards each click.
class BusMonitorWindow {
  public:
    enum Column { Zeit, Aufruf, Adresse, Befehl, Parameter, Wert, Status, Text, ColumnCount };
    static QString columnTitle(int column);

    // `folder`: where "Speichern…" starts; `separator`: the locale's decimal separator.
    BusMonitorWindow(CallLog& log, Prompter& prompter, QString folder, QChar separator);

    // Takes in what the log holds now; false when nothing changed since the last time.
    bool refresh();
    int rowCount() const { return static_cast<int>(rows.size()); }
    QString cell(int row, int column) const;
    bool failed(int row) const { return call(row).failed; }
    // "1234 Aufrufe, 2 Fehler" for the window's foot.
    QString summary() const;

    bool shown = false;        // the window is open
    bool onlyFailures = false; // "nur Fehler"
    // The table keeps the newest row in sight until the user scrolls away from the end.
    bool follow = true;

    void show() { shown = true; }
    void FormClose() { shown = false; }
    void cbNurFehlerClick(bool checked);
    // The user moved the table's scroll bar; atEnd: it stands at the newest row.
    void scrolled(bool atEnd) { follow = atEnd; }
    void bLeerenClick();
    void bSpeichernClick();

    // The table as CSV for German spreadsheets: semicolons, CR LF, UTF-8 with a mark.
    QByteArray csv() const;

  private:
    const BusCall& call(int row) const { return log.at(rows[static_cast<size_t>(row)]); }

    CallLog& log;
    Prompter& prompter;
    QString folder;
    QChar separator;
    std::vector<int> rows; // log indexes of the shown rows
    quint64 lastSerial = 0;
    int failures = 0;
    bool filterTaken = false;
};
