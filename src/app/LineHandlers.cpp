#include "app/MainHandlers.h"

#include "app/LinePlanWindow.h"
#include "bus/BusPort.h"

// The line window works the bus through bindings of its own and reads and programs each
// instrument with handlers of its own on copies of the model: the main window's configuration
// is not touched, and the main window starts nothing meanwhile.
void MainHandlers::MainMenueExtras_AnlageClick() {
    if (!bus::aDLLDynamischLaden(*bus, *env.prompter)) return;
    {
        LinePlanWindow window(m, env);
        const BusBusy busy(running);
        openLine = &window;
        env.prompter->showModal(window);
        openLine = nullptr;
        if (window.plan) linePlanAddresses = window.plan->addresses();
    }
    bus::aDLLDynamischEntladen(*bus);
    endOfRun();
}
