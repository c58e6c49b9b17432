#pragma once

#include "ui/ModelView.h"

#include <QDialog>

#include <functional>

class BusScanWindow;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

// "Bus durchsuchen": renders the scan window and forwards its events. While the scan runs
// the dialog keeps painting and takes the click on "Abbrechen".
class BusScanDialog : public QDialog, public ModelView {
  public:
    explicit BusScanDialog(BusScanWindow& window, QWidget* parent = nullptr);
    ~BusScanDialog() override;
    void render() override;
    QTableWidget* table() const { return rows; }

  protected:
    void reject() override;

  private:
    void run(const std::function<void()>& handler);
    QPushButton* button(const struct HintButton& model, const std::function<void()>& click);

    BusScanWindow& w;
    bool rendering = false;
    QLabel* port = nullptr;
    QLineEdit* from = nullptr;
    QLineEdit* to = nullptr;
    QPushButton* scan = nullptr;
    QPushButton* cancel = nullptr;
    QPushButton* address = nullptr;
    QPushButton* name = nullptr;
    QPushButton* read = nullptr;
    QPushButton* exportCsv = nullptr;
    QPushButton* printTable = nullptr;
    QPushButton* close = nullptr;
    QProgressBar* progress = nullptr;
    QTableWidget* rows = nullptr;
    QLabel* status = nullptr;
};
