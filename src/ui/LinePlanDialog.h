#pragma once

#include "ui/ModelView.h"

#include <QDialog>

#include <functional>

class LinePlanWindow;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;
struct Button;

// "Anlage": renders the line window and forwards its events. While a run works the bus the
// dialog keeps painting and takes the click on "Abbrechen".
class LinePlanDialog : public QDialog, public ModelView {
  public:
    explicit LinePlanDialog(LinePlanWindow& window, QWidget* parent = nullptr);
    ~LinePlanDialog() override;
    void render() override;
    QTableWidget* table() const { return rows; }

  protected:
    void reject() override;

  private:
    void run(const std::function<void()>& handler);
    QPushButton* button(const Button& model, const std::function<void()>& click);

    LinePlanWindow& w;
    bool rendering = false;
    QLabel* planLabel = nullptr;
    QPushButton* open = nullptr;
    QPushButton* make = nullptr;
    QPushButton* check = nullptr;
    QPushButton* program = nullptr;
    QPushButton* replace = nullptr;
    QPushButton* cancel = nullptr;
    QPushButton* close = nullptr;
    QProgressBar* progress = nullptr;
    QTableWidget* rows = nullptr;
    QPlainTextEdit* details = nullptr;
    QLabel* status = nullptr;
};
