#include "config/ConfigActions.h"
#include "config/NumberFormat.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <utility>

namespace {

// Item indexes of `rgInput`.
enum InputKind {
    kVoltage = 0,
    kCurrent = 1,
    kResistance = 2,
    kThermocouple = 3,
    kFrequency = 4,
    kSpeed = 5,
    kUpCounter = 6,
    kDownCounter = 7,
    kInterface = 8,
    kFlow = 9,
};

const QString kCelsius = QStringLiteral("° C");
const QString kFahrenheit = QStringLiteral("° F");
constexpr int kTypeS = 1; // "Typ S (Pt10Rh-Pt)" in the thermocouple list

QStringList sensorItems(int kind) {
    const QStringList pulse = {QStringLiteral("TTL"), QStringLiteral("NPN"), QStringLiteral("PNP")};
    switch (kind) {
    case kVoltage:
        return {QStringLiteral("0 - 10 V"), QStringLiteral("0 - 2 V"), QStringLiteral("0 - 1 V"),
                QStringLiteral("0 - 50 mV")};
    case kCurrent:
        return {QStringLiteral("4 - 20 mA"), QStringLiteral("0 - 20 mA")};
    case kResistance:
        return {QStringLiteral("Pt100, 0.1K"), QStringLiteral("Pt100, 1K"), QStringLiteral("Pt1000")};
    case kThermocouple:
        return {QStringLiteral("Typ K (NiCr-Ni)"), QStringLiteral("Typ S (Pt10Rh-Pt)"),
                QStringLiteral("Typ N (NiCrSi-NiSi)"), QStringLiteral("Typ J (Fe-CuNi)"),
                QStringLiteral("Typ T (Cu-CuNi)")};
    case kFrequency:
    case kSpeed:
    case kUpCounter:
    case kDownCounter:
    case kFlow:
        return pulse;
    default:
        return {};
    }
}

// The DVN 20 TB keeps its filter in a numeric field and shows thermocouples in
// whole degrees only; every other model uses the "oFF" text field.
bool isDvn20(const MainWindowModel& m) {
    const ModelEntry* e = m.checkedModel();
    return e && e->family == kFamilyDvn20;
}

bool hasOutputFunctions(const MainWindowModel& m) {
    const ModelEntry* e = m.checkedModel();
    return !e || e->outputList != OutputList::None;
}

void showRow(Control& label, Control& field, bool shown = true) {
    label.visible = shown;
    field.visible = shown;
}

bool isSeparatorKey(QChar c) {
    return c == u'.' || c == u',';
}

} // namespace

// ---------------------------------------------------------------------------------------
// Field clamp rule
// ---------------------------------------------------------------------------------------

QChar ConfigActions::separatorFor(const NumericField& f) {
    if (cachedSeparator) return *cachedSeparator;
    if (env.readSeparator && !separatorUnreadable) {
        if (const auto read = env.readSeparator()) {
            cachedSeparator = read;
            return *read;
        }
        // Reported once by the settings store; the fields' own separator serves for the rest of the run.
        separatorUnreadable = true;
    }
    return f.Seperator.isEmpty() ? QChar(u'.') : f.Seperator.at(0);
}

QChar ConfigActions::separator() {
    return separatorFor(m.neFilter);
}

void ConfigActions::resetSeparatorCache() {
    cachedSeparator.reset();
    separatorUnreadable = false;
}

void ConfigActions::emptyFieldNotice(NumericField& f, const QString& nameInMessage) {
    Prompter::Message msg;
    msg.text = nameInMessage +
               QStringLiteral(" wird auf 0 gesetzt da keine Eingabe im Feld\nAndere Werte (wie z.B. "
                              "Min/Max-Grenzen) können dadurch ebenfalls geändert werden\nProgramm wird "
                              "fortgesetzt");
    msg.caption = QStringLiteral("Hinweis");
    if (env.prompter) env.prompter->message(msg);
    f.text = NumberFormat::formatFixed(0.0, 15, 4, separatorFor(f));
}

