#include "tools/FlowCalculatorWindow.h"

#include "config/ConfigActions.h"
#include "config/NumberFormat.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

namespace {

const QStringList kFlowUnits = {QStringLiteral("l/min"), QStringLiteral("l/h"), QStringLiteral("m³/min"),
                                QStringLiteral("m³/h")};
constexpr int kPerCubicMetre = 1;  // item of `cbImpulsePro`
constexpr int kFrequencyInput = 4; // "Frequenz" in the main window's input list
constexpr int kMaxCounts = 9999;   // the instrument shows at most four digits
const QString kBlank = QStringLiteral("  ");
const QString kOverflowCaption = QStringLiteral("Fehler, Werteüberlauf");
const QString kUnusable = QStringLiteral("\nWerte können nicht verwendet werden!");

// Each value is stored in single precision, as the settings were always
// derived; the arithmetic of one step runs in double, so a whole result stays whole.
float single(double x) {
    if (std::isnan(x)) return std::numeric_limits<float>::quiet_NaN();
    if (x > FLT_MAX) return std::numeric_limits<float>::infinity();
    if (x < -FLT_MAX) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(x);
}

// The next whole frequency not below f, held to the 32-bit range.
int32_t wholeUp(float f) {
    const double up = std::ceil(static_cast<double>(f));
    if (!(up <= std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
    if (up < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(up);
}

void setLabel(Label& l, const char* name, const char* caption, Geometry g) {
    l.name = QLatin1String(name);
    l.caption = QString::fromUtf8(caption);
    l.geometry = g;
}

void setList(ComboBox& c, const char* name, const QStringList& items, Geometry g) {
    c.name = QLatin1String(name);
    c.setItems(items);
    c.setItemIndex(0);
    c.geometry = g;
}

} // namespace

FlowCalculatorWindow::FlowCalculatorWindow(ConfigActions& mainActions, Prompter& p, QChar separator)
    : mainWindow(mainActions), prompter(p), sep(separator) {
    setLabel(_lDaten_des_gebers, "_lDaten_des_gebers", "Daten des Gebers", {16, 8, 200, 16});
    setLabel(_lMessbereich_max, "_lMessbereich_max", "Meßbereich max.", {16, 36, 160, 16});
    eMax.name = QStringLiteral("eMax");
    eMax.text = QStringLiteral("1");
    eMax.geometry = {180, 32, 70, 21};
    setList(cbEinheit, "cbEinheit", kFlowUnits, {256, 32, 96, 21});
    setLabel(_lAnzahl_der_Impulse_Liter, "_lAnzahl_der_Impulse_Liter", "Anzahl der Impulse",
             {16, 64, 160, 16});
    eImpulszahl.name = QStringLiteral("eImpulszahl");
    eImpulszahl.text = QStringLiteral("1");
    eImpulszahl.geometry = {180, 60, 70, 21};
    setList(cbImpulsePro, "cbImpulsePro", {QStringLiteral("Impulse/l"), QStringLiteral("Impulse/m³")},
            {256, 60, 96, 21});
    setLabel(_lAusgangssignal, "_lAusgangssignal", "Ausgangssignal", {16, 92, 160, 16});
    setList(cbAusgangssignal, "cbAusgangssignal",
            {QStringLiteral("TTL  (aktives Signal)"), QStringLiteral("NPN  (Masse schaltend)"),
             QStringLiteral("PNP  (Plus schaltend)")},
            {180, 88, 172, 21});
    setLabel(_lAnzeigeoptionen, "_lAnzeigeoptionen", "Anzeigeoptionen", {16, 128, 200, 16});
    setLabel(_lAnzeigeeinheit, "_lAnzeigeeinheit", "Anzeigeeinheit", {16, 156, 160, 16});
    setList(cbAnzeigeeinheit, "cbAnzeigeeinheit", kFlowUnits, {180, 152, 96, 21});
    setLabel(_lAnzahl_der_Dezimalstellen, "_lAnzahl_der_Dezimalstellen", "Anzahl der Dezimalstellen",
             {16, 184, 160, 16});
    setList(
        cbDp, "cbDp",
        {QStringLiteral("0000"), QStringLiteral("000,0"), QStringLiteral("00,00"), QStringLiteral("0,000")},
        {180, 180, 96, 21});

    mKurzanleitung.name = QStringLiteral("mKurzanleitung");
    mKurzanleitung.geometry = {368, 8, 344, 300};
    mKurzanleitung.lines = {
        QStringLiteral("Kurzanleitung:"),
        QString(),
        QStringLiteral("1. Daten des Gebers eingeben:"),
        QStringLiteral("   - Meßbereich max. (Durchfluss bei Endwert)"),
        QStringLiteral("     mit seiner Einheit"),
        QStringLiteral("   - Anzahl der Impulse pro Liter oder pro m³"),
        QStringLiteral("   - Ausgangssignal des Gebers (TTL, NPN, PNP)"),
        QString(),
        QStringLiteral("2. Anzeigeoptionen wählen:"),
        QStringLiteral("   - Einheit, in der das Gerät anzeigen soll"),
        QStringLiteral("   - Anzahl der Dezimalstellen"),
        QString(),
        QStringLiteral("3. \"Einstellwerte zeigen\" drücken:"),
        QStringLiteral("   die berechneten Werte werden angezeigt."),
        QString(),
        QStringLiteral("4. \"Übernhemen\" drücken, um die Werte in das"),
        QStringLiteral("   Hauptprogramm zu übernehmen."),
        QString(),
        QStringLiteral("\"Abbrechen\" oder Schließen des Fensters"),
        QStringLiteral("beendet, ohne etwas zu übernehmen."),
    };

    pErgenisse.name = QStringLiteral("pErgenisse");
    pErgenisse.geometry = mKurzanleitung.geometry; // over the memo
    pErgenisse.visible = false;
    setLabel(_lEinstellwerte, "_lEinstellwerte", "Einstellwerte", {16, 8, 200, 16});
    struct RowDesign {
        ResultRow* row;
        const char* name;
        const char* caption;
    };
    const RowDesign design[] = {{&inp, "Inp", "InP"},     {&sens, "Sens", "SEnS"}, {&frlo, "Frlo", "Fr.Lo"},
                                {&frhi, "Frhi", "Fr.Hi"}, {&dp, "Dp", "dP"},       {&dilo, "Dilo", "di.Lo"},
                                {&dihi, "Dihi", "di.Hi"}, {&li, "Li", "Li"},       {&filt, "Filt", "Filt"}};
    int top = 36;
    for (const RowDesign& d : design) {
        d.row->name.name = QStringLiteral("_l") + QLatin1String(d.name);
        d.row->name.caption = QLatin1String(d.caption);
        d.row->name.geometry = {16, top, 60, 16};
        d.row->value.name = QStringLiteral("l") + QLatin1String(d.name);
        d.row->value.caption = kBlank;
        d.row->value.geometry = {90, top, 150, 16};
        top += 24;
    }

    bEinstellwerte_zeigen.name = QStringLiteral("bEinstellwerte_zeigen");
    bEinstellwerte_zeigen.caption = QStringLiteral("Einstellwerte zeigen");
    bEinstellwerte_zeigen.geometry = {16, 316, 130, 25};
    bDurchFlussMessungEinstellungUebernehmen.name =
        QStringLiteral("bDurchFlussMessungEinstellungUebernehmen");
    bDurchFlussMessungEinstellungUebernehmen.caption = QStringLiteral("Übernehmen");
    bDurchFlussMessungEinstellungUebernehmen.geometry = {156, 316, 90, 25};
    bDurchFlussMessungEinstellungUebernehmen.enabled = false;
    bDurchFlussMessungEinstellungAbbrechen.name = QStringLiteral("bDurchFlussMessungEinstellungAbbrechen");
    bDurchFlussMessungEinstellungAbbrechen.caption = QStringLiteral("Abbrechen");
    bDurchFlussMessungEinstellungAbbrechen.geometry = {256, 316, 90, 25};
}

// --- Events -----------------------------------------------------------------------------------

void FlowCalculatorWindow::FormCreate() {
    MainWindowModel& m = mainWindow.model();
    // A model without controller is selected afresh, so no output settings of an
    // earlier configuration remain next to the frequency input.
    if (const ModelEntry* e = m.checkedModel(); e && !e->hasPidController) mainWindow.selectModel(e->id);
    m.rgSensor.itemIndex = -1;
    mainWindow.aAnzeigeElementeUnsichtbar();
    mainWindow.aOberflaecheFrequenz();
    // Rows were shown and hidden: place them, as a shown settings group stays on screen.
    mainWindow.aSetBoxHeight();
    mainWindow.aAlignPanels();
    aVorbelegung();
    hideFiltRow();
}

void FlowCalculatorWindow::eMaxChange(const QString& text) {
    eMax.text = text;
    aEinstellwerteClear();
}

void FlowCalculatorWindow::eImpulszahlChange(const QString& text) {
    eImpulszahl.text = text;
    aEinstellwerteClear();
}

void FlowCalculatorWindow::cbEinheitChange(int index) {
    cbEinheit.setItemIndex(index);
    aEinstellwerteClear();
}

void FlowCalculatorWindow::cbImpulseProChange(int index) {
    cbImpulsePro.setItemIndex(index);
    aEinstellwerteClear();
}

void FlowCalculatorWindow::cbAusgangssignalChange(int index) {
    cbAusgangssignal.setItemIndex(index);
    aEinstellwerteClear();
}

void FlowCalculatorWindow::cbAnzeigeeinheitChange(int index) {
    cbAnzeigeeinheit.setItemIndex(index);
    aEinstellwerteClear();
}

void FlowCalculatorWindow::cbDpChange(int index) {
    cbDp.setItemIndex(index);
    aEinstellwerteClear();
}

void FlowCalculatorWindow::bEinstellwerte_zeigenClick() {
    aBerechnen();
    hideFiltRow();
}

void FlowCalculatorWindow::bDurchFlussMessungEinstellungUebernehmenClick() {
    // Values that failed their recomputation are blanks and defaults: hand over nothing.
    if (!aBerechnen()) return;
    MainWindowModel& m = mainWindow.model();
    // The main window is filled as a user would click it: the input kind, then
    // the sensor, so its settings group is shown and programming sends the new kind.
    m.rgInput.setItemIndex(kFrequencyInput);
    mainWindow.rgInputClick();
    m.rgSensor.setItemIndex(cbAusgangssignal.itemIndex);
    mainWindow.rgSensorClick();
    m.cpAnzeigeDp.setItemIndex(cbDp.itemIndex);
    mainWindow.aSetAll();
    m.neAnzeigeHigh.text = dihi.value.caption;
    mainWindow.aSetAll();
    m.neAnzeigeLow.text = dilo.value.caption;
    mainWindow.aSetAll();
    m.neMessbereichLow.text = frlo.value.caption;
    mainWindow.aSetAll();
    m.neMessbereichHigh.text = frhi.value.caption;
    mainWindow.aSetAll();
    m.cbLimit.setItemIndex(0);
    mainWindow.aSetAll();
    // Completed as when the user leaves the filter field, so the next refresh keeps it.
    m.teFilter.text = filt.value.caption;
    mainWindow.teFilterExit();
    hideFiltRow();
    handedOver = true;
    closeRequested = true;
}

void FlowCalculatorWindow::bDurchFlussMessungEinstellungAbbrechenClick() {
    closeRequested = true;
}

// --- Actions ----------------------------------------------------------------------------------

void FlowCalculatorWindow::aVorbelegung() {
    for (ComboBox* c : {&cbEinheit, &cbAusgangssignal, &cbAnzeigeeinheit, &cbDp, &cbImpulsePro})
        c->setItemIndex(0);
    hideFiltRow();
}

void FlowCalculatorWindow::aEinstellwerteClear() {
    for (ResultRow* r : rows())
        r->value.caption = kBlank;
    hideFiltRow();
}

float FlowCalculatorWindow::unitFactor(int index) {
    switch (index) {
    case 1:
        return 3600.0f; // l/h
    case 2:
        return 0.06f; // m³/min
    case 3:
        return 3.6f; // m³/h
    default:
        return 60.0f; // l/min, also for no selection
    }
}

FlowCalculatorWindow::Calculation FlowCalculatorWindow::calculate(float M, int unit, float P,
                                                                  int displayUnit) {
    const double a = unitFactor(unit);
    const double r = unitFactor(displayUnit);
    Calculation c;
    c.f = single(M / a * P);
    c.V = single(M * r / a);
    c.F = wholeUp(c.f);
    c.D = c.f > 0 ? single(static_cast<double>(c.F) * c.V / c.f) : 0.0f;
    return c;
}

bool FlowCalculatorWindow::aBerechnen() {
    hideFiltRow();
    const std::optional<float> M = positiveInput(eMax, _lMessbereich_max);
    if (!M) return false;
    const std::optional<float> pulses = positiveInput(eImpulszahl, _lAnzahl_der_Impulse_Liter);
    if (!pulses) return false;
    float P = *pulses;
    if (cbImpulsePro.itemIndex == kPerCubicMetre) P = single(P * 0.001);

    const Calculation c = calculate(*M, cbEinheit.itemIndex, P, cbAnzeigeeinheit.itemIndex);
    if (!(c.f > 0)) {
        // Only extreme inputs get here: the frequency vanishes in single precision.
        prompter.show(QStringLiteral("Die Eingaben ergeben keine Frequenz größer 0.") + kUnusable,
                      QStringLiteral("Fehler"), Prompter::Icon::Error);
        aEinstellwerteClear();
        backToInputs();
        return false;
    }

    const int decimals = std::clamp(cbDp.itemIndex, 0, 3);
    const QString dpText = cbDp.selectedText();
    inp.value.caption = QStringLiteral("FrEq");
    sens.value.caption = cbAusgangssignal.selectedText().left(3);
    frlo.value.caption = QStringLiteral("0");
    frhi.value.caption = QString::number(c.F);
    dp.value.caption = dpText;
    dilo.value.caption = QStringLiteral("0");
    dihi.value.caption = NumberFormat::formatFixed(c.D, 4, decimals, sep);
    li.value.caption = QStringLiteral("oFF");
    filt.value.caption = QStringLiteral("1");
    mKurzanleitung.visible = false;
    pErgenisse.visible = true;
    bDurchFlussMessungEinstellungUebernehmen.enabled = true;

    bool usable = true;
    if (c.D > kMaxCounts) {
        overflow(QStringLiteral("Wert für di.Hi überschreitet den Maximalwert 9999") + kUnusable);
        usable = false;
    } else if (static_cast<double>(c.D) * std::pow(10.0, decimals) > kMaxCounts) {
        // The display has four digits in all: with decimals the largest value shrinks.
        const QString largest =
            NumberFormat::formatFixed(kMaxCounts / std::pow(10.0, decimals), 4, decimals, sep);
        overflow(
            QStringLiteral("Wert für di.Hi überschreitet bei dP %1 den Maximalwert %2").arg(dpText, largest) +
            kUnusable);
        usable = false;
    }
    if (c.F > kMaxCounts) {
        overflow(QStringLiteral("Wert für Fr.Hi überschreitet den Maximalwert 9999") + kUnusable);
        usable = false;
    }
    hideFiltRow();
    return usable;
}

// --- Helpers ----------------------------------------------------------------------------------

std::optional<float> FlowCalculatorWindow::positiveInput(const TextField& field, const Label& label) {
    bool ok = false;
    const double value = NumberFormat::parseNumber(NumberFormat::withSeparator(field.text, sep), sep, &ok);
    if (ok && value > 0 && value <= FLT_MAX) {
        const float v = static_cast<float>(value);
        if (v > 0) return v;
    }
    prompter.show(
        QStringLiteral("\"%1\" ist keine gültige Eingabe für \"%2\".\nErlaubt sind Zahlen größer 0.")
                .arg(field.text, label.caption) +
            kUnusable,
        QStringLiteral("Fehler"), Prompter::Icon::Error);
    aEinstellwerteClear();
    backToInputs();
    return std::nullopt;
}

void FlowCalculatorWindow::overflow(const QString& text) {
    aEinstellwerteClear();
    aVorbelegung();
    prompter.show(text, kOverflowCaption);
    backToInputs();
}

void FlowCalculatorWindow::backToInputs() {
    mKurzanleitung.visible = true;
    pErgenisse.visible = false;
    bDurchFlussMessungEinstellungUebernehmen.enabled = false;
}

void FlowCalculatorWindow::hideFiltRow() {
    filt.name.visible = false;
    filt.value.visible = false;
}
