#pragma once

#include "tools/DeviceInfoWindow.h"

// The name change window `Tf_GeraeteNamenAendern`: reads the name ("Bezeichner") stored in the one
// instrument that answers the address query and writes a new one. The main
// window's address is not used: every information read finds it anew.
class DeviceNameWindow : public DeviceInfoWindow {
  public:
    // Names travel through TBTransmitString, which the other tools do not bind.
    static QList<BusLibrary::Entry> entries();

    DeviceNameWindow(std::unique_ptr<BusLibrary> library, BusLibrary& mainLibrary, Prompter& prompter,
                     Clock& clock);

    const char* windowClass() const override { return "Tf_GeraeteNamenAendern"; }

    Label l_Bezeichnung;
    Label l_GeraeteNamen;
    HintEdit Edit1;
    HintButton b_NamenAendern;

    // Decides the notice at close: set by every press of "Bezeichnung ändern".
    bool nameChanged = false;

    void b_InformationenClick() override;
    void b_NamenAendernClick();
    // Returns true when the key reaches the field (its text is then updated).
    bool Edit1KeyPress(QChar key, int selStart, int selLength, int caret);
    void Edit1Edited(const QString& text);
    void Edit1DblClick();
    void FormClose() override;

  private:
    void aGetInformation();
    void setNameShown(bool shown);
};
