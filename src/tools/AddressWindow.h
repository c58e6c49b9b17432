#pragma once

#include "tools/DeviceInfoWindow.h"

// The address assignment window `Tf_AdresseSetzen`: reads the attached instrument's address,
// identification number and type, then gives that very instrument (found by
// its identification number) a new bus address.
class AddressWindow : public DeviceInfoWindow {
  public:
    AddressWindow(std::unique_ptr<BusLibrary> library, BusLibrary& mainLibrary, Prompter& prompter,
                  Clock& clock);

    const char* windowClass() const override { return "Tf_AdresseSetzen"; }

    HintEdit eAdresse;
    HintButton b_AdresseSetzen;

    // Decides the notice at close: set by every attempt to set the address.
    bool addressChanged = false;

    void b_InformationenClick() override;
    void b_AdresseSetzenClick();
    // Returns true when the key reaches the field (its text is then updated).
    bool eAdresseKeyPress(QChar key, int selStart, int selLength, int caret);
    void eAdresseEdited(const QString& text);
    void eAdresseExit();
    void eAdresseDblClick();
    void FormClose() override;

  private:
    void aGetInformation();
};
