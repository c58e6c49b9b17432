#include "app/MainHandlers.h"

#include "bus/Programming.h"
#include "bus/Readout.h"

// "&Einlesen": the instrument's configuration into the window.
void MainHandlers::Konfigurationlesen1Click() {
    actions.aCheckSpecialFunctionsPanel();
    actions.aAlignPanels();
    beginBusRun(QStringLiteral("read"));
    busStatus = bus::DVN20DatenEinlesen(*bus, actions, *env.prompter, *env.clock);
    endBusRun();
    startStatusTimer();
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
