#include "app/FieldList.h"

#include <vector>

namespace {

using M = MainWindowModel;

// A row of a group: label (nullptr: the group's own caption names it) and control.
struct Row {
    Label M::*label;
    const Control& (*control)(const M&);
    QString (*value)(const M&);
    bool numeric = false; // the value is a number as the window writes it
};

template <auto Member> const Control& ctl(const M& m) {
    return m.*Member;
}
template <auto Member> QString text(const M& m) {
    return (m.*Member).text;
}
template <auto Member> QString item(const M& m) {
    return (m.*Member).selectedText();
}

#define NUMBER(l, f)                                                                                         \
    Row {                                                                                                    \
        &M::l, &ctl<&M::f>, &text<&M::f>, true                                                               \
    }
#define LIST(l, f)                                                                                           \
    Row {                                                                                                    \
        &M::l, &ctl<&M::f>, &item<&M::f>                                                                     \
    }
#define WORD(l, f)                                                                                           \
    Row {                                                                                                    \
        &M::l, &ctl<&M::f>, &text<&M::f>, true                                                               \
    }

struct Group {
    const Control& (*frame)(const M&);
    QString (*caption)(const M&);
    std::vector<Row> rows;
};

template <auto Member> QString captionOf(const M& m) {
    return (m.*Member).caption;
}

// A radio group is its own frame: one row, named by the group's caption.
#define RADIO(g)                                                                                             \
    Group {                                                                                                  \
        &ctl<&M::g>, &captionOf<&M::g>, {                                                                    \
            Row {                                                                                            \
                nullptr, &ctl<&M::g>, &item<&M::g>                                                           \
            }                                                                                                \
        }                                                                                                    \
    }

// clang-format off
const std::vector<Group>& groups() {
    static const std::vector<Group> table = {
        RADIO(rgInput),
        RADIO(rgSensor),
        Group{&ctl<&M::gpAnzeigeElemente>, &captionOf<&M::gpAnzeigeElemente>, {
            LIST(lAnzeigeDp, cpAnzeigeDp),
            NUMBER(lAnzeigeLow, neAnzeigeLow),
            NUMBER(lAnzeigeHigh, neAnzeigeHigh),
            LIST(l_AnzeigeEinheit, cb_AnzeigeEinheit),
            LIST(lLimit, cbLimit),
            NUMBER(lFilter_or_edge, neFilter),
            WORD(lFilter_or_edge, teFilter), // the TRK models type their filter as text
            NUMBER(lMessbereichLow, neMessbereichLow),
            NUMBER(lMessbereichHigh, neMessbereichHigh),
            NUMBER(lVorteiler, neVorteiler),
            LIST(lAnzeigeUnit, cbAnzeigeUnit),
            LIST(lAnzeigeMessart, cbAnzeigeMessart),
            LIST(lEdge, cbEdge)}},
        RADIO(rgOutput),
        Group{&ctl<&M::gpOut1Parameter>, &captionOf<&M::gpOut1Parameter>, {
            NUMBER(lOut1Einschaltpunkt, neOut1Einschaltpunkt),
            NUMBER(lOut1Ausschaltpunkt, neOut1Ausschaltpunkt),
            NUMBER(lOut1Delay, neOut1Delay),
            LIST(lOut1Vorzugslage, cbOut1Vorzugslage),
            LIST(lOut1Mode, cbOut1Mode)}},
        Group{&ctl<&M::gpOut2Parameter>, &captionOf<&M::gpOut2Parameter>, {
            NUMBER(lOut2Einschaltpunkt, neOut2Einschaltpunkt),
            NUMBER(lOut2Ausschaltpunkt, neOut2Ausschaltpunkt),
            NUMBER(lOut2Delay, neOut2Delay),
            LIST(lOut2Vorzugslage, cbOut2Vorzugslage),
            LIST(lOut2Mode, cbOut2Mode)}},
        Group{&ctl<&M::gpAnalogOut1>, &captionOf<&M::gpAnalogOut1>, {
            Row{nullptr, &ctl<&M::cbStromAusgang>, &item<&M::cbStromAusgang>},
            NUMBER(gpAnalogOut1DAWlo, neDAC_Low),
            NUMBER(gpAnalogOut1DAWhi, neDAC_High),
            NUMBER(l_Out1DAFilter, neDAFilter),
            LIST(gpAnalogOut1DAWerr, cbAnalogOut1Vorzugslage)}},
        RADIO(rgReglerFunktion),
        Group{&ctl<&M::gpPIDRegler>, &captionOf<&M::gpPIDRegler>, {
            NUMBER(lPID_SP1, nePID_SP1),
            NUMBER(lPID_Proportional, nePID_Proportional),
            NUMBER(l_PIDIntegral, ne_PIDIntegral),
            NUMBER(lPID_Derivation, nePID_Derivation),
            NUMBER(l_PID_CyC, nePID_CyC),
            NUMBER(lPIDdur, nePIDdur),
            NUMBER(lPIDthr, nePIDthr),
            LIST(lPID_Vorzugslage, cbPID_Vorzugslage)}},
        Group{&ctl<&M::gb_ErweiterteKonfiguration>, &captionOf<&M::gb_ErweiterteKonfiguration>, {
            WORD(l_Erw_Allgemein, e_erw_Allgemein),
            WORD(l_Erw_Alarm, e_erw_Alarm),
            WORD(l_Erw_Schaltfunktion1, e_erw_Schaltfunktion1),
            WORD(l_Erw_Schaltfunktion2, e_erw_Schaltfunktion2)}},
    };
    return table;
}
// clang-format on

// Captions carry the toolkit's accelerator marks and sometimes a trailing colon.
QString plain(QString caption) {
    caption.remove(QLatin1Char('&'));
    caption = caption.trimmed();
    if (caption.endsWith(QLatin1Char(':'))) caption.chop(1);
    return caption.trimmed();
}

} // namespace

