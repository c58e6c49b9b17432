#include "app/FieldList.h"

#include "config/ControlTable.h"

namespace {

using M = MainWindowModel;

// One row of the listing: the frame it stands in and its field. A radio group is its own
// frame and its own single row, named by the frame's caption as a field without a label is.
struct Row {
    const ControlSpec* frame;
    const ControlSpec* field;
};

const QList<Row>& rows() {
    static const QList<Row> list = [] {
        QList<Row> out;
        for (const ControlSpec& f : controltable::all()) {
            if (!f.isFrame() || f.group) continue;
            if (f.kind == ControlKind::Radio) out.append(Row{&f, &f});
            for (const ControlSpec* s : controltable::inside(f.name))
                if (s->isField()) out.append(Row{&f, s});
        }
        return out;
    }();
    return list;
}

QString caption(const Row& r, const M& m) {
    const Control& c = r.frame->in(m);
    return r.frame->kind == ControlKind::Radio ? static_cast<const ItemList&>(c).caption
                                               : static_cast<const GroupBox&>(c).caption;
}

QString value(const ControlSpec& s, const M& m) {
    const Control& c = s.in(m);
    switch (s.kind) {
    case ControlKind::Numeric:
        return static_cast<const NumericField&>(c).text;
    case ControlKind::Text:
        return static_cast<const TextField&>(c).text;
    default:
        return static_cast<const ItemList&>(c).selectedText();
    }
}

// Typed values (numbers and the words) are written with the program's separator.
bool isNumeric(const ControlSpec& s) {
    return s.kind == ControlKind::Numeric || s.kind == ControlKind::Text;
}

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
    for (const Row& r : rows()) {
        if (!r.frame->in(m).visible) continue;
        const Control& c = r.field->in(m);
        const Label* label = r.field->label ? &(m.*r.field->label) : nullptr;
        if (!c.visible || (label && !label->visible)) continue;
        const QString group = plain(caption(r, m));
        out.append({group, label ? plain(label->caption) : group, value(*r.field, m), c.name, isNumeric(*r.field)});
    }
    return out;
}

QString fieldTitle(const MainWindowModel& m, const QString& control) {
    for (const Row& r : rows()) {
        if (control != QLatin1String(r.field->name)) continue;
        const QString group = plain(caption(r, m));
        return r.field->label ? group + QStringLiteral(": ") + plain((m.*r.field->label).caption) : group;
    }
    return control;
}

QStringList fieldControls() {
    static const QStringList names = [] {
        QStringList list;
        for (const Row& r : rows())
            if (!list.contains(QLatin1String(r.field->name))) list.append(QLatin1String(r.field->name));
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

QString differenceListing(const QList<FieldDifference>& rows, const QString& a, const QString& b) {
    QStringList lines{QStringLiteral("%1 | %2 | %3 | %4").arg(QStringLiteral("Gruppe"), QStringLiteral("Feld"), a, b)};
    for (const FieldDifference& d : rows)
        lines.append(QStringLiteral("%1 | %2 | %3 | %4").arg(d.group, d.label, d.a, d.b));
    return lines.join(QLatin1Char('\n'));
}

QString differenceNames(const QList<FieldDifference>& rows) {
    QStringList names;
    for (const FieldDifference& d : rows)
        names.append(d.label.isEmpty() ? d.group : d.group + QStringLiteral(": ") + d.label);
    return names.join(QStringLiteral(", "));
}

QString differenceCount(const QList<FieldDifference>& rows) {
    return rows.isEmpty()     ? QStringLiteral("Keine Unterschiede")
           : rows.size() == 1 ? QStringLiteral("1 Unterschied")
                              : QStringLiteral("%1 Unterschiede").arg(rows.size());
}

QString deviationCount(qsizetype count) {
    return count == 1 ? QStringLiteral("1 Abweichung") : QStringLiteral("%1 Abweichungen").arg(count);
}
