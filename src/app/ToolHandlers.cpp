#include "app/MainHandlers.h"

#include "bus/BusPort.h"
#include "tools/AddressWindow.h"
#include "tools/DeviceNameWindow.h"
#include "tools/SelectAddressWindow.h"

// The bus tools open the port through the main window's binding, so it stays
// loaded while a tool window is shown. Without the library a tool could not
// reach the bus: after the load message it is not shown at all.
//
// While a tool window is open its bus actions count as a bus run: the main window
// repaints between their calls and starts nothing of its own.

void MainHandlers::MainMenueExtrasAdresseSetzenClick() {
    if (!bus::aDLLDynamischLaden(*bus, *env.prompter)) return;
    {
        AddressWindow window(env.makeLibrary(AddressWindow::entries()), *bus, *env.prompter, *env.clock);
        window.currentAddress = m.busAddress;
        window.converterCode = m.converterCode;
        window.comPort = m.comPort;
        window.onChange = [this](const InstrumentChange& change) { recordChange(change); };
        const BusBusy busy(running);
        env.prompter->showModal(window);
        // An address still to be found stays so: the main window keeps asking the bus.
        if (m.busAddress >= 0) m.busAddress = window.currentAddress;
    }
    bus::aDLLDynamischEntladen(*bus);
}

void MainHandlers::mmExtras_GeraeteNamenZuweisenClick() {
    if (!bus::aDLLDynamischLaden(*bus, *env.prompter)) return;
    {
        DeviceNameWindow window(env.makeLibrary(DeviceNameWindow::entries()), *bus, *env.prompter,
                                *env.clock);
        window.comPort = m.comPort;
        window.converterCode = m.converterCode;
        window.onChange = [this](const InstrumentChange& change) { recordChange(change); };
        const BusBusy busy(running);
        env.prompter->showModal(window);
    }
    bus::aDLLDynamischEntladen(*bus);
}

void MainHandlers::MainMenueExtras_SelectAddressClick() {
    if (!bus::aDLLDynamischLaden(*bus, *env.prompter)) return;
    {
        SelectAddressWindow window(env.makeLibrary(SelectAddressWindow::entries()), *env.prompter);
        window.converterCode = m.converterCode;
        window.comPort = m.comPort;
        window.address = m.busAddress;
        window.FormActivate();
        const BusBusy busy(running);
        env.prompter->showModal(window);
        // Unchanged unless the user confirmed with OK; an address chosen here follows the
        // window's own rule again (below 1: asked from the bus).
        if (window.address != m.busAddress) m.addressChosen = false;
        m.busAddress = window.address;
    }
    bus::aDLLDynamischEntladen(*bus);
}
