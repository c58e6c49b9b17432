#pragma once

#include "bus/BusCommands.h"
#include "bus/BusLibrary.h"
#include "config/Clock.h"
#include "config/ConfigActions.h"
#include "config/MainWindowModel.h"
#include "config/ModelCatalogue.h"
#include "config/Prompter.h"

#include <QString>

#include <cstdint>
#include <functional>

// What readout and programming share: the running status threaded through one
// port session, the address and identity steps, and the report texts.
class BusRun {
  protected:
    BusRun(BusLibrary& library, ConfigActions& actions, Prompter& prompter, Clock& clock);

    bool ok() const { return running >= 0; }
    // Steps sent whatever the status: their answer becomes the running status but
    // never hides an earlier failure.
    void takeUnlessFailed(int16_t answer);

    // Chooses the expected family from the selected model and shows `progress`,
    // or "Unbekanntes Gerät!" without a model.
    void announce(const char* ModelEntry::*progress);
    // Opens the port, asks for the address when none is known and identifies the
    // instrument against the selected model; the outcome becomes the running status.
    // `afterOpen` runs as soon as the port answered. Without a selected model nothing
    // is sent after opening. False when the run must stop.
    bool reach(int32_t addressPreset, const std::function<void()>& afterOpen = {});
    // Command 254 into `deviceVersion`, sent whatever the status.
    void readVersion();
    // Designation, serial number and version for the report; keeps identity and version.
    void readIdentity();
    // Panel text of a failed run.
    QString failureText() const;
    void showInPanel(const QString& text);
    bool isCurrentFirmware() const { return m.deviceVersion >= bus::kFirstCurrentFirmware; }

    int16_t send(int16_t command) { return bus::transmit(lib, m.busAddress, command, ops); }

    BusLibrary& lib;
    ConfigActions& a;
    MainWindowModel& m;
    Prompter& prompter;
    Clock& clock;
    const ModelEntry* model = nullptr;
    int32_t family = 0;
    bus::Operands ops;
    int16_t running = 0;
    QString resultText;
    int32_t identity = 0;   // as readIdentity heard it
    double firmware = 0.0;  // as readIdentity heard it
};
