#pragma once

#include "bus/CallLog.h"
#include "config/Prompter.h"

#include <QChar>
#include <QRect>
#include <QSet>
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
    // A failure to look into: failed, and not a poll that a restart leaves unanswered on purpose.
    bool failed(int row) const { return isFailure(rows[static_cast<size_t>(row)]); }
    // A poll after a restart that the instrument, still starting, did not answer: the program
    // polls again. The last poll of a restart that never ended is a failure.
    bool expected(int row) const { return restartPolls.contains(rows[static_cast<size_t>(row)]); }
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

    // Where the window opens (its frame): beside, below or above the main window's frame,
    // wherever the screen leaves it the most room; over the main window only on a screen
    // too small for that, and then never over its menu. A side narrower or lower than `least`
    // (the window's smallest useful frame) is no place for it.
    static QRect placeBeside(const QRect& mainFrame, const QRect& screen, QSize wanted, QSize least = {400, 160});

  private:
    const BusCall& call(int row) const { return log.at(rows[static_cast<size_t>(row)]); }
    void findRestartPolls();

    CallLog& log;
    Prompter& prompter;
    QString folder;
    QChar separator;
    std::vector<int> rows; // log indexes of the shown rows
    QSet<int> restartPolls; // log indexes of the polls left unanswered while a restart lasts
    bool isFailure(int logIndex) const { return log.at(logIndex).failed && !restartPolls.contains(logIndex); }
    quint64 lastSerial = 0;
    int failures = 0;
    bool filterTaken = false;
};
