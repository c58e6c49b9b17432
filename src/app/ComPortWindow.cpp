#include "app/ComPortWindow.h"

#include "app/SettingsStore.h"

ComPortWindow::ComPortWindow(std::unique_ptr<BusLibrary> lib, SettingsStore& settings)
    : library(std::move(lib)), store(settings) {
    b_ComPortsEinlesen.name = QStringLiteral("b_ComPortsEinlesen");
    b_ComPortsEinlesen.caption = QStringLiteral("Vorhandene Com Ports auflisten");
    b_ComPortsEinlesen.geometry = {16, 8, 161, 17};
    cb_ComPorts.name = QStringLiteral("cb_ComPorts");
    cb_ComPorts.caption = QStringLiteral("Com-Ports");
    cb_ComPorts.geometry = {16, 32, 89, 21};
    cb_ComPorts.enabled = false;
    b_ComPortAuswaehlen.name = QStringLiteral("b_ComPortAuswaehlen");
    b_ComPortAuswaehlen.caption = QStringLiteral("Auswählen");
    b_ComPortAuswaehlen.geometry = {112, 32, 65, 20};
    b_ComPortAuswaehlen.enabled = false;
}

void ComPortWindow::FormCreate() { b_ComPortsEinlesenClick(); }

void ComPortWindow::b_ComPortsEinlesenClick() {
    cb_ComPorts.setItems({});
    cb_ComPorts.caption = QStringLiteral("COM#");
    portNumbers.clear();
    // Without the library the query fails like a refused one: the list stays disabled.
    library->load();
    QList<int16_t> found;
    const int16_t status = library->SearchForComPorts(found);
    library->unload();
    if (status < 0) {
        cb_ComPorts.enabled = false;
        b_ComPortAuswaehlen.enabled = false;
        return;
    }
    QStringList items;
    for (int16_t port : found) {
        portNumbers.append(port);
        items.append(QStringLiteral("COM%1").arg(port));
    }
    cb_ComPorts.setItems(items);
    cb_ComPorts.enabled = true;
    b_ComPortAuswaehlen.enabled = false;
}

void ComPortWindow::cb_ComPortsChange(int itemIndex) {
    cb_ComPorts.setItemIndex(itemIndex);
    if (cb_ComPorts.itemIndex >= 0) {
        cb_ComPorts.caption = cb_ComPorts.selectedText();
        b_ComPortAuswaehlen.enabled = true;
    }
}

void ComPortWindow::cb_ComPortsEdited(const QString& text) {
    cb_ComPorts.caption = text;
    cb_ComPorts.itemIndex = -1;
}

void ComPortWindow::b_ComPortAuswaehlenClick() {
    const int index = cb_ComPorts.itemIndex;
    if (index < 0 || index >= portNumbers.size() || portNumbers.at(index) <= 0)
        return;
    const int16_t result = store.writeSetting(QStringLiteral("ComPort"), SettingsStore::kSchnittstelle,
                                              SettingsStore::DataKind::Int16, portNumbers.at(index), 2);
    if (result != 0) {
        store.reportSettingsStatus(result);
        return;
    }
    closeRequested = true;
}
