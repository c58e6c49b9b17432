#pragma once

#include "config/MainWindowModel.h"

#include <QDateTime>
#include <QList>
#include <QString>

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

    // Every value the sheet holds, in page order.
    QStringList values() const;
};

// The sheet of the window's configuration, printed at `printed`; numbers of the head
// use the window's decimal separator `sep`, the fields show their own texts.
ConfigSheet configSheet(const MainWindowModel& m, const QDateTime& printed, QChar sep);
