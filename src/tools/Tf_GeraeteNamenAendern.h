#pragma once

#include "bus/BusCommands.h"
#include "bus/BusLibrary.h"
#include "config/Clock.h"
#include "config/Prompter.h"
#include "tools/ToolControls.h"

#include <memory>

// The name change window: reads the name ("Bezeichner") stored in the one
// instrument that answers the address query and writes a new one. Like the
// address window it binds the library itself around each button action and
// opens the port through the main window's binding.
class Tf_GeraeteNamenAendern : public ModalWindow {
  public:
    static QList<BusLibrary::Entry> entries();

    Tf_GeraeteNamenAendern(std::unique_ptr<BusLibrary> library, BusLibrary& mainLibrary, Prompter& prompter,
                           Clock& clock);

    const char* windowClass() const override { return "Tf_GeraeteNamenAendern"; }

    QString caption = QStringLiteral("Geräte Bezeichung ändern");
    InfoPanel Panel1;
    Label l_Adresse;
    Label l_IDNummer;
    Label l_GeraeteTyp;
    Label l_Bezeichnung;
    Label l_GeraeteNamen;
    HintButton b_Informationen;
    HintEdit Edit1;
    HintButton b_NamenAendern;
    SimpleStatusBar StatusBar1;

    // Copies of the main window's values, set before showing.
    int16_t comPort = 0;
    int16_t converterCode = 0;
    // Found anew by every information read; the main window's address is not used.
    int16_t currentAddress = 0;
    int32_t idNumber = 0;
    // Decides the notice at close: set by every press of "Bezeichnung ändern".
    bool nameChanged = false;

    void b_InformationenClick();
    void b_NamenAendernClick();
    // Returns true when the key reaches the field (its text is then updated).
    bool Edit1KeyPress(QChar key, int selStart, int selLength, int caret);
    void Edit1Edited(const QString& text);
    void Edit1DblClick();
    void FormClose();

  private:
    void aGetInformation();
    bool aDLLDynamischLaden();
    void aDLLDynamischEntladen();
    void closePortAndUnload();
    void setNameShown(bool shown);
    void setInformationShown(bool shown);

    std::unique_ptr<BusLibrary> library;
    BusLibrary& mainLibrary;
    Prompter& prompter;
    Clock& clock;
    bus::Operands ops;
};
