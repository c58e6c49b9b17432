#pragma once

#include "bus/BusLibrary.h"
#include "config/Controls.h"
#include "config/Prompter.h"

#include <QList>

#include <memory>

class SettingsStore;

// The port window `Tf_ComPort`: lists the serial ports the bus library knows
// and stores the chosen one. It keeps its own binding of the library, loaded
// only around the port query.
class ComPortWindow : public ModalWindow {
public:
    ComPortWindow(std::unique_ptr<BusLibrary> library, SettingsStore& store);

    const char* windowClass() const override { return "Tf_ComPort"; }

    QString caption = QStringLiteral("Port auswählen");
    int clientWidth = 243;
    int clientHeight = 164;
    Button b_ComPortsEinlesen;
    ComboBox cb_ComPorts; // `caption` holds the edit part's text
    Button b_ComPortAuswaehlen;

    void FormCreate();
    void b_ComPortsEinlesenClick();
    void cb_ComPortsChange(int itemIndex);
    // Typing into the edit part changes its text but selects no item.
    void cb_ComPortsEdited(const QString& text);
    void b_ComPortAuswaehlenClick();

private:
    std::unique_ptr<BusLibrary> library;
    SettingsStore& store;
    QList<int16_t> portNumbers;
};
