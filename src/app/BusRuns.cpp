#include "app/MainHandlers.h"

#include "app/UndoSteps.h"

#include "bus/Programming.h"
#include "bus/Readout.h"

// "&Einlesen": the instrument's configuration into the window.
// A readout that failed half-way still changed the window; that, too, can be undone.
void MainHandlers::Konfigurationlesen1Click() {
    step(undosteps::kReadout, [this] {
        actions.aCheckSpecialFunctionsPanel();
        actions.aAlignPanels();
        beginBusRun(QStringLiteral("read"));
        busStatus = bus::DVN20DatenEinlesen(*bus, actions, *env.prompter, *env.clock);
        endBusRun();
        startStatusTimer();
    });
}

// "&Programmieren": the window's configuration into the instrument.
void MainHandlers::miKonfigurationprogrammieren1Click() {
    // A filter still being typed counts as entered.
    if (m.teFilter.visible) actions.teFilterExit();
    actions.aSetAll();
    actions.aCheckSpecialFunctionsPanel();
    actions.aAlignPanels();
    beginBusRun(QStringLiteral("program"));
    busStatus = bus::DVN20DatenProgrammieren(*bus, actions, *env.prompter, *env.clock);
    endBusRun();
    startStatusTimer();
}
