#include "app/MainHandlers.h"

#include "bus/BusPort.h"
#include "tools/BusScanWindow.h"

// The scan window talks to the bus through a binding of its own, as the bus tools do;
// the main window's binding stays loaded and the main window starts nothing meanwhile.
void MainHandlers::MainMenueExtras_BusDurchsuchenClick() {
    if (!bus::aDLLDynamischLaden(*bus, *env.prompter)) return;
    {
        BusScanWindow window(env.makeLibrary(BusScanWindow::entries()), *env.prompter, *env.clock,
                             env.currentDirectory, separator());
        window.comPort = m.comPort;
        window.converterCode = m.converterCode;
        window.FormShow();
        const BusBusy busy(running);
        env.prompter->showModal(window);
        // window.readRequest: the address and model of an "Einlesen", for the main window's readout.
    }
    bus::aDLLDynamischEntladen(*bus);
}
