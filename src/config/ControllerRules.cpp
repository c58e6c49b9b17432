#include "config/ConfigActions.h"
#include "config/ControlTable.h"

namespace {

constexpr int kFirstStepFunction = 2; // items 2 and 3 drive a three-point step controller

// Rows of the PID group, top to bottom; the step-controller rows only for that set.
void layOutPidGroup(MainWindowModel& m, bool stepController) {
    m.lPIDdur.visible = m.nePIDdur.visible = stepController;
    m.lPIDthr.visible = m.nePIDthr.visible = stepController;
    for (Control* c : std::initializer_list<Control*>{
             &m.nePID_SP1, &m.lPID_SP1, &m.nePID_Proportional, &m.lPID_Proportional, &m.ne_PIDIntegral,
             &m.l_PIDIntegral, &m.nePID_Derivation, &m.lPID_Derivation, &m.nePID_CyC, &m.l_PID_CyC,
             &m.cbPID_Vorzugslage, &m.lPID_Vorzugslage})
        c->visible = true;
    controltable::stackRows(m, m.gpPIDRegler);
    const QString chosen = m.rgReglerFunktion.selectedText();
    m.gpPIDRegler.caption = chosen.isEmpty() ? QStringLiteral("PID-Regler") : chosen;
}

// Set point and proportional band follow the display's decimals; the times have fixed ones.
void setPidDigits(MainWindowModel& m) {
    for (NumericField* f : {&m.nePID_SP1, &m.nePID_Proportional, &m.ne_PIDIntegral, &m.nePID_Derivation,
                            &m.nePID_CyC, &m.nePIDdur, &m.nePIDthr})
        f->Vorkommastellen = 4;
    m.nePID_SP1.Nachkommastellen = m.neAnzeigeHigh.Nachkommastellen;
    m.nePID_Proportional.Nachkommastellen = m.neAnzeigeLow.Nachkommastellen;
    m.nePID_CyC.Nachkommastellen = 1;
    m.nePIDdur.Nachkommastellen = 1;
    m.nePIDthr.Nachkommastellen = 1;
}

} // namespace

QStringList ConfigActions::reglerFunktionItems() {
    return {QStringLiteral("PID-Regler heizen"), QStringLiteral("PID-Regler kühlen"),
            QStringLiteral("3-Punkt-Schritt-Regler heizen"), QStringLiteral("3-Punkt-Schritt-Regler kühlen")};
}

void ConfigActions::rgReglerFunktionClick() {
    aUpdateRegler();
}

void ConfigActions::aSetPID_Regler() {
    m.Panel1.visible = false;
    if (!m.hasPidController) {
        m.rgReglerFunktion.visible = false;
        m.gpPIDRegler.visible = false;
    } else {
        setPidDigits(m);
        // The PID group takes the place of switching output 1.
        m.gpOut1Parameter.visible = false;
        m.cbPID_Vorzugslage.setItemIndex(0);

        const QStringList all = reglerFunktionItems();
        const QStringList pidOnly = all.mid(0, 2);
        switch (outputCode()) {
        case 1:
            m.rgReglerFunktion.setItems(m.hasContinuousOutput ? pidOnly : all);
            m.rgReglerFunktion.enabled = true;
            m.rgReglerFunktion.visible = true;
            break;
        case 2:
        case 3:
            m.rgReglerFunktion.setItems(pidOnly);
            m.rgReglerFunktion.enabled = true;
            m.rgReglerFunktion.visible = true;
            break;
        default:
            m.rgReglerFunktion.visible = false;
            break;
        }
    }
    aAlignPanels();
    m.Panel1.visible = true;
}

void ConfigActions::aUpdateRegler() {
    const bool shown = m.rgReglerFunktion.visible && m.rgReglerFunktion.itemIndex >= 0;
    m.gpPIDRegler.enabled = shown;
    m.gpPIDRegler.visible = shown;
    if (shown) {
        if (m.rgReglerFunktion.itemIndex >= kFirstStepFunction)
            aOberflaeche3PunktSchritt();
        else
            aOberflaechePID();

        setPidDigits(m);
        m.ne_PIDIntegral.Nachkommastellen = 0;
        m.nePID_Derivation.Nachkommastellen = 0;

        const auto [lo, hi] = displayRange();
        clampValue(m.nePID_SP1, lo, hi);
        clampCounts(m.nePID_Proportional, 1, 9999);
        clampValue(m.ne_PIDIntegral, 0, 9999);
        clampValue(m.nePID_Derivation, 0, 9999);
        clampValue(m.nePID_CyC, 0.1, 320.0);
        clampValue(m.nePIDdur, 0.1, 999.9);
        clampValue(m.nePIDthr, 0, 20.0);
    }
    aAlignPanels();
    // Choosing a controller function may complete the configuration; disabling is
    // left to the output function and input rules.
    if (configurationComplete()) {
        m.miDatenspeichern.enabled = true;
        if (m.Konfigurationlesen1.enabled) m.miKonfigurationprogrammieren1.enabled = true;
    }
}

void ConfigActions::aOberflaechePID() {
    layOutPidGroup(m, false);
}

void ConfigActions::aOberflaeche3PunktSchritt() {
    layOutPidGroup(m, true);
}
