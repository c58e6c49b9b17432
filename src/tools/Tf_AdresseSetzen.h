#pragma once

#include "bus/BusCommands.h"
#include "bus/BusLibrary.h"
#include "config/Clock.h"
#include "config/Prompter.h"
#include "tools/ToolControls.h"

#include <memory>

// The address assignment window: reads the attached instrument's address,
// identification number and type, then gives that very instrument (found by
// its identification number) a new bus address. It keeps its own binding of
// the bus library, loaded only around each button action; the port itself is
// opened through the main window's binding.
class Tf_AdresseSetzen : public ModalWindow {
  public:
    static QList<BusLibrary::Entry> entries();

    Tf_AdresseSetzen(std::unique_ptr<BusLibrary> library, BusLibrary& mainLibrary, Prompter& prompter,
                     Clock& clock);

    const char* windowClass() const override { return "Tf_AdresseSetzen"; }

    QString caption = QStringLiteral("Geräte Adresse Setzen");
    InfoPanel Panel1;
    Label l_Adresse;
    Label l_IDNummer;
    Label l_GeraeteTyp;
    HintButton b_Informationen;
    HintEdit eAdresse;
    HintButton b_AdresseSetzen;
    SimpleStatusBar StatusBar1;

    // Copies of the main window's values, set before showing.
    int16_t comPort = 0;
    int16_t converterCode = 0;
    // The address the window talks to; negative: ask the bus first. The main
    // window takes it back after the window closed.
    int16_t currentAddress = -1;
    int32_t idNumber = 0;
    // Decides the notice at close: set by every attempt to set the address.
    bool addressChanged = false;

    void b_InformationenClick();
    void b_AdresseSetzenClick();
    // Returns true when the key reaches the field (its text is then updated).
    bool eAdresseKeyPress(QChar key, int selStart, int selLength, int caret);
    void eAdresseEdited(const QString& text);
    void eAdresseExit();
    void eAdresseDblClick();
    void FormClose();

  private:
    void aGetInformation();
    bool aDLLDynamischLaden();
    void aDLLDynamischEntladen();
    void closePortAndUnload();
    void setInformationShown(bool shown);

    std::unique_ptr<BusLibrary> library;
    BusLibrary& mainLibrary;
    Prompter& prompter;
    Clock& clock;
    bus::Operands ops;
};
