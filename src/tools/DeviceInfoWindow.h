#pragma once

#include "bus/Reach.h"
#include "config/Clock.h"
#include "tools/BusToolWindow.h"

// A bus tool window that first reads the attached instrument's information
// into `Panel1`; the window's own field and button serve the instrument read
// there. The port opens through the main window's binding.
class DeviceInfoWindow : public BusToolWindow {
  public:
    InfoPanel Panel1;
    Label l_Adresse;
    Label l_IDNummer;
    Label l_GeraeteTyp;
    HintButton b_Informationen;

    // The address the window talks to, and the identification number read there.
    int16_t currentAddress = 0;
    int32_t idNumber = 0;

    virtual void b_InformationenClick() = 0;
    virtual void FormClose() = 0;

  protected:
    DeviceInfoWindow(const QString& caption, std::unique_ptr<BusLibrary> library, BusLibrary& mainLibrary,
                     Prompter& prompter, Clock& clock);

    int16_t openPort();
    // Opens the port, asks for the address when `askAddress` and reads the identity at
    // `currentAddress`; the port stays open. `afterOpen` as the bus sequence takes it.
    bus::Reached reachInstrument(bool askAddress, std::function<int16_t(int16_t)> afterOpen = {});
    void setInformationShown(bool shown);
    // The identification number answered last goes into `idNumber` and, with
    // the address, into the labels.
    void takeIdentity();
    // The notice while the window's own action was never tried; then the port
    // is closed once more.
    void closeWindow(bool& changed, const QString& notice);

    BusLibrary& mainLibrary;
    Clock& clock;
};