void ConfigActions::clampCounts(NumericField& f, int lowCounts, int highCounts) {
    const double scale = std::pow(10.0, f.Nachkommastellen);
    clampValue(f, lowCounts / scale, highCounts / scale);
}

void ConfigActions::clampValue(NumericField& f, double low, double high) {
    const QChar sep = separatorFor(f);
    if (f.text.trimmed().isEmpty()) emptyFieldNotice(f, f.name);

    bool ok = false;
    double value = NumberFormat::parseNumber(NumberFormat::withSeparator(f.text, sep), sep, &ok);
    if (!ok) {
        // A lone sign or pasted text is no number: treat it like an empty field
        // rather than guessing a value.
        emptyFieldNotice(f, f.name);
        value = 0.0;
    }
    if (value > high) value = high;
    if (value < low) value = low;
    f.text =
        NumberFormat::formatFixed(value, f.Vorkommastellen + f.Nachkommastellen, f.Nachkommastellen, sep);
}

// ---------------------------------------------------------------------------------------
// Events
// ---------------------------------------------------------------------------------------

void ConfigActions::rgInputClick() {
    m.miKonfigurationprogrammieren1.enabled = false;
    m.miDatenspeichern.enabled = false;
    aSetInput();
    aSetAll();
    aAlignPanels();
    // Programming sends the input kind only once the user has chosen one.
    m.inputKindChanged = true;
}

void ConfigActions::rgSensorClick() {
    aSetSensor();
    aAlignPanels();
}

void ConfigActions::cpAnzeigeDpChange() {
    aSetDp();
    aSetAll();
}

void ConfigActions::numericFieldExit() {
    aSetAll();
}

void ConfigActions::numericFieldEnter() {
    aSetAll();
}

void ConfigActions::pm_MessbereichAnzeigenClick() {
    if (env.prompter)
        env.prompter->showDocument((env.manualFolder.isEmpty()
                                        ? env.currentDirectory + QStringLiteral("/Manual")
                                        : env.manualFolder) +
                                   QStringLiteral("/OEM_Messbereiche.html"));
}

// ---------------------------------------------------------------------------------------
// Input kind and sensor
// ---------------------------------------------------------------------------------------

namespace {

// Which rows of "Einstellwerte" an input kind shows; everything else stays hidden.
void layoutForKind(ConfigActions& a, MainWindowModel& m, int kind) {
    a.aAnzeigeElementeUnsichtbar();
    const bool unitExtra = m.MainMenueExtrasAnzeigeeinheit.checked;
    auto dp = [&] { showRow(m.lAnzeigeDp, m.cpAnzeigeDp); };
    auto displayLow = [&] { showRow(m.lAnzeigeLow, m.neAnzeigeLow); };
    auto displayHigh = [&] { showRow(m.lAnzeigeHigh, m.neAnzeigeHigh); };
    auto extra = [&] { showRow(m.l_AnzeigeEinheit, m.cb_AnzeigeEinheit, unitExtra); };
    auto limit = [&] { showRow(m.lLimit, m.cbLimit); };
    auto filter = [&] {
        const bool numeric = isDvn20(m);
        m.lFilter_or_edge.visible = true;
        m.neFilter.visible = numeric;
        m.teFilter.visible = !numeric;
    };
    auto rangeLow = [&] { showRow(m.lMessbereichLow, m.neMessbereichLow); };
    auto rangeHigh = [&] { showRow(m.lMessbereichHigh, m.neMessbereichHigh); };
    auto preDivider = [&] { showRow(m.lVorteiler, m.neVorteiler); };
    auto unit = [&] { showRow(m.lAnzeigeUnit, m.cbAnzeigeUnit); };
    auto edge = [&] { showRow(m.lEdge, m.cbEdge); };

    switch (kind) {
    case kVoltage:
    case kCurrent:
        dp();
        displayLow();
        displayHigh();
        extra();
        limit();
        filter();
        break;
    case kResistance:
        unit();
        filter();
        break;
    case kThermocouple: {
        unit();
        filter();
        m.cpAnzeigeDp.setItems({QStringLiteral("0000"), QStringLiteral("000,0")});
        m.cpAnzeigeDp.setItemIndex(0);
        // Typ S and the DVN 20 TB show whole degrees only.
        const bool wholeDegrees = isDvn20(m) || m.rgSensor.itemIndex == kTypeS;
        showRow(m.lAnzeigeDp, m.cpAnzeigeDp, !wholeDegrees);
        break;
    }
    case kFrequency:
        rangeLow();
        rangeHigh();
        dp();
        displayLow();
        displayHigh();
        limit();
        filter();
        break;
    case kSpeed:
        preDivider();
        dp();
        break;
    case kUpCounter:
    case kDownCounter:
        edge();
        preDivider();
        rangeHigh();
        dp();
        displayHigh();
        limit();
        showRow(m.lAnzeigeUnit, m.cbAnzeigeUnit, false);
        break;
    case kInterface:
        dp();
        extra();
        m.rgSensor.visible = false;
        m.gpAnzeigeElemente.visible = true;
        break;
    case kFlow:
        preDivider();
        unit();
        dp();
        filter();
        break;
    default:
        break;
    }
    m.lMainCaption.visible = true;
}

} // namespace