QList<ShownField> shownFields(const MainWindowModel& m) {
    QList<ShownField> out;
    for (const Group& g : groups()) {
        if (!g.frame(m).visible) continue;
        const QString group = plain(g.caption(m));
        for (const Row& r : g.rows) {
            const Control& c = r.control(m);
            if (!c.visible) continue;
            if (r.label && !(m.*r.label).visible) continue;
            const QString label = r.label ? plain((m.*r.label).caption) : group;
            out.append({group, label, r.value(m), c.name, r.numeric});
        }
    }
    return out;
}

QString fieldTitle(const MainWindowModel& m, const QString& control) {
    for (const Group& g : groups()) {
        for (const Row& r : g.rows) {
            if (r.control(m).name != control) continue;
            const QString group = plain(g.caption(m));
            return r.label ? group + QStringLiteral(": ") + plain((m.*r.label).caption) : group;
        }
    }
    return control;
}

QStringList fieldControls() {
    static const QStringList names = [] {
        const MainWindowModel m;
        QStringList list;
        for (const Group& g : groups())
            for (const Row& r : g.rows)
                if (!list.contains(r.control(m).name)) list.append(r.control(m).name);
        return list;
    }();
    return names;
}

QList<FieldDifference> differences(const QList<ShownField>& a, const QList<ShownField>& b) {
    QList<FieldDifference> out;
    auto find = [](const QList<ShownField>& list, const ShownField& f) -> const ShownField* {
        for (const ShownField& x : list)
            if (x.group == f.group && x.label == f.label) return &x;
        return nullptr;
    };
    for (const ShownField& f : a) {
        const ShownField* other = find(b, f);
        if (!other || other->value != f.value)
            out.append({f.group, f.label, f.value, other ? other->value : QString(), f.numeric});
    }
    for (const ShownField& f : b)
        if (!find(a, f)) out.append({f.group, f.label, QString(), f.value, f.numeric});
    return out;
}
