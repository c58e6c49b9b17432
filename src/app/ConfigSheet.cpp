#include "app/ConfigSheet.h"

#include "app/FieldList.h"
#include "app/ProgramVersion.h"
#include "bus/BusPort.h"
#include "config/NumberFormat.h"

namespace {

using Source = MainWindowModel::ConfigSource;

QList<ConfigSheet::Row> sourceRows(const Source& s, QChar sep) {
    switch (s.kind) {
    case Source::Kind::Instrument: {
        QList<ConfigSheet::Row> rows = {
            {QStringLiteral("Herkunft"), QStringLiteral("vom Gerät eingelesen (COM%1)").arg(s.port)},
            {QStringLiteral("Seriennummer"), bus::serialText(s.identity)},
            {QStringLiteral("Firmware"), QStringLiteral("V") + NumberFormat::formatShortest(s.firmware, sep)},
            {QStringLiteral("Busadresse"), QString::number(s.address)}};
        // The window's readout does not ask for the name; only a name asked for separately shows.
        if (s.hasName)
            rows.append({QStringLiteral("Gerätename"), s.name.isEmpty() ? QStringLiteral("(leer)") : s.name});
        return rows;
    }
    case Source::Kind::File: {
        QList<ConfigSheet::Row> rows = {{QStringLiteral("Herkunft"), QStringLiteral("aus Datei geladen")},
                                        {QStringLiteral("Datei"), s.fileName}};
        if (!s.fileDate.isEmpty()) rows.append({QStringLiteral("Datei vom"), s.fileDate});
        rows.append({QStringLiteral("Kommentar"),
                     s.comment.isEmpty() ? QStringLiteral("(kein Kommentar)") : s.comment});
        return rows;
    }
    case Source::Kind::None:
        break;
    }
    return {{QStringLiteral("Herkunft"),
             QStringLiteral("im Programm eingestellt (weder eingelesen noch geladen)")}};
}

} // namespace

ConfigSheet configSheet(const MainWindowModel& m, const QDateTime& printed, QChar sep) {
    ConfigSheet sheet;
    sheet.title = QStringLiteral("Konfigurationsblatt");
    const ModelEntry* model = m.checkedModel();
    sheet.model = model ? m.lMainCaption.caption : QStringLiteral("kein Gerätetyp gewählt");
    sheet.head = {{QStringLiteral("Gerätetyp"), sheet.model},
                  {QStringLiteral("Datum"), printed.toString(QStringLiteral("dd.MM.yyyy HH:mm"))}};
    sheet.head += sourceRows(m.source, sep);

    for (const ShownField& f : shownFields(m)) {
        if (sheet.sections.isEmpty() || sheet.sections.last().title != f.group)
            sheet.sections.append({f.group, {}});
        sheet.sections.last().rows.append({f.label, f.value});
    }
    sheet.footer = programVersionLine(QStringLiteral("TRK/DVN-Konfigurationsprogramm")).trimmed();
    return sheet;
}

QStringList ConfigSheet::values() const {
    QStringList out;
    for (const Row& r : head)
        out.append(r.value);
    for (const Section& s : sections)
        for (const Row& r : s.rows)
            out.append(r.value);
    if (acceptance)
        for (const QList<Row>* rows : {&acceptance->changes, &acceptance->rows})
            for (const Row& r : *rows)
                out.append(r.value);
    return out;
}

ConfigSheet::Acceptance sheetAcceptance(const RecordEntry& programmed, bool knownBefore) {
    ConfigSheet::Acceptance a;
    a.title = QStringLiteral("Änderungsnachweis");
    const auto shown = [](const QString& value) { return value.isEmpty() ? QStringLiteral("–") : value; };
    for (const RecordChange& c : programmed.changes)
        a.changes.append({c.label.isEmpty() ? c.group : c.group + QStringLiteral(": ") + c.label,
                          shown(c.before) + QStringLiteral(" → ") + shown(c.after)});
    if (!knownBefore)
        a.changes.append({QStringLiteral("Geänderte Felder"),
                          QStringLiteral("nicht bekannt: das Gerät war vorher nicht im Gerätearchiv")});
    else if (a.changes.isEmpty())
        a.changes.append({QStringLiteral("Geänderte Felder"),
                          QStringLiteral("keine: das Gerät hatte diese Konfiguration schon")});
    a.rows = {{QStringLiteral("Programmiert am"),
               programmed.time.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm"))},
              {QStringLiteral("Prüfung"), programmed.verification.isEmpty()
                                              ? QStringLiteral("nicht zurückgelesen (Prüfung ausgeschaltet)")
                                              : programmed.verification},
              {QStringLiteral("Grund der Änderung"),
               programmed.reason.isEmpty() ? QStringLiteral("(nicht angegeben)") : programmed.reason}};
    a.signatures = {QStringLiteral("Datum"), QStringLiteral("Name"), QStringLiteral("Unterschrift")};
    return a;
}
