#pragma once

#include "tools/BusToolWindow.h"

// The address selection window `TSelectDeviceAddress`: the user picks the bus address that the main
// window's bus operations use, checks that an instrument of a supported family
// answers there and confirms it with OK. It opens the port with its own
// binding, passing the converter code as stored.
class SelectAddressWindow : public BusToolWindow {
  public:
    // The three family tests on an identification number.
    static bool isSupportedFamily(int32_t idNumber);

    SelectAddressWindow(std::unique_ptr<BusLibrary> library, Prompter& prompter);

    const char* windowClass() const override { return "TSelectDeviceAddress"; }

    int clientWidth = 223;
    int clientHeight = 152;
    Label ls_Adresse;
    TextField te_SelectedDeviceAddress;
    Button btn_Check;
    Label ls_GeraeteTyp;
    Label l_Geraetetyp;
    Label ls_SerienNummer;
    Label l_Seriennummer;
    Button btn_OK;

    // A copy of the main window's bus address, set before showing; it goes
    // back into the main window when the window has closed.
    int16_t address = -1;

    void FormActivate();
    void btn_CheckClick();
    void btn_OKClick();
    // Returns true when the key reaches the field (its text is then updated).
    bool te_SelectedDeviceAddressKeyPress(QChar key, int selStart, int selLength, int caret);
    void te_SelectedDeviceAddressEdited(const QString& text);
    void te_SelectedDeviceAddressExit();
    void te_SelectedDeviceAddressDblClick();

  private:
    void aGetInformation();
    // The labels for the identity read with `status`; returns the status to report.
    int16_t showIdentity(int16_t status);
};
