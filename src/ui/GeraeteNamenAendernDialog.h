#pragma once

#include "ui/DeviceInfoDialog.h"

class Tf_GeraeteNamenAendern;

// Shows the name change window `Tf_GeraeteNamenAendern` and forwards its events.
class GeraeteNamenAendernDialog : public DeviceInfoDialog {
    Q_OBJECT
  public:
    GeraeteNamenAendernDialog(Tf_GeraeteNamenAendern& window, QWidget* parent = nullptr);

  protected:
    void renderControls() override;

  private:
    Tf_GeraeteNamenAendern& w;
    QLabel* nameCaption;
    QLabel* name;
};
