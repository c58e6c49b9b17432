#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;
class TSelectDeviceAddress;
class ToolLineEdit;

// Shows the address selection window `TSelectDeviceAddress` and forwards its events.
class SelectDeviceAddressDialog : public QDialog {
    Q_OBJECT
  public:
    SelectDeviceAddressDialog(TSelectDeviceAddress& window, QWidget* parent = nullptr);
    void render();

  private:
    void run(const std::function<void()>& handler);

    TSelectDeviceAddress& w;
    QLabel* addressCaption;
    ToolLineEdit* addressField;
    QPushButton* check;
    QLabel* typeCaption;
    QLabel* type;
    QLabel* serialCaption;
    QLabel* serial;
    QPushButton* ok;
    QLabel* status;
    bool rendering = false;
};
