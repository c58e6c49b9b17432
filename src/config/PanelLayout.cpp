#include "config/ConfigActions.h"
#include "config/ControlTable.h"
#include "config/RowLayout.h"

#include <algorithm>

namespace {

constexpr int kGap = 7;              // space between groups
constexpr int kControllerDrop = 142; // controller, PID and analog groups start this far below the input list
constexpr int kColumn2 = 231;
constexpr int kColumn3 = 478;
constexpr int kSettingsFieldLeft = 232;
constexpr int kParkedTop = 246;       // output and PID groups before they are placed again
constexpr int kParkedAnalogTop = 510; // analog group before it is placed again
constexpr int kPanelHeight = 481;     // the panel as designed, above the status bar

// The DVN 20 TB takes its filter as a number; the other models as text with "oFF".
bool usesNumericFilter(const ModelEntry* model) {
    return model && model->family == kFamilyDvn20;
}

void hide(std::initializer_list<Control*> controls) {
    for (Control* c : controls)
        c->visible = false;
}

} // namespace

void ConfigActions::aSetAll() {
    // Park the shown output groups; aAlignPanels gives them their places.
    for (GroupBox* g : {&m.gpOut1Parameter, &m.gpOut2Parameter, &m.gpPIDRegler}) {
        if (g->visible) g->geometry.top = kParkedTop;
    }
    if (m.gpAnalogOut1.visible) m.gpAnalogOut1.geometry.top = kParkedAnalogTop;

    if (!m.rgReglerFunktion.visible) m.rgReglerFunktion.setItems(reglerFunktionItems());

    m.lOut1Delay.caption = QStringLiteral("Verzögerung [sec]");
    m.lOut2Delay.caption = QStringLiteral("Verzögerung [sec]");

    aSetUnit();
    aSetDp();
    aSetVorteiler();
    aSetMessbereichLow();
    aSetMessbereichHigh();
    aSetAnzeigeHigh();
    aSetAnzeigeLow();
    aSetFilter();
    aSetOut1Einschaltpunkt();
    aSetOut1Ausschaltpunkt();
    aSetOut1Delay();
    aSetOut2Einschaltpunkt();
    aSetOut2Ausschaltpunkt();
    aSetOut2Delay();
    Action1();
    repaintStatusBar();

    aUpdateRegler();
    aSetBoxHeight();
    aAlignPanels();
}

void ConfigActions::aAnzeigeElementeUnsichtbar() {
    m.cpAnzeigeDp.setItems(
        {QStringLiteral("0000"), QStringLiteral("000,0"), QStringLiteral("00,00"), QStringLiteral("0,000")});
    m.cpAnzeigeDp.setItemIndex(0);

    for (const ControlSpec* s : controltable::inside("gpAnzeigeElemente"))
        s->in(m).visible = false;
    m.gpAnalogOut1.visible = false;
    m.teFilter.geometry.left = kSettingsFieldLeft;

    m.StatusBar1.panels[2] = m.lMainCaption.caption;
    repaintStatusBar();
    m.lMainCaption.visible = false;
}

void ConfigActions::Datenlesen1Click() {
    m.source = {};
    aCheckSpecialFunctionsPanel();
    aAlignPanels();
    aAnzeigeElementeUnsichtbar();

    hide({&m.gpAnzeigeElemente, &m.rgSensor, &m.gpOut1Parameter, &m.gpOut2Parameter, &m.rgOutput});
    // A new configuration has no output function yet, so no controller either.
    hide({&m.rgReglerFunktion, &m.gpPIDRegler});
    m.gpPIDRegler.enabled = false;
    m.rgOutput.setItemIndex(0);
    m.rgInput.itemIndex = -1;
    m.rgInput.visible = true;

    m.miKonfigurationprogrammieren1.enabled = false;
    m.miDatenspeichern.enabled = false;
    m.lMainCaption.visible = true;
    aFitClientArea();
}

