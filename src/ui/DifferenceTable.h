#pragma once

#include <QTableWidget>

struct FieldDifference;

// The compare listing: one row per field that differs, its group, its label and the two sides'
// values under the sides' titles. The compare window and the archive window show it alike.
class DifferenceTable : public QTableWidget {
  public:
    explicit DifferenceTable(QWidget* parent = nullptr);
    // titles: group, field, one side, the other side.
    void setRows(const QList<FieldDifference>& rows, const QStringList& titles);
};
