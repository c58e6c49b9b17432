#pragma once

#include "ui/DeviceInfoDialog.h"

class AddressWindow;

// Shows the address assignment window `Tf_AdresseSetzen` and forwards its events.
class AddressDialog : public DeviceInfoDialog {
    Q_OBJECT
  public:
    AddressDialog(AddressWindow& window, QWidget* parent = nullptr);
};
