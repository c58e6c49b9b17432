#include "config/ControlTable.h"

#include "config/RowLayout.h"

#include <cstring>
#include <vector>

namespace {

using M = MainWindowModel;
using K = ControlKind;

template <auto Member> Control& ctl(M& m) {
    return m.*Member;
}

#define TOP(n, kind) ControlSpec{#n, kind, &ctl<&M::n>}
#define IN(n, kind, g) ControlSpec{#n, kind, &ctl<&M::n>, #g}
// A row of a group: the label (if any) first, then its field, which names the label.
#define LABEL(n, g, r) ControlSpec{#n, K::Label, &ctl<&M::n>, #g, r}
#define FIELD(n, kind, g, r, l) ControlSpec{#n, kind, &ctl<&M::n>, #g, r, &M::l}
#define KEYED(n, kind, g, r, l) ControlSpec{#n, kind, &ctl<&M::n>, #g, r, &M::l, true}

// clang-format off
const ControlSpec kTable[] = {
    TOP(Panel1, K::Frame),
    TOP(StatusBar1, K::Frame),
    TOP(lMainCaption, K::Label),

    TOP(rgInput, K::Radio),
    TOP(rgSensor, K::Radio),

    TOP(gpAnzeigeElemente, K::Group),
    LABEL(lAnzeigeDp, gpAnzeigeElemente, 0),
    KEYED(cpAnzeigeDp, K::List, gpAnzeigeElemente, 0, lAnzeigeDp),
    LABEL(lAnzeigeLow, gpAnzeigeElemente, 1),
    KEYED(neAnzeigeLow, K::Numeric, gpAnzeigeElemente, 1, lAnzeigeLow),
    LABEL(lAnzeigeHigh, gpAnzeigeElemente, 2),
    KEYED(neAnzeigeHigh, K::Numeric, gpAnzeigeElemente, 2, lAnzeigeHigh),
    LABEL(l_AnzeigeEinheit, gpAnzeigeElemente, 3),
    KEYED(cb_AnzeigeEinheit, K::List, gpAnzeigeElemente, 3, l_AnzeigeEinheit),
    LABEL(lLimit, gpAnzeigeElemente, 4),
    KEYED(cbLimit, K::List, gpAnzeigeElemente, 4, lLimit),
    LABEL(lFilter_or_edge, gpAnzeigeElemente, 5),
    // One filter row: the DVN 20 TB types a number, the TRK models text with "oFF".
    KEYED(neFilter, K::Numeric, gpAnzeigeElemente, 5, lFilter_or_edge),
    KEYED(teFilter, K::Text, gpAnzeigeElemente, 5, lFilter_or_edge),
    LABEL(lMessbereichLow, gpAnzeigeElemente, 6),
    FIELD(neMessbereichLow, K::Numeric, gpAnzeigeElemente, 6, lMessbereichLow),
    LABEL(lMessbereichHigh, gpAnzeigeElemente, 7),
    FIELD(neMessbereichHigh, K::Numeric, gpAnzeigeElemente, 7, lMessbereichHigh),
    LABEL(lVorteiler, gpAnzeigeElemente, 8),
    FIELD(neVorteiler, K::Numeric, gpAnzeigeElemente, 8, lVorteiler),
    LABEL(lAnzeigeUnit, gpAnzeigeElemente, 9),
    FIELD(cbAnzeigeUnit, K::List, gpAnzeigeElemente, 9, lAnzeigeUnit),
    LABEL(lAnzeigeMessart, gpAnzeigeElemente, 10),
    FIELD(cbAnzeigeMessart, K::List, gpAnzeigeElemente, 10, lAnzeigeMessart),
    LABEL(lEdge, gpAnzeigeElemente, 11),
    FIELD(cbEdge, K::List, gpAnzeigeElemente, 11, lEdge),

    TOP(rgOutput, K::Radio),

    TOP(gpOut1Parameter, K::Group),
    LABEL(lOut1Einschaltpunkt, gpOut1Parameter, 0),
    FIELD(neOut1Einschaltpunkt, K::Numeric, gpOut1Parameter, 0, lOut1Einschaltpunkt),
    LABEL(lOut1Ausschaltpunkt, gpOut1Parameter, 1),
    FIELD(neOut1Ausschaltpunkt, K::Numeric, gpOut1Parameter, 1, lOut1Ausschaltpunkt),
    LABEL(lOut1Delay, gpOut1Parameter, 2),
    FIELD(neOut1Delay, K::Numeric, gpOut1Parameter, 2, lOut1Delay),
    LABEL(lOut1Vorzugslage, gpOut1Parameter, 3),
    FIELD(cbOut1Vorzugslage, K::List, gpOut1Parameter, 3, lOut1Vorzugslage),
    LABEL(lOut1Mode, gpOut1Parameter, 4),
    FIELD(cbOut1Mode, K::List, gpOut1Parameter, 4, lOut1Mode),

    TOP(gpOut2Parameter, K::Group),
    LABEL(lOut2Einschaltpunkt, gpOut2Parameter, 0),
    FIELD(neOut2Einschaltpunkt, K::Numeric, gpOut2Parameter, 0, lOut2Einschaltpunkt),
    LABEL(lOut2Ausschaltpunkt, gpOut2Parameter, 1),
    FIELD(neOut2Ausschaltpunkt, K::Numeric, gpOut2Parameter, 1, lOut2Ausschaltpunkt),
    LABEL(lOut2Delay, gpOut2Parameter, 2),
    FIELD(neOut2Delay, K::Numeric, gpOut2Parameter, 2, lOut2Delay),
    LABEL(lOut2Vorzugslage, gpOut2Parameter, 3),
    FIELD(cbOut2Vorzugslage, K::List, gpOut2Parameter, 3, lOut2Vorzugslage),
    LABEL(lOut2Mode, gpOut2Parameter, 4),
    FIELD(cbOut2Mode, K::List, gpOut2Parameter, 4, lOut2Mode),

    // The fail-safe row stands above the filter row but is listed after it.
    TOP(gpAnalogOut1, K::Group),
    ControlSpec{"cbStromAusgang", K::List, &ctl<&M::cbStromAusgang>, "gpAnalogOut1", 0},
    LABEL(gpAnalogOut1DAWlo, gpAnalogOut1, 1),
    FIELD(neDAC_Low, K::Numeric, gpAnalogOut1, 1, gpAnalogOut1DAWlo),
    LABEL(gpAnalogOut1DAWhi, gpAnalogOut1, 2),
    FIELD(neDAC_High, K::Numeric, gpAnalogOut1, 2, gpAnalogOut1DAWhi),
    LABEL(l_Out1DAFilter, gpAnalogOut1, 4),
    FIELD(neDAFilter, K::Numeric, gpAnalogOut1, 4, l_Out1DAFilter),
    LABEL(gpAnalogOut1DAWerr, gpAnalogOut1, 3),
    FIELD(cbAnalogOut1Vorzugslage, K::List, gpAnalogOut1, 3, gpAnalogOut1DAWerr),

    TOP(rgReglerFunktion, K::Radio),

    TOP(gpPIDRegler, K::Group),
    LABEL(lPID_SP1, gpPIDRegler, 0),
    FIELD(nePID_SP1, K::Numeric, gpPIDRegler, 0, lPID_SP1),
    LABEL(lPID_Proportional, gpPIDRegler, 1),
    FIELD(nePID_Proportional, K::Numeric, gpPIDRegler, 1, lPID_Proportional),
    LABEL(l_PIDIntegral, gpPIDRegler, 2),
    FIELD(ne_PIDIntegral, K::Numeric, gpPIDRegler, 2, l_PIDIntegral),
    LABEL(lPID_Derivation, gpPIDRegler, 3),
    FIELD(nePID_Derivation, K::Numeric, gpPIDRegler, 3, lPID_Derivation),
    LABEL(l_PID_CyC, gpPIDRegler, 4),
    FIELD(nePID_CyC, K::Numeric, gpPIDRegler, 4, l_PID_CyC),
    LABEL(lPIDdur, gpPIDRegler, 5),
    FIELD(nePIDdur, K::Numeric, gpPIDRegler, 5, lPIDdur),
    LABEL(lPIDthr, gpPIDRegler, 6),
    FIELD(nePIDthr, K::Numeric, gpPIDRegler, 6, lPIDthr),
    LABEL(lPID_Vorzugslage, gpPIDRegler, 7),
    FIELD(cbPID_Vorzugslage, K::List, gpPIDRegler, 7, lPID_Vorzugslage),

    // Built after the designation label, whose right end it covers. The words stand side by
    // side: General, Switching function 1, Alarm, Switching function 2.
    TOP(gb_ErweiterteKonfiguration, K::Group),
    IN(l_Erw_Allgemein, K::Label, gb_ErweiterteKonfiguration),
    FIELD(e_erw_Allgemein, K::Text, gb_ErweiterteKonfiguration, -1, l_Erw_Allgemein),
    IN(l_Erw_Alarm, K::Label, gb_ErweiterteKonfiguration),
    FIELD(e_erw_Alarm, K::Text, gb_ErweiterteKonfiguration, -1, l_Erw_Alarm),
    IN(l_Erw_Schaltfunktion1, K::Label, gb_ErweiterteKonfiguration),
    FIELD(e_erw_Schaltfunktion1, K::Text, gb_ErweiterteKonfiguration, -1, l_Erw_Schaltfunktion1),
    IN(l_Erw_Schaltfunktion2, K::Label, gb_ErweiterteKonfiguration),
    FIELD(e_erw_Schaltfunktion2, K::Text, gb_ErweiterteKonfiguration, -1, l_Erw_Schaltfunktion2),
    IN(b_erw_Anzeigen, K::Button, gb_ErweiterteKonfiguration),
};
// clang-format on

template <auto Member> MenuItem& item(M& m) {
    return m.*Member;
}

#define BAR(n) MenuSpec{#n, &item<&M::n>, MenuSpec::Bar}
#define ITEM(n, ...) MenuSpec{#n, &item<&M::n>, MenuSpec::Item, __VA_ARGS__}
constexpr bool kSeparator = true;
constexpr bool kCheckable = true;

// clang-format off
const MenuSpec kMenus[] = {
    BAR(mmDatei),
    ITEM(miDatenspeichern),
    ITEM(lesen1),
    ITEM(Beenden, kSeparator),
    // Additions go after a menu's own items, so nothing of it moves.
    ITEM(miKonfigurationsblattDrucken, kSeparator),
    ITEM(miKonfigurationsblattPdf),
    BAR(mmKonfiguration),
    ITEM(Datenlesen1),
    ITEM(Konfigurationlesen1),
    ITEM(miKonfigurationprogrammieren1),
    ITEM(miRueckgaengig, kSeparator),
    ITEM(miWiederholen),
    ITEM(miPruefenNachProgrammieren, kSeparator, kCheckable),
    BAR(mmTyp),
    MenuSpec{nullptr, nullptr, MenuSpec::Item, false, kCheckable},
    BAR(Schnittstelle),
    ITEM(mmSelectedComPort),
    ITEM(Portauswahl1),
    BAR(MainMenueWandler),
    ITEM(MainMenueWandlerItem0, false, kCheckable),
    ITEM(MainMenueWandlerItem1, false, kCheckable),
    ITEM(MainMenueWandlerItem2, false, kCheckable),
    ITEM(MainMenueWandlerItem3, false, kCheckable),
    BAR(mmExtras),
    ITEM(MainMenueExtrasAnzeigeeinheit, false, kCheckable),
    ITEM(MainMenueExtras_ErweiterteKonfiguration, false, kCheckable),
    ITEM(MainMenueExtrasAdresseSetzen, kSeparator),
    ITEM(mmExtras_GeraeteNamenZuweisen),
    ITEM(MainMenueExtras_SelectAddress),
    ITEM(MainMenueDurchflussMessung, kSeparator),
    ITEM(MainMenueExtras_Busmonitor),
    ITEM(MainMenueExtras_Vergleichen),
    ITEM(MainMenueExtras_BusDurchsuchen, kSeparator),
    ITEM(MainMenueExtras_Anlage),
    ITEM(MainMenueExtras_Geraetearchiv),
    ITEM(MainMenueExtras_MesswertAnzeigen),
    BAR(MainMenuHilfe),
    ITEM(MainMenueQM),
    ITEM(MainMenueUeber),
    ITEM(_mHilfe_Kurzanleitung),
    ITEM(_mHilfe_HandbuchPdf),
    // The popup of `rgSensor`
    MenuSpec{"pm_MessbereichAnzeigen", &item<&M::pm_MessbereichAnzeigen>, MenuSpec::Popup},
};
// clang-format on

} // namespace

namespace controltable {

std::span<const MenuSpec> menus() {
    return kMenus;
}


std::span<const ControlSpec> all() {
    return kTable;
}

const ControlSpec* find(const QString& name) {
    for (const ControlSpec& s : kTable)
        if (name == QLatin1String(s.name)) return &s;
    return nullptr;
}

QList<const ControlSpec*> inside(const char* group) {
    QList<const ControlSpec*> out;
    for (const ControlSpec& s : kTable)
        if (s.group && std::strcmp(s.group, group) == 0) out.append(&s);
    return out;
}

int stackRows(MainWindowModel& m, Control& group, const Control* unused) {
    std::vector<RowLayout::Row> rows;
    for (const ControlSpec* s : inside(group.name.toLatin1().constData())) {
        Control* field = &s->in(m);
        if (s->kind == ControlKind::Label || s->row < 0 || field == unused) continue;
        if (rows.size() <= size_t(s->row)) rows.resize(s->row + 1);
        Control* label = s->label ? &(m.*s->label) : nullptr;
        rows[s->row] = s->labelDecides ? RowLayout::Row{label, field} : RowLayout::Row{field, label};
    }
    return RowLayout::stackRows(group, rows);
}

} // namespace controltable