void ConfigActions::aOberflaecheFrequenz() {
    layoutForKind(*this, m, kFrequency);
}

void ConfigActions::aSetInput() {
    m.Panel1.visible = false;
    m.miKonfigurationprogrammieren1.enabled = false;
    m.miDatenspeichern.enabled = false;

    m.gpAnzeigeElemente.visible = false;
    m.rgSensor.setItems({});
    m.rgSensor.visible = false;
    m.rgOutput.visible = false;
    m.rgOutput.setItemIndex(0);
    m.gpOut1Parameter.visible = false;
    m.gpOut2Parameter.visible = false;
    // The output function is back at "no", so no controller function or PID group belongs to it.
    m.rgReglerFunktion.visible = false;
    m.gpPIDRegler.visible = false;
    showRow(m.l_AnzeigeEinheit, m.cb_AnzeigeEinheit, false);

    for (ComboBox* c : {&m.cpAnzeigeDp, &m.cbLimit, &m.cbEdge, &m.cbOut1Mode, &m.cbOut1Vorzugslage,
                        &m.cbOut2Mode, &m.cbOut2Vorzugslage})
        c->setItemIndex(0);
    if (m.cbAnzeigeUnit.itemIndex != 1) m.cbAnzeigeUnit.setItemIndex(0);

    const int kind = m.rgInput.itemIndex;
    if (kind == kInterface) {
        layoutForKind(*this, m, kind);
        m.rgOutput.visible = hasOutputFunctions(m);
        if (m.hasAnalogOutput) aFormatXAOOut();
        if (m.Konfigurationlesen1.enabled) m.miKonfigurationprogrammieren1.enabled = true;
        m.miDatenspeichern.enabled = true;
    } else if (kind >= 0) {
        m.rgSensor.setItems(sensorItems(kind));
        layoutForKind(*this, m, kind);
        m.rgSensor.visible = true;
        if (kind == kSpeed || kind == kUpCounter)
            m.neAnzeigeLow.text = QStringLiteral("0");
        else if (kind == kDownCounter)
            m.neAnzeigeLow.text = QStringLiteral("-1999");
    }

    aAlignPanels();
    m.Panel1.visible = true;
}

