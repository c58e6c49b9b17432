#include "config/ConfigActions.h"
#include "config/ControlTable.h"
#include "config/NumberFormat.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr int kInterfaceMode = 8;
constexpr int kMinCounts = -1999;
constexpr int kMaxCounts = 9999;

int decimalPoint(const MainWindowModel& m) {
    return std::clamp(m.cpAnzeigeDp.itemIndex, 0, 3);
}

double scaleOf(int decimals) {
    return std::pow(10.0, decimals);
}

// Only the DVN 20 TB lets the user choose the transistor type of its switching outputs.
bool hasOutputTypeRows(const ModelEntry* model) {
    return model && model->family == kFamilyDvn20;
}

bool isAlarmCode(int code) {
    return code >= 3 && code <= 5;
}

void setUpSwitchingOutput2(MainWindowModel& m) {
    m.gpOut2Parameter.caption = QStringLiteral("Schaltausgang 2");
    m.lOut2Einschaltpunkt.caption = QStringLiteral("Einschaltpunkt");
    m.lOut2Ausschaltpunkt.caption = QStringLiteral("Ausschaltpunkt");
    m.neOut2Delay.Vorkommastellen = 1;
    m.neOut2Delay.Nachkommastellen = 2;
    m.lOut2Vorzugslage.visible = true;
    m.cbOut2Vorzugslage.visible = true;
}

// The alarm output has no preferred state and counts its delay in whole seconds.
void setUpAlarmOutput(MainWindowModel& m) {
    m.gpOut2Parameter.caption = QStringLiteral("Alarmausgang");
    m.lOut2Einschaltpunkt.caption = QStringLiteral("Max. Alarmgrenze");
    m.lOut2Ausschaltpunkt.caption = QStringLiteral("Min. Alarmgrenze");
    m.neOut2Delay.Vorkommastellen = 4;
    m.neOut2Delay.Nachkommastellen = 0;
    m.lOut2Vorzugslage.visible = false;
    m.cbOut2Vorzugslage.visible = false;
}

// Display range in counts of the last digit, rounded away from zero. A product
// such as 1.1 * 100 lands a hair above 110; that is still 110 counts, not 111.
int countsAwayFromZero(double value, int dp) {
    const double x = value * scaleOf(dp);
    const double nearest = std::round(x);
    double c = std::fabs(x - nearest) < 1e-6 ? nearest : (x >= 0 ? std::ceil(x) : std::floor(x));
    c = std::clamp(c, -1e9, 1e9);
    return static_cast<int>(c);
}

// In interface mode the instrument shows whatever the bus sends, so the switch
// points may use the whole display range.
void writeFullDisplayRange(MainWindowModel& m, QChar sep) {
    if (m.rgInput.itemIndex != kInterfaceMode) return;
    const double scale = scaleOf(decimalPoint(m));
    m.neAnzeigeHigh.text = NumberFormat::formatFixed(kMaxCounts / scale, 15, 4, sep);
    m.neAnzeigeLow.text = NumberFormat::formatFixed(kMinCounts / scale, 15, 4, sep);
}

} // namespace

int ConfigActions::outputCode() const {
    const int position = m.rgOutput.itemIndex;
    if (position < 0 || position >= m.rgOutput.items.size()) return -1;
    const ModelEntry* model = m.checkedModel();
    return catalogue::outputCode(model ? model->outputList : OutputList::Full, position);
}

std::pair<double, double> ConfigActions::displayRange() {
    const double low = fieldValue(m.neAnzeigeLow);
    const double high = fieldValue(m.neAnzeigeHigh);
    return {std::min(low, high), std::max(low, high)};
}

void ConfigActions::rgOutputClick() {
    aSetOutput();
    saveAndProgramRule();
}

void ConfigActions::aSetOutput() {
    m.Panel1.visible = false;
    m.gpOut1Parameter.visible = false;
    m.gpOut2Parameter.visible = false;
    m.rgReglerFunktion.visible = false;

    const int code = outputCode();
    if (code >= 1 && code <= 3) {
        m.gpOut1Parameter.visible = true;
        if (m.hasPidController) m.rgReglerFunktion.visible = true;
    }
    if (code == 2) {
        setUpSwitchingOutput2(m);
        m.gpOut2Parameter.visible = true;
    } else if (isAlarmCode(code)) {
        setUpAlarmOutput(m);
        m.gpOut2Parameter.visible = true;
    }

    const bool typeRows = hasOutputTypeRows(m.checkedModel());
    for (Control* c :
         std::initializer_list<Control*>{&m.lOut1Mode, &m.cbOut1Mode, &m.lOut2Mode, &m.cbOut2Mode})
        c->visible = typeRows;

    aSetPID_Regler();
    aSetAll();
    m.Panel1.visible = true;
}

