#pragma once

#include "ui/ToolDialog.h"

class QLabel;
class TSelectDeviceAddress;

// Shows the address selection window `TSelectDeviceAddress` and forwards its events.
class SelectDeviceAddressDialog : public ToolDialog {
    Q_OBJECT
  public:
    SelectDeviceAddressDialog(TSelectDeviceAddress& window, QWidget* parent = nullptr);

  protected:
    void renderControls() override;

  private:
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
};