void ConfigActions::aSetSensor() {
    m.Panel1.visible = false;
    showRow(m.lAnzeigeUnit, m.cbAnzeigeUnit, false);
    m.cbAnzeigeUnit.setItems({kCelsius, kFahrenheit});
    m.cbAnzeigeUnit.setItemIndex(0);
    m.lVorteiler.caption = QStringLiteral("Vorteiler");

    const int kind = m.rgInput.itemIndex;
    const int sensor = m.rgSensor.itemIndex;
    auto labels = [&](const char* high, const char* low) {
        m.lAnzeigeHigh.caption = QString::fromUtf8(high);
        m.lAnzeigeLow.caption = QString::fromUtf8(low);
    };
    switch (kind) {
    case kVoltage: {
        static const std::array<std::pair<const char*, const char*>, 4> texts{{
            {"Anzeige bei 10V", "Anzeige bei 0V"},
            {"Anzeige bei 2V", "Anzeige bei 0V"},
            {"Anzeige bei 1V", "Anzeige bei 0V"},
            {"Anzeige bei 50mV", "Anzeige bei 0mV"},
        }};
        if (sensor >= 0 && sensor < static_cast<int>(texts.size()))
            labels(texts[sensor].first, texts[sensor].second);
        break;
    }
    case kCurrent:
        if (sensor == 0)
            labels("Anzeige bei 20mA", "Anzeige bei 4mA");
        else if (sensor == 1)
            labels("Anzeige bei 20mA", "Anzeige bei 0mA");
        break;
    case kResistance:
        showRow(m.lAnzeigeUnit, m.cbAnzeigeUnit);
        break;
    case kThermocouple: {
        m.cpAnzeigeDp.setItems({QStringLiteral("0000"), QStringLiteral("000,0")});
        m.cpAnzeigeDp.setItemIndex(0);
        const bool wholeDegrees = isDvn20(m) || sensor == kTypeS;
        showRow(m.lAnzeigeDp, m.cpAnzeigeDp, !wholeDegrees);
        showRow(m.lAnzeigeUnit, m.cbAnzeigeUnit);
        break;
    }
    case kFrequency:
        m.lMessbereichHigh.caption = QStringLiteral("höchste Frequenz");
        m.lAnzeigeHigh.caption = QStringLiteral("Anzeige bei höchster Frequenz");
        m.lAnzeigeLow.caption = QStringLiteral("Anzeige bei niedrigster Frequenz");
        break;
    case kSpeed:
        break;
    case kUpCounter:
    case kDownCounter:
        showRow(m.lAnzeigeUnit, m.cbAnzeigeUnit, false);
        m.lMessbereichHigh.caption = QStringLiteral("Obere Zählbereichsgrenze");
        m.lAnzeigeHigh.caption = QStringLiteral("Obere Anzeigebereichsgrenze");
        break;
    case kInterface:
        m.miDatenspeichern.enabled = true;
        break;
    case kFlow:
        m.cbAnzeigeUnit.setItems({QStringLiteral("l/sec"), QStringLiteral("l/hr"), QStringLiteral("l/min")});
        m.cbAnzeigeUnit.setItemIndex(0);
        m.lVorteiler.caption = QStringLiteral("Pulse pro Liter");
        m.teFilter.text = QStringLiteral("0");
        m.neFilter.text = QStringLiteral("0");
        showRow(m.lAnzeigeUnit, m.cbAnzeigeUnit);
        break;
    default:
        break;
    }
    if (kind >= 0) m.gpAnzeigeElemente.visible = true;

    m.rgOutput.visible = hasOutputFunctions(m);
    if (m.hasAnalogOutput) aFormatXAOOut();
    aSetAll();
    saveAndProgramRule();
    m.Panel1.visible = true;
}

// ---------------------------------------------------------------------------------------
// Setters run by the whole-form refresh
// ---------------------------------------------------------------------------------------

void ConfigActions::aSetDp() {
    m.Panel1.visible = false;
    const int dp = std::clamp(m.cpAnzeigeDp.itemIndex, 0, 3);
    for (NumericField* f :
         {&m.neAnzeigeHigh, &m.neAnzeigeLow, &m.neOut1Einschaltpunkt, &m.neOut1Ausschaltpunkt,
          &m.neOut2Einschaltpunkt, &m.neOut2Ausschaltpunkt, &m.neDAC_Low, &m.neDAC_High}) {
        f->Vorkommastellen = 4 - dp;
        f->Nachkommastellen = dp;
    }
    m.Panel1.visible = true;
}

