#include "config/UndoHistory.h"

#include <algorithm>

UndoHistory::UndoHistory(int limit) : maxSteps(std::max(limit, 1)) {}

void UndoHistory::reset(const MainWindowModel& model) {
    current = model;
    undoSteps.clear();
    redoSteps.clear();
}

bool UndoHistory::record(const MainWindowModel& model, const QString& kind) {
    if (sameConfiguration(model, current)) {
        current = model;
        return false;
    }
    undoSteps.push_back({std::move(current), kind});
    if (static_cast<int>(undoSteps.size()) > maxSteps) undoSteps.pop_front();
    redoSteps.clear();
    current = model;
    return true;
}

std::optional<QString> UndoHistory::undo(MainWindowModel& model, const std::function<void()>& settle) {
    return move(undoSteps, redoSteps, model, settle);
}

std::optional<QString> UndoHistory::redo(MainWindowModel& model, const std::function<void()>& settle) {
    return move(redoSteps, undoSteps, model, settle);
}

std::optional<QString> UndoHistory::move(std::deque<Step>& from, std::deque<Step>& to, MainWindowModel& model,
                                         const std::function<void()>& settle) {
    if (from.empty()) return std::nullopt;
    Step step = std::move(from.back());
    from.pop_back();
    restore(model, step.state);
    if (settle) settle();
    to.push_back({std::move(current), step.kind});
    current = model;
    return step.kind;
}

// What a step never takes back, and why:
// - the status bar, the progress of a run and the status bar timer: they report what the
//   program is doing now (the undo itself reports there);
// - port, level converter and bus address, with the menu items that show or follow them:
//   they say where the instrument is, not how it is configured;
// - the unlock of the extended configuration: a permission, stored at once when given;
// - what the last readout or programming learnt about the attached instrument;
// - the undo and redo items themselves.
// The display unit extra and the extended configuration check marks are restored: the
// d20 file and programming carry them, so they are part of the configuration.
void UndoHistory::carryProgramState(MainWindowModel& to, const MainWindowModel& from) {
    to.StatusBar1 = from.StatusBar1;
    to.pbBusRun = from.pbBusRun;
    to.t_StatusLeisteEnabled = from.t_StatusLeisteEnabled;
    to.t_StatusLeisteInterval = from.t_StatusLeisteInterval;

    to.comPort = from.comPort;
    to.converterCode = from.converterCode;
    to.busAddress = from.busAddress;
    to.addressChosen = from.addressChosen;
    for (MenuItem MainWindowModel::*item :
         {&MainWindowModel::Schnittstelle, &MainWindowModel::mmSelectedComPort,
          &MainWindowModel::Portauswahl1, &MainWindowModel::MainMenueWandler,
          &MainWindowModel::MainMenueWandlerItem0, &MainWindowModel::MainMenueWandlerItem1,
          &MainWindowModel::MainMenueWandlerItem2, &MainWindowModel::MainMenueWandlerItem3,
          &MainWindowModel::Konfigurationlesen1, &MainWindowModel::MainMenueExtras_Busmonitor,
          &MainWindowModel::miRueckgaengig, &MainWindowModel::miWiederholen,
          &MainWindowModel::miPruefenNachProgrammieren})
        to.*item = from.*item;
    // Shown once unlocked, enabled once a port is known; the check mark is configuration.
    MenuItem& extended = to.MainMenueExtras_ErweiterteKonfiguration;
    extended.visible = from.MainMenueExtras_ErweiterteKonfiguration.visible;
    extended.enabled = from.MainMenueExtras_ErweiterteKonfiguration.enabled;

    to.extendedConfigUnlocked = from.extendedConfigUnlocked;
    to.unlockedForSessionOnly = from.unlockedForSessionOnly;
    to.lastExtendedConfigChecked = from.lastExtendedConfigChecked;
    to.extendedConfigWriteMismatch = from.extendedConfigWriteMismatch;

    to.deviceMismatch = from.deviceMismatch;
    to.deviceRelayOnly = from.deviceRelayOnly;
    to.deviceHasAnalogOutput = from.deviceHasAnalogOutput;
    to.deviceHasPidOption = from.deviceHasPidOption;
    to.devicePidActive = from.devicePidActive;
    to.deviceVersion = from.deviceVersion;
    to.expectedFeatures = from.expectedFeatures;
    to.deviceIdentity = from.deviceIdentity;
    to.extendedWordsRead = from.extendedWordsRead;
    to.inputKindChanged = from.inputKindChanged;
}

bool UndoHistory::sameConfiguration(const MainWindowModel& a, const MainWindowModel& b) {
    MainWindowModel other = b;
    carryProgramState(other, a);
    return other == a;
}

void UndoHistory::restore(MainWindowModel& live, const MainWindowModel& saved) {
    MainWindowModel next = saved;
    carryProgramState(next, live);
    // The instrument may hold another input kind than the restored window: programming then
    // resets it to the window's. A reset too many costs a restart; one too few leaves the
    // instrument on the wrong input.
    next.inputKindChanged = live.inputKindChanged || saved.rgInput.itemIndex != live.rgInput.itemIndex;
    // Programming needs a port: the item follows the port known now, not the one of the step.
    if (!live.Konfigurationlesen1.enabled)
        next.miKonfigurationprogrammieren1.enabled = false;
    else if (!saved.Konfigurationlesen1.enabled)
        next.miKonfigurationprogrammieren1.enabled = next.miDatenspeichern.enabled;
    live = std::move(next);
}
