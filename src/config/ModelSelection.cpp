#include "config/ConfigActions.h"

namespace {

// The extended-word panel check unchecks the feature while the DVN 20 TB is the
// checked model, so for that model it has to wait until its item is checked.
bool checksPanelAfterStoring(const ModelEntry& e) {
    return e.family == kFamilyDvn20;
}

} // namespace

void ConfigActions::selectModel(ModelId id) {
    const ModelEntry& e = catalogue::entry(id);
    m.source = {}; // a new model starts a configuration of its own

    m.miKonfigurationprogrammieren1.enabled = false;
    m.miDatenspeichern.enabled = false;

    m.hasAnalogOutput = e.hasAnalogOutput;
    if (!checksPanelAfterStoring(e)) aCheckSpecialFunctionsPanel();

    m.hasCurrentOutput = e.hasCurrentOutput;
    m.hasVoltageOutput = e.hasVoltageOutput;

    aAnzeigeElementeUnsichtbar();

    const QString designation = QString::fromUtf8(e.designation);
    if (e.hasAnalogOutput && *e.daHighLabel) {
        m.gpAnalogOut1DAWhi.caption = QString::fromUtf8(e.daHighLabel);
        m.gpAnalogOut1DAWlo.caption = QString::fromUtf8(e.daLowLabel);
    }
    m.lMainCaption.caption = designation;
    m.lMainCaption.visible = true;
    m.MainMenueDurchflussMessung.enabled = true;

    for (MenuItem& item : m.modelItems)
        item.checked = false;
    m.modelItem(id).checked = true;

    m.modelCode = e.code;
    if (checksPanelAfterStoring(e)) aCheckSpecialFunctionsPanel();

    m.rgInput.setItems(catalogue::inputKinds(e.inputKindCount));

    if (e.hasAnalogOutput && *e.analogCaption) m.gpAnalogOut1.caption = QString::fromUtf8(e.analogCaption);

    for (Control* c : std::initializer_list<Control*>{&m.gpAnzeigeElemente, &m.rgSensor, &m.gpOut1Parameter,
                                                      &m.gpOut2Parameter, &m.rgOutput})
        c->visible = false;
    m.rgInput.itemIndex = -1;
    m.rgInput.visible = true;

    m.rgOutput.setItems(catalogue::outputItems(e.outputList));

    if (e.hasAnalogOutput && e.failSafeItems[0] && e.failSafeItems[1]) {
        m.cbAnalogOut1Vorzugslage.setItems(
            {QString::fromUtf8(e.failSafeItems[0]), QString::fromUtf8(e.failSafeItems[1])});
        m.cbAnalogOut1Vorzugslage.setItemIndex(0);
    }

    m.StatusBar1.panels[2] = designation;
    repaintStatusBar();

    m.hasPidController = e.hasPidController;
    m.hasContinuousOutput = e.hasContinuousOutput;

    m.rgReglerFunktion.visible = false;
    m.gpPIDRegler.visible = false;

    aSetAll();
}

void ConfigActions::menuModelClick(const QString& menuItemName) {
    QString name = menuItemName;
    if (name.endsWith(QLatin1String("Click"))) name.chop(5);
    if (const ModelEntry* e = catalogue::byMenuItem(name)) selectModel(e->id);
}

void ConfigActions::restoreStoredModel(int32_t code) {
    const ModelId id = catalogue::modelForStoredCode(code);
    m.modelItem(id).checked = true;
    selectModel(id);
}
