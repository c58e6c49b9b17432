#include "app/MainHandlers.h"

#include "bus/BusPort.h"
#include "bus/Instrument.h"
#include "tools/BusScanWindow.h"

// The scan window talks to the bus through a binding of its own, as the bus tools do;
// the main window's binding stays loaded and the main window starts nothing meanwhile.
void MainHandlers::MainMenueExtras_BusDurchsuchenClick() {
    if (!bus::aDLLDynamischLaden(*bus, *env.prompter)) return;
    const ModelEntry* fitting = nullptr;
    int16_t address = -1;
    {
        BusScanWindow window(env.makeLibrary(BusScanWindow::entries()), *env.prompter, *env.clock,
                             env.currentDirectory, separator());
        window.comPort = m.comPort;
        window.converterCode = m.converterCode;
        window.onChange = [this](const InstrumentChange& change) { recordChange(change); };
        window.known = linePlanAddresses;
        window.FormShow();
        const BusBusy busy(running);
        env.prompter->showModal(window);
        if (window.readRequest) {
            // "Einlesen": of the family's models, the first whose identification accepts the
            // instrument (features and options tell the variants apart).
            address = window.readRequest->address;
            const ModelEntry& first = catalogue::entry(window.readRequest->model);
            // The row's address stands, 0 included: on a line the address query would collide.
            const ModelEntry* found =
                familyModel(*bus, *env.clock, m.comPort, m.converterCode, address, first.family, true);
            fitting = found ? found : &first;
        }
    }
    bus::aDLLDynamischEntladen(*bus);
    if (!fitting) return;
    // The readout then checks the instrument as always; one that fits no model says so there.
    menuModelClick(QLatin1String(fitting->menuItem));
    m.busAddress = address;
    m.addressChosen = true;
    Konfigurationlesen1Click();
    offerUnsettled();
}
