#include "app/MainHandlers.h"

#include "app/ComPortWindow.h"
#include "app/Converters.h"
#include "app/SettingsStore.h"
#include "app/UndoSteps.h"

// --- Port and converter ----------------------------------------------------------------------

void MainHandlers::SchnittstelleClick() {
    const QString& port = m.StatusBar1.panels[0];
    m.mmSelectedComPort.caption = port.isEmpty() ? QStringLiteral("Kein ComPort ausgewählt") : port;
}

bool MainHandlers::showPortWindow() {
    ComPortWindow window(env.makeLibrary({BusLibrary::Entry::SearchForComPorts}), *env.settings);
    window.FormCreate();
    env.prompter->showModal(window);
    // The window closes itself only once a port is stored.
    return window.closeRequested;
}

void MainHandlers::Portauswahl1Click() {
    // Reading the settings again brings back the stored model: the window can be undone.
    // Closed without a choice, nothing was stored and nothing changes.
    step(undosteps::kPortChoice, [this] {
        if (!showPortWindow()) return;
        aReadAllKeysFromRegistry();
        aCheckAfterReadFromRegistry();
    });
}

void MainHandlers::MainMenueWandlerItemClick(int index) {
    if (index < 0 || index >= converters::kCount) return;
    const ConverterEntry& entry = converters::entry(index);
    m.StatusBar1.panels[1] = QString::fromUtf8(entry.clickText);
    m.converterCode = entry.code;
    const auto items = converters::menuItems(m);
    for (int i = 0; i < converters::kCount; ++i)
        items[i]->checked = i == index;
    m.Konfigurationlesen1.enabled = true;
    m.MainMenueExtras_ErweiterteKonfiguration.enabled = true;
    env.settings->writeSetting(QStringLiteral("PegelWandler"), SettingsStore::kSchnittstelle,
                               SettingsStore::DataKind::Int16, entry.code, 2);
}