void ConfigActions::aSetUnit() {
    const int kind = m.rgInput.itemIndex;
    const int sensor = m.rgSensor.itemIndex;
    if (kind != kResistance && kind != kThermocouple) return;
    m.Panel1.visible = false;

    std::optional<std::pair<float, float>> range;
    if (kind == kResistance) {
        if (sensor == 0) {
            m.cpAnzeigeDp.setItemIndex(1);
            range = {-50.0f, 200.0f};
        } else if (sensor == 1 || sensor == 2) {
            m.cpAnzeigeDp.setItemIndex(0);
            range = {-200.0f, 850.0f};
        }
    } else if (sensor >= 0 && sensor < 5) {
        // K, S, N, J, T
        static constexpr float wholeLow[5] = {-270, -50, -270, -170, -270};
        static constexpr float wholeHigh[5] = {1372, 1750, 1350, 950, 400};
        static constexpr float tenthLow[5] = {-70.0f, -50, -100.0f, -70.0f, -70.0f};
        static constexpr float tenthHigh[5] = {250.0f, 1750, 300.0f, 300.0f, 200.0f};
        if (isDvn20(m) || m.cpAnzeigeDp.itemIndex == 0) {
            range = {wholeLow[sensor], wholeHigh[sensor]};
        } else {
            m.cpAnzeigeDp.setItemIndex(1);
            range = {tenthLow[sensor], tenthHigh[sensor]};
        }
    }

    if (range) {
        auto [low, high] = *range;
        if (m.cbAnzeigeUnit.selectedText() == kFahrenheit) {
            // Single precision on purpose: the instrument's own conversion works in it.
            low = low * 9.0f / 5.0f + 32.0f;
            high = high * 9.0f / 5.0f + 32.0f;
        }
        const QChar sep = separatorFor(m.neAnzeigeLow);
        m.neAnzeigeLow.text = NumberFormat::formatShortest(low, sep);
        m.neAnzeigeHigh.text = NumberFormat::formatShortest(high, sep);
    }
    aAlignPanels();
    m.Panel1.visible = true;
}

double ConfigActions::fieldValue(const NumericField& f) {
    const QChar sep = separatorFor(f);
    return NumberFormat::parseNumber(NumberFormat::withSeparator(f.text, sep), sep);
}

void ConfigActions::aSetVorteiler() {
    const int kind = m.rgInput.itemIndex;
    clampCounts(m.neVorteiler, 1, kind == kFlow ? 9999 : 1000);
    if (kind == kSpeed) {
        // Speed is shown over the full display range, whatever was typed.
        m.neAnzeigeLow.text = QStringLiteral("0");
        m.neAnzeigeHigh.text = QStringLiteral("9999");
    }
}

void ConfigActions::aSetMessbereichLow() {
    const double low = m.rgInput.itemIndex == kFrequency ? 0.0 : -1999.0;
    // Held to the display counts as well: a pasted or loaded high end above them
    // would otherwise carry the low end with it and lock both beyond 9999.
    const double countsTop = 9999 / std::pow(10.0, m.neMessbereichLow.Nachkommastellen);
    clampValue(m.neMessbereichLow, low, std::min(fieldValue(m.neMessbereichHigh), countsTop));
}

void ConfigActions::aSetMessbereichHigh() {
    const int kind = m.rgInput.itemIndex;
    if (kind == kUpCounter || kind == kDownCounter) {
        clampCounts(m.neMessbereichHigh, 0, 9999);
    } else {
        const double scale = std::pow(10.0, m.neMessbereichHigh.Nachkommastellen);
        clampValue(m.neMessbereichHigh, fieldValue(m.neMessbereichLow), 9999 / scale);
    }
}

void ConfigActions::aSetAnzeigeHigh() {
    clampCounts(m.neAnzeigeHigh, -1999, 9999);
}

void ConfigActions::aSetAnzeigeLow() {
    clampCounts(m.neAnzeigeLow, -1999, 9999);
}

void ConfigActions::aSetFilter() {
    m.Panel1.visible = false;
    clampCounts(m.neFilter, isDvn20(m) ? 1 : 0, 200);
    const QString& t = m.neFilter.text;
    m.teFilter.text = t == QStringLiteral("0,00") || t == QStringLiteral("0.00") ? QStringLiteral("oFF") : t;
    m.Panel1.visible = true;
}

// ---------------------------------------------------------------------------------------
// Filter text field: a value d<sep>dd up to 2.00, or "oFF"
// ---------------------------------------------------------------------------------------

