#pragma once

#include "ui/DeviceInfoDialog.h"

class DeviceNameWindow;

// Shows the name change window `Tf_GeraeteNamenAendern` and forwards its events.
class DeviceNameDialog : public DeviceInfoDialog {
    Q_OBJECT
  public:
    DeviceNameDialog(DeviceNameWindow& window, QWidget* parent = nullptr);

  protected:
    void renderControls() override;

  private:
    DeviceNameWindow& w;
    QLabel* nameCaption;
    QLabel* name;
};
