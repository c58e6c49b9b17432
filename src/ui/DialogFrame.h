#pragma once

#include "config/Controls.h"

#include <QAbstractItemView>
#include <QDialog>
#include <QHeaderView>
#include <QTableWidget>
#include <QWidget>

// What every fixed-size window of the program shares: its frame and the
// placing of a control by the geometry its state holds.
namespace dialogframe {

// A read-only table of whole rows, one chosen at a time, its first columns this wide.
inline QTableWidget* rowTable(QWidget* parent, int columns, std::initializer_list<int> widths) {
    auto* table = new QTableWidget(0, columns, parent);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    int c = 0;
    for (int width : widths)
        table->setColumnWidth(c++, width);
    return table;
}

inline void place(QWidget* widget, const Control& c) {
    widget->setObjectName(c.name);
    widget->setGeometry(c.geometry.left, c.geometry.top, c.geometry.width, c.geometry.height);
}

// Fixed size, title and close button only; pointSize > 0 sets a plain font of that size.
inline void setUp(QDialog* dialog, const QString& formName, const QString& caption, int width, int height,
                  int pointSize = 0) {
    dialog->setObjectName(formName);
    dialog->setWindowTitle(caption);
    dialog->setFixedSize(width, height);
    dialog->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint);
    if (pointSize > 0) {
        QFont f = dialog->font();
        f.setPointSize(pointSize);
        f.setBold(false);
        dialog->setFont(f);
    }
}

} // namespace dialogframe
