#pragma once

#include "ui/DeviceInfoDialog.h"

class Tf_AdresseSetzen;

// Shows the address assignment window `Tf_AdresseSetzen` and forwards its events.
class AdresseSetzenDialog : public DeviceInfoDialog {
    Q_OBJECT
  public:
    AdresseSetzenDialog(Tf_AdresseSetzen& window, QWidget* parent = nullptr);
};
