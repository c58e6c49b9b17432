#pragma once

#include "ui/BusToolDialog.h"

class QLabel;
class SelectAddressWindow;

// Shows the address selection window `TSelectDeviceAddress` and forwards its events.
class SelectAddressDialog : public BusToolDialog {
    Q_OBJECT
  public:
    SelectAddressDialog(SelectAddressWindow& window, QWidget* parent = nullptr);

  protected:
    void renderControls() override;

  private:
    SelectAddressWindow& w;
    QLabel* addressCaption;
    ToolLineEdit* addressField;
    QPushButton* check;
    QLabel* typeCaption;
    QLabel* type;
    QLabel* serialCaption;
    QLabel* serial;
    QPushButton* ok;
    QLabel* status;
};
