#include "config/MainWindowModel.h"
#include "config/RowLayout.h"

#include <algorithm>

namespace {

// One frame of the window and the controls inside it that take the focus; a radio
// group is a frame that is its own single stop.
struct Frame {
    Control* frame;
    QList<Control*> stops;
};

// Two places in one row when their tops are less than half a row apart: a button stands
// a little higher than the fields beside it.
bool before(const Geometry& a, const Geometry& b) {
    constexpr int kSameRow = RowLayout::kRowPitch / 2;
    if (a.top + kSameRow <= b.top) return true;
    if (b.top + kSameRow <= a.top) return false;
    return a.left < b.left;
}

bool shown(const Control& c) {
    return c.visible && c.enabled;
}

} // namespace

QList<Control*> MainWindowModel::tabOrder() {
    QList<Frame> frames = {
        {&gb_ErweiterteKonfiguration,
         {&e_erw_Allgemein, &e_erw_Schaltfunktion1, &e_erw_Alarm, &e_erw_Schaltfunktion2, &b_erw_Anzeigen}},
        {&rgInput, {&rgInput}},
        {&rgSensor, {&rgSensor}},
        {&rgOutput, {&rgOutput}},
        {&rgReglerFunktion, {&rgReglerFunktion}},
        {&gpAnzeigeElemente,
         {&cpAnzeigeDp, &neAnzeigeLow, &neAnzeigeHigh, &cb_AnzeigeEinheit, &cbLimit, &neFilter, &teFilter,
          &neMessbereichLow, &neMessbereichHigh, &neVorteiler, &cbAnzeigeUnit, &cbAnzeigeMessart, &cbEdge}},
        {&gpOut1Parameter,
         {&neOut1Einschaltpunkt, &neOut1Ausschaltpunkt, &neOut1Delay, &cbOut1Vorzugslage, &cbOut1Mode}},
        {&gpOut2Parameter,
         {&neOut2Einschaltpunkt, &neOut2Ausschaltpunkt, &neOut2Delay, &cbOut2Vorzugslage, &cbOut2Mode}},
        {&gpAnalogOut1, {&cbStromAusgang, &neDAC_Low, &neDAC_High, &cbAnalogOut1Vorzugslage, &neDAFilter}},
        {&gpPIDRegler,
         {&nePID_SP1, &nePID_Proportional, &ne_PIDIntegral, &nePID_Derivation, &nePID_CyC, &nePIDdur,
          &nePIDthr, &cbPID_Vorzugslage}},
    };
    frames.removeIf([](const Frame& f) { return !shown(*f.frame); });
    std::stable_sort(frames.begin(), frames.end(), [](const Frame& a, const Frame& b) {
        return before(a.frame->geometry, b.frame->geometry);
    });
    QList<Control*> order;
    for (Frame& f : frames) {
        f.stops.removeIf([](const Control* c) { return !shown(*c); });
        std::stable_sort(f.stops.begin(), f.stops.end(),
                         [](const Control* a, const Control* b) { return before(a->geometry, b->geometry); });
        order.append(f.stops);
    }
    return order;
}

Control* MainWindowModel::firstFocus() {
    const QList<const Control*> safe = {
        &cpAnzeigeDp,    &cb_AnzeigeEinheit,       &cbLimit,           &cbAnzeigeUnit,     &cbAnzeigeMessart,
        &cbEdge,         &cbOut1Vorzugslage,       &cbOut1Mode,        &cbOut2Vorzugslage, &cbOut2Mode,
        &cbStromAusgang, &cbAnalogOut1Vorzugslage, &cbPID_Vorzugslage, &b_erw_Anzeigen};
    for (Control* c : tabOrder()) {
        if (safe.contains(c)) return c;
    }
    return nullptr;
}
