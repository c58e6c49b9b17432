#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;
class Tf_AdresseSetzen;
class ToolLineEdit;

// Shows the address assignment window `Tf_AdresseSetzen` and forwards its events.
class AdresseSetzenDialog : public QDialog {
    Q_OBJECT
  public:
    AdresseSetzenDialog(Tf_AdresseSetzen& window, QWidget* parent = nullptr);
    void render();
    void done(int result) override;

  private:
    void run(const std::function<void()>& handler);

    Tf_AdresseSetzen& w;
    QLabel* panelCaption;
    QLabel* address;
    QLabel* idNumber;
    QLabel* type;
    QPushButton* information;
    ToolLineEdit* newAddress;
    QPushButton* setAddress;
    QLabel* status;
    bool rendering = false;
    bool closed = false;
};
