#include "config/ConfigActions.h"

void ConfigActions::aCheckSpecialFunctionsPanel() {
    MenuItem& item = m.MainMenueExtras_ErweiterteKonfiguration;
    // Extended words are never used with the DVN 20 TB.
    if (m.isChecked(ModelId::DVN20TB))
        item.checked = false;
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
        if (m.lastExtendedConfigChecked)
            item.checked = true;
    } else {
        item.visible = false;
    }
    aCheckSpecialFunctionsPanel();
    aAlignPanels();
}

void ConfigActions::aRemoveSpecialFunctionEntries() {
    for (TextField* e : {&m.e_erw_Allgemein, &m.e_erw_Alarm, &m.e_erw_Schaltfunktion1, &m.e_erw_Schaltfunktion2})
        e->text = QStringLiteral("0");
}

void ConfigActions::aMakeSpecialFunktionsEnabled() {
    for (TextField* e : {&m.e_erw_Allgemein, &m.e_erw_Alarm, &m.e_erw_Schaltfunktion1, &m.e_erw_Schaltfunktion2})
        e->enabled = true;
}

void ConfigActions::aMakeSpecialFunktionsDisabled() {
    for (TextField* e : {&m.e_erw_Allgemein, &m.e_erw_Alarm, &m.e_erw_Schaltfunktion1, &m.e_erw_Schaltfunktion2})
        e->enabled = false;
}
