#pragma once

#include <QAbstractTableModel>
#include <QTimer>
#include <QWidget>

class BusMonitorWindow;
class QCheckBox;
class QLabel;
class QTableView;

// The table of the bus monitor, read straight from its headless window.
class BusMonitorTable : public QAbstractTableModel {
  public:
    explicit BusMonitorTable(BusMonitorWindow& window, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void reload();

  private:
    BusMonitorWindow& w;
};

// "Busmonitor": a window of its own beside the main window. It takes in new
// calls a few times a second, also while a bus run holds the main window.
class BusMonitorDialog : public QWidget {
  public:
    BusMonitorDialog(BusMonitorWindow& window, QWidget* parent = nullptr);
    // Takes in the log as it is now and shows it.
    void render();
    QTableView* table() const { return view; }

  protected:
    void closeEvent(class QCloseEvent* event) override;
    // Escape closes the monitor, as it closes the program's other windows.
    void keyPressEvent(class QKeyEvent* event) override;

  private:
    void poll();
    void reload();

    BusMonitorWindow& w;
    BusMonitorTable* rows = nullptr;
    QTableView* view = nullptr;
    QCheckBox* onlyFailures = nullptr;
    QLabel* summary = nullptr;
    QTimer ticker;
    bool rendering = false;
};
