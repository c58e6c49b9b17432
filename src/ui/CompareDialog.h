#pragma once

#include "ui/ModelView.h"

#include <QDialog>
#include <QTimer>

class CompareWindow;
class QLabel;
class QProgressBar;
class QPushButton;
class DifferenceTable;
class QTableWidget;
class QtPrompter;

// "Vergleichen": renders the compare window's state and forwards its buttons.
class CompareDialog : public QDialog, public ModelView {
  public:
    CompareDialog(CompareWindow& window, QWidget* parent = nullptr);
    ~CompareDialog() override;
    void render() override;
    QTableWidget* table() const;
    QProgressBar* progressBar() const { return progress; }

  private:
    void run(void (CompareWindow::*handler)());
    void renderProgress();

    CompareWindow& w;
    QPushButton* file = nullptr;
    QPushButton* instrument = nullptr;
    QPushButton* close = nullptr;
    QLabel* source = nullptr;
    QLabel* result = nullptr;
    DifferenceTable* rows = nullptr;
    QProgressBar* progress = nullptr;
    // Takes in the readout's progress; timers still run between its library calls.
    QTimer ticker;
};

// Shows windows of class "TVergleich" with this dialog.
void registerCompareDialog(QtPrompter& prompter);
