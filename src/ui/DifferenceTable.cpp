#include "ui/DifferenceTable.h"

#include "app/FieldList.h"

#include <QHeaderView>

DifferenceTable::DifferenceTable(QWidget* parent) : QTableWidget(0, 4, parent) {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    verticalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    for (int c = 0; c < 3; ++c)
        setColumnWidth(c, 170);
}

void DifferenceTable::setRows(const QList<FieldDifference>& list, const QStringList& titles) {
    setHorizontalHeaderLabels(titles);
    setRowCount(static_cast<int>(list.size()));
    for (int r = 0; r < list.size(); ++r) {
        const FieldDifference& d = list.at(r);
        const QString cells[] = {d.group, d.label, d.a, d.b};
        for (int c = 0; c < 4; ++c)
            setItem(r, c, new QTableWidgetItem(cells[c]));
    }
}
