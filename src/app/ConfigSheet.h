#pragma once

#include "config/MainWindowModel.h"
#include "record/InstrumentRecord.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// The configuration sheet as text: what the printed pages say about the window's
// configuration. The widget layer paints it, with a picture of the window between
// the head and the groups.
struct ConfigSheet {
    struct Row {
        QString label;
        QString value;
    };
    struct Section {
        QString title;
        QList<Row> rows;
    };

    QString title;           // "Konfigurationsblatt"
    QString model;           // the model's designation as the window shows it
    QList<Row> head;         // date and where the configuration came from
    QList<Section> sections; // every group the window shows, in the window's order
    QString footer;          // the program that printed it

    // Made right after a programming run: what it changed, what reading back found, why,
    // and lines to sign on.
    struct Acceptance {
        QString title;          // "Änderungsnachweis"
        QList<Row> changes;     // "group: field" with "old → new"; one row saying so when none is known
        QList<Row> rows;        // when, the verification, the reason
        QStringList signatures; // the labels of the lines to fill in by hand
    };
    std::optional<Acceptance> acceptance;

    // Every value the sheet holds, in page order.
    QStringList values() const;
};

// The sheet of the window's configuration, printed at `printed`; numbers of the head
// use the window's decimal separator `sep`, the fields show their own texts.
ConfigSheet configSheet(const MainWindowModel& m, const QDateTime& printed, QChar sep);

// The acceptance record of a programming run as the sheet shows it. `knownBefore`: the record
// knew the instrument's configuration before the run, so its changes are complete.
ConfigSheet::Acceptance sheetAcceptance(const RecordEntry& programmed, bool knownBefore);
