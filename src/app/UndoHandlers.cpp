#include "app/MainHandlers.h"

#include "app/UndoSteps.h"

// Undo and redo step through the window's configurations only: a readout or a
// programming is never taken back on the instrument, a saved file stays as saved.

void MainHandlers::step(const QString& kind, const std::function<void()>& action) {
    commitEdits();
    action();
    recordStep(kind);
}

void MainHandlers::recordStep(const QString& kind) {
    history.record(m, kind);
    updateUndoItems();
}

void MainHandlers::commitEdits() {
    recordStep(undosteps::kEdit);
}

void MainHandlers::updateUndoItems() {
    // Nothing is restored while a run fills the window.
    m.miRueckgaengig.enabled = !running && history.canUndo();
    m.miWiederholen.enabled = !running && history.canRedo();
}

void MainHandlers::miRueckgaengigClick() {
    undoOrRedo(true);
}

void MainHandlers::miWiederholenClick() {
    undoOrRedo(false);
}

void MainHandlers::undoOrRedo(bool undo) {
    if (running) return;
    // Typing not yet taken into the window is the first thing to go back.
    if (undo) commitEdits();
    // Word fields saved under another permission than now follow the one of now.
    const auto settle = [this] {
        if (m.e_erw_Allgemein.enabled == m.extendedConfigUnlocked) return;
        actions.aCheckSpecialFunctionsPanel();
        actions.aAlignPanels();
    };
    const std::optional<QString> kind = undo ? history.undo(m, settle) : history.redo(m, settle);
    updateUndoItems();
    if (!kind) return;
    m.StatusBar1.panels[2] =
        (undo ? QStringLiteral("Rückgängig: ") : QStringLiteral("Wiederholen: ")) + *kind;
    startStatusTimer();
}

void MainHandlers::Datenlesen1Click() {
    step(undosteps::kNew, [this] { actions.Datenlesen1Click(); });
}

void MainHandlers::menuModelClick(const QString& menuItemName) {
    step(undosteps::kModelChange, [this, &menuItemName] { actions.menuModelClick(menuItemName); });
}

void MainHandlers::MainMenueExtrasAnzeigeeinheitClick() {
    step(undosteps::kDisplayUnit, [this] { actions.MainMenueExtrasAnzeigeeinheitClick(); });
}

void MainHandlers::MainMenueExtras_ErweiterteKonfigurationClick() {
    step(undosteps::kExtended, [this] { actions.MainMenueExtras_ErweiterteKonfigurationClick(); });
}
