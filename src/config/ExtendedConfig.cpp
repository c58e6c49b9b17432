#include "config/ConfigActions.h"

#include "config/ExtendedWords.h"

#include <array>

namespace {

std::array<TextField*, 4> wordFields(MainWindowModel& m) {
    return {&m.e_erw_Allgemein, &m.e_erw_Alarm, &m.e_erw_Schaltfunktion1, &m.e_erw_Schaltfunktion2};
}

bool wordKeyPress(const TextField& field, QChar key) {
    return extendedwords::keyAccepted(static_cast<int>(field.text.size()), key);
}

// Pasted text can be anything; a word that is no number is reported and
// replaced by 0 rather than carried on to the instrument.
void normaliseWordField(TextField& field, const Label& label, Prompter* prompter) {
    const QString typed = field.text;
    const extendedwords::Normalised n = extendedwords::normalise(typed);
    field.text = n.text;
    if (!n.wasNumber && prompter) {
        prompter->show(QStringLiteral("\"%1\" ist keine gültige Eingabe für \"%2\".\n"
                                      "Erlaubt sind ganze Zahlen von 0 bis 255. Das Feld wird auf 0 gesetzt.")
                           .arg(typed, label.caption),
                       QStringLiteral("Fehler"), Prompter::Icon::Error);
    }
}

} // namespace

bool ConfigActions::e_erw_AllgemeinKeyPress(QChar key) {
    return wordKeyPress(m.e_erw_Allgemein, key);
}
bool ConfigActions::e_erw_AlarmKeyPress(QChar key) {
    return wordKeyPress(m.e_erw_Alarm, key);
}
bool ConfigActions::e_erw_Schaltfunktion1KeyPress(QChar key) {
    return wordKeyPress(m.e_erw_Schaltfunktion1, key);
}
bool ConfigActions::e_erw_Schaltfunktion2KeyPress(QChar key) {
    return wordKeyPress(m.e_erw_Schaltfunktion2, key);
}

void ConfigActions::e_erw_AllgemeinExit() {
    normaliseWordField(m.e_erw_Allgemein, m.l_Erw_Allgemein, env.prompter);
}
void ConfigActions::e_erw_AlarmExit() {
    normaliseWordField(m.e_erw_Alarm, m.l_Erw_Alarm, env.prompter);
}

void ConfigActions::e_erw_Schaltfunktion1Exit() {
    normaliseWordField(m.e_erw_Schaltfunktion1, m.l_Erw_Schaltfunktion1, env.prompter);
    aCheckSpecialFunctionValidity();
}

void ConfigActions::aNormaliseSpecialFunctionEntries() {
    normaliseWordField(m.e_erw_Allgemein, m.l_Erw_Allgemein, env.prompter);
    normaliseWordField(m.e_erw_Alarm, m.l_Erw_Alarm, env.prompter);
    normaliseWordField(m.e_erw_Schaltfunktion1, m.l_Erw_Schaltfunktion1, env.prompter);
    normaliseWordField(m.e_erw_Schaltfunktion2, m.l_Erw_Schaltfunktion2, env.prompter);
}

void ConfigActions::e_erw_Schaltfunktion2Exit() {
    normaliseWordField(m.e_erw_Schaltfunktion2, m.l_Erw_Schaltfunktion2, env.prompter);
}

void ConfigActions::aCheckSpecialFunctionValidity() {
    const std::optional<int> word = extendedwords::parse(m.e_erw_Schaltfunktion1.text);
    if (!word) return; // nothing to judge; leaving the field reports such text
    const ModelEntry* model = m.checkedModel();
    const bool pidModel = model && model->hasPidController;
    const bool continuousModel = model && model->hasContinuousOutput;
    const bool fits = !((*word & extendedwords::kPidFunctionBit) && !pidModel) &&
                      !((*word & extendedwords::kContinuousOutputBit) && !continuousModel);
    if (fits) return;
    if (env.prompter) {
        env.prompter->show(
            QStringLiteral("Erweiterte Geräte-Einstellungen stimmen nicht mit dem Gewähltem Gerät überein!"),
            QStringLiteral("Fehler Aufgetreten"), Prompter::Icon::Error);
    }
    Datenlesen1Click();
}

void ConfigActions::MainMenueExtras_ErweiterteKonfigurationClick() {
    MenuItem& item = m.MainMenueExtras_ErweiterteKonfiguration;
    item.checked = !item.checked;
    // Switching the words on starts from a clean slate.
    if (item.checked) aRemoveSpecialFunctionEntries();
    aCheckSpecialFunctionsPanel();
    aAlignPanels();
}

void ConfigActions::aCheckSpecialFunctionsPanel() {
    MenuItem& item = m.MainMenueExtras_ErweiterteKonfiguration;
    // Extended words are never used with the DVN 20 TB.
    if (m.isChecked(ModelId::DVN20TB)) item.checked = false;
    if (m.extendedConfigUnlocked) {
        aMakeSpecialFunktionsEnabled();
        m.gb_ErweiterteKonfiguration.visible = true;
        if (item.checked)
            m.gb_ErweiterteKonfiguration.enabled = true;
        else
            m.gb_ErweiterteKonfiguration.visible = false;
    } else {
        aMakeSpecialFunktionsDisabled();
        // Words loaded from a file are shown read-only.
        m.gb_ErweiterteKonfiguration.visible = item.checked;
    }
}

void ConfigActions::aCheckSpecialFunctions() {
    MenuItem& item = m.MainMenueExtras_ErweiterteKonfiguration;
    if (m.extendedConfigUnlocked) {
        item.visible = true;
        if (m.lastExtendedConfigChecked) item.checked = true;
    } else {
        item.visible = false;
    }
    aCheckSpecialFunctionsPanel();
    aAlignPanels();
}

void ConfigActions::aRemoveSpecialFunctionEntries() {
    for (TextField* e : wordFields(m))
        e->text = QStringLiteral("0");
}

void ConfigActions::aMakeSpecialFunktionsEnabled() {
    for (TextField* e : wordFields(m))
        e->enabled = true;
}

void ConfigActions::aMakeSpecialFunktionsDisabled() {
    for (TextField* e : wordFields(m))
        e->enabled = false;
}