void ConfigActions::aFormatXAOOut() {
    // Low end, high end, error state and filter, each label with its field.
    const std::array<Control*, 8> valueRows = {&m.gpAnalogOut1DAWlo,  &m.neDAC_Low,
                                               &m.gpAnalogOut1DAWhi,  &m.neDAC_High,
                                               &m.gpAnalogOut1DAWerr, &m.cbAnalogOut1Vorzugslage,
                                               &m.l_Out1DAFilter,     &m.neDAFilter};
    m.gpAnalogOut1.visible = true;
    m.cbStromAusgang.setItemIndex(0);
    m.cbStromAusgang.visible = true;
    for (Control* c : valueRows)
        c->visible = true;

    if (!m.hasCurrentOutput) {
        m.cbStromAusgang.visible = false;
        m.cbStromAusgang.setItemIndex(0);
    }

    // Only analog-like inputs (voltage, current, frequency, speed, flow) use the output filter.
    const int kind = m.rgInput.itemIndex;
    const bool filteredInput = kind == 0 || kind == 1 || kind == 4 || kind == 5 || kind == 9;
    if (m.hasAnalogOutput && !filteredInput) {
        m.l_Out1DAFilter.visible = false;
        m.neDAFilter.visible = false;
        m.neDAFilter.text = QStringLiteral("0");
    }

    if (m.hasContinuousOutput) {
        // The continuous output is driven by the controller: only its current range is set here.
        m.gpAnalogOut1.visible = true;
        m.cbStromAusgang.visible = true;
        m.cbStromAusgang.setItemIndex(0);
        for (Control* c : valueRows)
            c->visible = false;
        if (!m.hasCurrentOutput) m.gpAnalogOut1.visible = false;
    }

    controltable::stackRows(m, m.gpAnalogOut1);
}

void ConfigActions::aSetOut1Einschaltpunkt() {
    writeFullDisplayRange(m, separator());
    const auto [lo, hi] = displayRange();
    clampValue(m.neOut1Einschaltpunkt, lo, hi);
}

void ConfigActions::aSetOut1Ausschaltpunkt() {
    writeFullDisplayRange(m, separator());
    const auto [lo, hi] = displayRange();
    clampValue(m.neOut1Ausschaltpunkt, lo, hi);
}

void ConfigActions::aSetOut1Delay() {
    clampCounts(m.neOut1Delay, 1, 200);
}

void ConfigActions::aSetOut2Einschaltpunkt() {
    const QChar sep = separator();
    writeFullDisplayRange(m, sep);
    // Both limits are read below, so both must hold a number; the notice names
    // them as the switching output does, whatever the group shows.
    if (m.neOut2Einschaltpunkt.text.trimmed().isEmpty())
        emptyFieldNotice(m.neOut2Einschaltpunkt, QStringLiteral("Einschaltpunkt"));
    if (m.neOut2Ausschaltpunkt.text.trimmed().isEmpty())
        emptyFieldNotice(m.neOut2Ausschaltpunkt, QStringLiteral("Ausschaltpunkt"));

    const auto [lo, hi] = displayRange();
    NumericField& upper = m.neOut2Einschaltpunkt;
    if (!isAlarmCode(outputCode())) {
        clampValue(upper, lo, hi);
        return;
    }
    if (fieldValue(upper) > hi) {
        upper.text = NumberFormat::formatFixed(hi, upper.Vorkommastellen + upper.Nachkommastellen,
                                               upper.Nachkommastellen, sep);
        clampCounts(upper, kMinCounts, kMaxCounts);
    } else {
        // The upper limit never drops below the lower one. The lower limit is taken
        // as its own rule will leave it (inside the display range), so one refresh
        // ends with lo <= lower <= upper <= hi.
        const double lower = std::clamp(fieldValue(m.neOut2Ausschaltpunkt), lo, hi);
        clampValue(upper, lower, hi);
    }
}

