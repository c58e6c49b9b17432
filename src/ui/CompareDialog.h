#pragma once

#include "ui/ModelView.h"

#include <QDialog>

class CompareWindow;
class QLabel;
class QPushButton;
class QTableWidget;
class QtPrompter;

// "Vergleichen": renders the compare window's state and forwards its buttons.
class CompareDialog : public QDialog, public ModelView {
  public:
    CompareDialog(CompareWindow& window, QWidget* parent = nullptr);
    void render() override;
    QTableWidget* table() const { return rows; }

  private:
    void run(void (CompareWindow::*handler)());

    CompareWindow& w;
    QPushButton* file = nullptr;
    QPushButton* instrument = nullptr;
    QPushButton* close = nullptr;
    QLabel* source = nullptr;
    QLabel* result = nullptr;
    QTableWidget* rows = nullptr;
};

// Shows windows of class "TVergleich" with this dialog.
void registerCompareDialog(QtPrompter& prompter);
