#include "app/MainHandlers.h"
#include "app/SettingsStore.h"
#include "app/UndoSteps.h"

namespace {

constexpr char16_t kUnlockKey = 5; // Ctrl+E
constexpr int kFlagByteCount = 2;

} // namespace

// The extended configuration is for experienced users only, so it hides
// behind a key combination in the limit box.
bool MainHandlers::cbLimitKeyPress(QChar key) {
    if (key.unicode() != kUnlockKey) return false;
    // The permission stays when this is undone; the words shown or hidden go back.
    commitEdits();

    Prompter::Message question;
    question.text = QStringLiteral("Internes Zusatzprogramm zum setzen der Erweiterten Konfiguration immer "
                                   "aktivieren?\nNur für erfahrene "
                                   "Benutzer empfehlenswert.\n'Abbrechen' deaktiviert das "
                                   "Zusatzprogramm.\n'Ja' schaltet es für immer frei, "
                                   "'Nein' schaltet es bis zum Beenden frei.");
    question.caption = QStringLiteral("Erweiterte Konfiguration freischalten?");
    question.icon = Prompter::Icon::Error;
    question.buttons = {Prompter::Button::Yes, Prompter::Button::No, Prompter::Button::Cancel};
    question.defaultButton = Prompter::Button::Cancel;
    const Prompter::Button answer = env.prompter->message(question);

    // The choice is stored at once, so a crash cannot bring back an older state.
    auto store = [this](const char* name, int value) {
        env.settings->writeSetting(QLatin1String(name), SettingsStore::kSpecialFunctions,
                                   SettingsStore::DataKind::Int16, value, kFlagByteCount);
    };
    MenuItem& item = m.MainMenueExtras_ErweiterteKonfiguration;
    switch (answer) {
    case Prompter::Button::Yes:
        m.extendedConfigUnlocked = true;
        store("Konfiguration", 1);
        item.visible = true;
        item.checked = true;
        actions.aCheckSpecialFunctionsPanel();
        actions.aAlignPanels();
        m.unlockedForSessionOnly = false;
        break;
    case Prompter::Button::No:
        // Stored locked, so the next start is locked again.
        store("Konfiguration", 0);
        store("LetzteKonfiguration", 0);
        m.extendedConfigUnlocked = true;
        item.visible = true;
        item.checked = true;
        actions.aCheckSpecialFunctionsPanel();
        actions.aAlignPanels();
        m.unlockedForSessionOnly = true;
        break;
    default: // Abbrechen, or the box closed
        m.extendedConfigUnlocked = false;
        m.unlockedForSessionOnly = false;
        item.visible = false;
        item.checked = false;
        store("Konfiguration", 0);
        store("LetzteKonfiguration", 0);
        actions.aCheckSpecialFunctionsPanel();
        actions.aAlignPanels();
        break;
    }
    actions.aCheckSpecialFunctions();
    recordStep(undosteps::kExtended);
    return true;
}