void ConfigActions::aSetOut2Ausschaltpunkt() {
    const QChar sep = separator();
    writeFullDisplayRange(m, sep);
    if (m.neOut2Ausschaltpunkt.text.trimmed().isEmpty())
        emptyFieldNotice(m.neOut2Ausschaltpunkt, QStringLiteral("Ausschaltpunkt"));

    const auto [lo, hi] = displayRange();
    NumericField& lower = m.neOut2Ausschaltpunkt;
    if (!isAlarmCode(outputCode())) {
        clampValue(lower, lo, hi);
        return;
    }
    if (fieldValue(lower) < lo) {
        lower.text = NumberFormat::formatFixed(lo, lower.Vorkommastellen + lower.Nachkommastellen,
                                               lower.Nachkommastellen, sep);
        clampCounts(lower, kMinCounts, kMaxCounts);
    } else {
        clampValue(lower, lo, fieldValue(m.neOut2Einschaltpunkt));
    }
}

void ConfigActions::aSetOut2Delay() {
    // The alarm output's delay is whole seconds (the digits set with the group).
    if (isAlarmCode(outputCode()))
        clampCounts(m.neOut2Delay, 0, 9999);
    else
        clampCounts(m.neOut2Delay, 1, 200);
    m.lOut2Delay.caption = QStringLiteral("Verzögerung [sec]");
}

void ConfigActions::Action1() {
    m.neDAFilter.Vorkommastellen = 3;
    m.neDAFilter.Nachkommastellen = 0;
    m.neDAFilter.maxLength = 3;

    const int dp = decimalPoint(m);
    const int low = countsAwayFromZero(fieldValue(m.neAnzeigeLow), dp);
    const int high = countsAwayFromZero(fieldValue(m.neAnzeigeHigh), dp);
    const int lo = std::min(low, high);
    const int hi = std::max(low, high);
    clampCounts(m.neDAC_High, lo, hi);
    clampCounts(m.neDAC_Low, lo, hi);
    clampCounts(m.neDAFilter, 0, 200);
}

bool ConfigActions::configurationComplete() const {
    // Nothing is complete before the input side is: an input kind, and a sensor
    // unless the kind has none (interface mode).
    const int kind = m.rgInput.itemIndex;
    if (kind < 0 || (kind != kInterfaceMode && m.rgSensor.itemIndex < 0)) return false;

    const bool controllerOpen = m.rgReglerFunktion.visible;
    return !m.rgOutput.visible || outputCode() == 0 || (m.gpOut1Parameter.visible && !controllerOpen) ||
           (m.gpOut2Parameter.visible && !controllerOpen) || m.gpPIDRegler.visible;
}

const ItemList* ConfigActions::unchosenList() const {
    const int kind = m.rgInput.itemIndex;
    if (kind < 0) return &m.rgInput;
    if (kind != kInterfaceMode && m.rgSensor.itemIndex < 0) return &m.rgSensor;
    // Each list with the group it is shown in (nullptr: a radio group, its own frame).
    const std::pair<const ItemList*, const Control*> sent[] = {
        {&m.cpAnzeigeDp, &m.gpAnzeigeElemente},
        {&m.cbLimit, &m.gpAnzeigeElemente},
        {&m.cbEdge, &m.gpAnzeigeElemente},
        {&m.cbAnzeigeUnit, &m.gpAnzeigeElemente},
        {&m.rgOutput, nullptr},
        {&m.cbOut1Vorzugslage, &m.gpOut1Parameter},
        {&m.cbOut1Mode, &m.gpOut1Parameter},
        {&m.cbOut2Vorzugslage, &m.gpOut2Parameter},
        {&m.cbOut2Mode, &m.gpOut2Parameter},
        {&m.cbStromAusgang, &m.gpAnalogOut1},
        {&m.cbAnalogOut1Vorzugslage, &m.gpAnalogOut1},
        {&m.rgReglerFunktion, nullptr},
        {&m.cbPID_Vorzugslage, &m.gpPIDRegler},
    };
    for (const auto& [list, group] : sent)
        if (list->visible && (!group || group->visible) && list->itemIndex < 0) return list;
    return nullptr;
}

void ConfigActions::saveAndProgramRule() {
    const bool complete = configurationComplete();
    m.miDatenspeichern.enabled = complete;
    m.miKonfigurationprogrammieren1.enabled = complete && m.Konfigurationlesen1.enabled;
}