bool ConfigActions::teFilterKeyPress(QChar key) {
    const QChar sep = separatorFor(m.neFilter);
    const QString off = QStringLiteral("oFF");
    const QString two = QStringLiteral("2") + sep + QStringLiteral("00");
    QString& t = m.teFilter.text;

    if (key == u'o' || key == u'O') {
        t = off;
        return true;
    }
    if (key == QChar(8)) { // Backspace: the caret is taken to stand at the end
        if (t == off)
            t.clear();
        else
            t.chop(1);
        return true;
    }
    const bool digit = key >= u'0' && key <= u'9';
    if (!digit && !isSeparatorKey(key) && key != QChar(13)) return false;

    if (t == off) // typing over "oFF" starts a new value
        t.clear();
    if (t.isEmpty()) {
        if (key == QChar(13))
            t = off;
        else if (isSeparatorKey(key))
            t = QStringLiteral("0") + sep;
        else if (key <= u'1')
            t = QString(key) + sep;
        else
            t = two;
        return true;
    }
    if (key == QChar(13)) return true;

    const bool hasSep = t.size() >= 2 && isSeparatorKey(t.at(1));
    if (!hasSep) {
        // A single digit left by Backspace.
        if (t.at(0) >= u'2')
            t = two;
        else if (isSeparatorKey(key))
            t += sep;
        else
            t += sep + QString(key);
        return true;
    }
    const bool full = t.size() >= 4 || (m.teFilter.maxLength > 0 && t.size() >= m.teFilter.maxLength);
    if (isSeparatorKey(key) || full) return false;
    if (t.at(0) >= u'2') {
        t = two;
        return true;
    }
    t += key;
    return true;
}

void ConfigActions::teFilterExit() {
    const QChar sep = separatorFor(m.neFilter);
    const QString off = QStringLiteral("oFF");
    QString& t = m.teFilter.text;

    if (t.isEmpty() || t == QStringLiteral("0")) {
        t = off;
    } else if (t.size() == 1) {
        const QChar c = t.at(0);
        if (isSeparatorKey(c) || c == u'o' || c == u'O')
            t = off;
        else if (c >= u'2' && c <= u'9')
            t = QStringLiteral("2") + sep + QStringLiteral("00");
        else if (c == u'1')
            t += sep + QStringLiteral("00");
    } else if (t.size() == 2) {
        t += QStringLiteral("00");
    } else if (t.size() == 3 && t != off) {
        t += QStringLiteral("0");
    }

    if (t == off || t == QStringLiteral("0,00") || t == QStringLiteral("0.00"))
        m.neFilter.text = QStringLiteral("0") + sep + QStringLiteral("00");
    else
        m.neFilter.text = t;
    aSetFilter();
}

// ---------------------------------------------------------------------------------------
// Display unit extra
// ---------------------------------------------------------------------------------------

void ConfigActions::aPopulateAnzeigeEinheit() {
    ComboBox& cb = m.cb_AnzeigeEinheit;
    if (cb.items.size() < 20) {
        // Rebuilt rather than appended, so a short list never collects duplicates;
        // without the library the list is left as it is.
        const QStringList units = env.unitTexts ? env.unitTexts() : QStringList();
        if (!units.isEmpty()) {
            const int keep = cb.itemIndex;
            cb.setItems(units);
            cb.setItemIndex(keep);
        }
    }
    if (cb.itemIndex < 0 && !cb.items.isEmpty()) cb.itemIndex = 0;
}

bool ConfigActions::hasDisplayUnitRow(int inputKind) {
    return inputKind == kCurrent || inputKind == kVoltage || inputKind == kInterface;
}

void ConfigActions::MainMenueExtrasAnzeigeeinheitClick() {
    MenuItem& item = m.MainMenueExtrasAnzeigeeinheit;
    item.checked = !item.checked;
    if (item.checked) {
        aPopulateAnzeigeEinheit();
        if (hasDisplayUnitRow(m.rgInput.itemIndex))
            showRow(m.l_AnzeigeEinheit, m.cb_AnzeigeEinheit);
    } else {
        showRow(m.l_AnzeigeEinheit, m.cb_AnzeigeEinheit, false);
    }
    aSetAll();
}
