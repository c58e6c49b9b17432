#pragma once

#include "ui/ModelView.h"

#include <QDialog>
#include <QStringList>

class ArchiveWindow;
class DifferenceTable;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QTableWidget;
class QtPrompter;

// "Gerätearchiv": renders the archive window's state and forwards its choices and buttons.
class ArchiveDialog : public QDialog, public ModelView {
  public:
    ArchiveDialog(ArchiveWindow& window, QWidget* parent = nullptr);
    void render() override;
    QTableWidget* instrumentTable() const { return instruments; }
    QTableWidget* historyTable() const { return history; }

  private:
    void run(const std::function<void()>& handler);
    void renderLists();

    ArchiveWindow& w;
    QLabel* file = nullptr;
    QLabel* empty = nullptr;
    QLabel* filterLabel = nullptr;
    QLineEdit* filter = nullptr;
    QLabel* historyTitle = nullptr;
    QLabel* choice = nullptr;
    QLabel* note = nullptr;
    QSplitter* lists = nullptr;
    QTableWidget* instruments = nullptr;
    QTableWidget* history = nullptr;
    DifferenceTable* listing = nullptr;
    QPushButton* load = nullptr;
    QPushButton* save = nullptr;
    QPushButton* close = nullptr;
    // What the lists hold now: they are filled again only when that changes.
    QStringList shownSerials;
    QList<qint64> shownEntries;
    bool rendering = false;
};

// Shows windows of class "TGeraetearchiv" with this dialog.
void registerArchiveDialog(QtPrompter& prompter);