void ConfigActions::aSetBoxHeight() {
    m.Panel1.visible = false;

    if (m.gpAnzeigeElemente.visible) {
        // One filter row: the field the model does not use stays hidden.
        Control* unused = &m.neFilter;
        if (usesNumericFilter(m.checkedModel())) unused = &m.teFilter;
        unused->visible = false;
        controltable::stackRows(m, m.gpAnzeigeElemente, unused);
    }
    for (GroupBox* g : {&m.gpOut1Parameter, &m.gpOut2Parameter, &m.gpAnalogOut1}) {
        if (g->visible) controltable::stackRows(m, *g);
    }

    for (RadioGroup* rg : {&m.rgOutput, &m.rgReglerFunktion, &m.rgInput, &m.rgSensor}) {
        if (rg->visible)
            rg->geometry.height = RowLayout::radioGroupHeight(static_cast<int>(rg->items.size()));
    }

    m.Panel1.visible = true;
}

void ConfigActions::aAlignPanels() {
    const Control& ref = m.gb_ErweiterteKonfiguration.visible
                             ? static_cast<const Control&>(m.gb_ErweiterteKonfiguration)
                             : static_cast<const Control&>(m.lMainCaption);
    const int y1 = ref.geometry.bottom() + kGap;
    m.rgInput.geometry.top = y1;
    m.rgSensor.geometry.top = y1;
    m.gpAnzeigeElemente.geometry.top = y1;

    int y2 = y1 + m.rgInput.geometry.height + kGap;
    m.rgOutput.geometry.top = y2;
    m.gpOut1Parameter.geometry.top = y2;
    m.gpOut2Parameter.geometry.top = y2;

    const int y3 = y1 + m.rgInput.geometry.height + kControllerDrop;
    m.rgReglerFunktion.geometry.top = y3;
    m.gpPIDRegler.geometry.top = y3;
    m.gpAnalogOut1.geometry.top = y3;

    // Everything below the first row starts under the settings group.
    if (m.gpAnzeigeElemente.visible) y2 = std::max(y2, m.gpAnzeigeElemente.geometry.bottom() + kGap);

    if (m.rgOutput.visible) m.rgOutput.geometry.top = y2;
    if (m.gpOut1Parameter.visible) m.gpOut1Parameter.geometry.top = y2;

    // Output 2 goes to the third column beside output 1 or the PID group, else it
    // takes the second column itself.
    int t = y2;
    if (m.gpOut2Parameter.visible) {
        m.gpOut2Parameter.geometry.top = y2;
        if (m.gpOut1Parameter.visible || m.gpPIDRegler.visible) {
            m.gpOut2Parameter.geometry.left = kColumn3;
            t = y2 + m.gpOut2Parameter.geometry.height + kGap;
        } else {
            m.gpOut2Parameter.geometry.left = kColumn2;
        }
    }

    if (m.rgReglerFunktion.visible) m.rgReglerFunktion.geometry.top = m.rgOutput.geometry.bottom() + kGap;
    if (m.gpAnalogOut1.visible) m.gpAnalogOut1.geometry.top = m.gpOut2Parameter.visible ? t : y2;
    if (m.gpPIDRegler.visible)
        m.gpPIDRegler.geometry.top =
            m.gpOut1Parameter.visible ? m.gpOut1Parameter.geometry.bottom() + kGap : y2;
    aFitClientArea();
}

void ConfigActions::aFitClientArea() {
    int bottom = 0;
    for (const ControlSpec& s : controltable::all()) {
        const Control& c = s.in(m);
        if (!s.group && s.kind != ControlKind::Frame && c.visible) bottom = std::max(bottom, c.geometry.bottom());
    }
    m.Panel1.geometry.height = std::max(kPanelHeight, bottom + kGap);
    m.StatusBar1.geometry.top = m.Panel1.geometry.bottom() + 1;
    m.clientHeight = m.StatusBar1.geometry.bottom();
}

void ConfigActions::radioItemClick(RadioGroup& group, int index) {
    if (index == group.itemIndex) return;
    group.setItemIndex(index);
    if (&group == &m.rgInput)
        rgInputClick();
    else if (&group == &m.rgSensor)
        rgSensorClick();
    else if (&group == &m.rgOutput)
        rgOutputClick();
    else if (&group == &m.rgReglerFunktion)
        rgReglerFunktionClick();
}
