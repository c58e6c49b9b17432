#include "app/ArchiveWindow.h"

#include "app/MainHandlers.h"
#include "app/SettingsStore.h"
#include "files/D20Format.h"
#include "files/FileWriter.h"

#include <QDir>

#include <algorithm>

namespace {

QString timeText(const QDateTime& time) {
    return time.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

QList<FieldDifference> listed(const QList<RecordChange>& changes) {
    QList<FieldDifference> out;
    for (const RecordChange& c : changes)
        out.append({c.group, c.label, c.before, c.after});
    return out;
}

QString entryTitleOf(const RecordEntry& e) {
    return QStringLiteral("Eintrag %1 (%2)")
        .arg(e.id)
        .arg(e.time.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm")));
}

} // namespace

ArchiveWindow::ArchiveWindow(InstrumentRecord& r, MainHandlers& handlers) : record(r), main(handlers) {
    l_Archiv.name = QStringLiteral("l_Archiv");
    l_Archiv.caption = QStringLiteral("Archiv: ") + QDir::toNativeSeparators(record.file());
    l_Leer.name = QStringLiteral("l_Leer");
    e_Filter.name = QStringLiteral("e_Filter");
    l_Verlauf.name = QStringLiteral("l_Verlauf");
    l_Auswahl.name = QStringLiteral("l_Auswahl");
    l_Meldung.name = QStringLiteral("l_Meldung");
    b_Laden.name = QStringLiteral("b_Laden");
    b_Laden.caption = QStringLiteral("In das &Fenster laden");
    b_Speichern.name = QStringLiteral("b_Speichern");
    b_Speichern.caption = QStringLiteral("Als d20 &speichern…");
    b_Schliessen.name = QStringLiteral("b_Schliessen");
    b_Schliessen.caption = QStringLiteral("&Schließen");

    all = record.instruments();
    const QString failure = record.readFailure();
    l_Leer.visible = all.isEmpty();
    if (!failure.isEmpty())
        l_Leer.caption = QStringLiteral("Das Gerätearchiv %1 kann nicht gelesen werden: %2.\nEinlesen und "
                                        "Programmieren gehen weiter; was nicht eingetragen werden kann, "
                                        "meldet das Programm.")
                             .arg(QDir::toNativeSeparators(record.file()), failure);
    else if (all.isEmpty())
        l_Leer.caption = QStringLiteral("Im Gerätearchiv ist noch kein Gerät eingetragen. Jedes Einlesen und "
                                        "Programmieren eines Geräts wird hier mit Zeit, Benutzer und "
                                        "Konfiguration festgehalten.");
    e_Filter.enabled = !all.isEmpty();
    e_FilterChange(QString());
}

QString ArchiveWindow::instrumentTitle(int column) {
    static const QString titles[] = {QStringLiteral("Seriennummer"), QStringLiteral("Name"),
                                     QStringLiteral("Typ"), QStringLiteral("Zuletzt"),
                                     QStringLiteral("Einträge")};
    return titles[column];
}

QString ArchiveWindow::entryTitle(int column) {
    static const QString titles[] = {QStringLiteral("Nr."),      QStringLiteral("Zeit"),
                                     QStringLiteral("Ereignis"), QStringLiteral("Benutzer"),
                                     QStringLiteral("Name"),     QStringLiteral("Änderungen"),
                                     QStringLiteral("Prüfung"),  QStringLiteral("Grund")};
    return titles[column];
}

QStringList ArchiveWindow::instrumentCells(int row) const {
    const RecordedInstrument& i = instruments.at(row);
    return {i.serial, i.name, i.model, timeText(i.lastSeen), QString::number(i.entries)};
}

QStringList ArchiveWindow::entryCells(int row) const {
    const RecordEntry& e = entries.at(row);
    QString changes = differenceNames(listed(e.changes));
    // The oldest entry has nothing before it to change against.
    if (changes.isEmpty())
        changes = row == entries.size() - 1 ? QStringLiteral("(erster Eintrag)") : QStringLiteral("keine");
    return {QString::number(e.id),
            timeText(e.time),
            InstrumentRecord::eventText(e.event),
            e.user,
            e.name,
            changes,
            e.verification,
            e.reason};
}

void ArchiveWindow::e_FilterChange(const QString& text) {
    e_Filter.text = text;
    const QString serial = instrument >= 0 ? instruments.at(instrument).serial : QString();
    const QString wanted = text.trimmed();
    instruments.clear();
    for (const RecordedInstrument& i : all)
        if (wanted.isEmpty() || i.serial.contains(wanted, Qt::CaseInsensitive) ||
            i.name.contains(wanted, Qt::CaseInsensitive) || i.model.contains(wanted, Qt::CaseInsensitive))
            instruments.append(i);
    // The chosen instrument stays chosen while the filter lets it through.
    const bool hadOne = instrument >= 0;
    for (int r = 0; hadOne && r < instruments.size(); ++r)
        if (instruments.at(r).serial == serial) {
            instrument = r;
            return;
        }
    showInstrument(instruments.isEmpty() ? -1 : 0);
}

void ArchiveWindow::instrumentClick(int row) {
    if (row < 0 || row >= instruments.size() || row == instrument) return;
    showInstrument(row);
}

void ArchiveWindow::showInstrument(int row) {
    instrument = row;
    entries.clear();
    if (row < 0) {
        l_Verlauf.caption = all.isEmpty() ? QString() : QStringLiteral("Kein Gerät passt zum Filter.");
    } else {
        const RecordedInstrument& i = instruments.at(row);
        entries = record.history(i.serial, false);
        l_Verlauf.caption = i.name.isEmpty()
                                ? QStringLiteral("Verlauf von Gerät %1").arg(i.serial)
                                : QStringLiteral("Verlauf von Gerät %1 (%2)").arg(i.serial, i.name);
        const QList<ProgrammingJournal> open = record.unsettled(i.serial);
        if (!open.isEmpty()) l_Verlauf.caption += QStringLiteral(" – ") + InstrumentRecord::unsettledText(open.first());
    }
    // The newest entry is what one usually wants to see first.
    entriesChosen(entries.isEmpty() ? QList<int>{} : QList<int>{0});
}

void ArchiveWindow::entriesChosen(const QList<int>& list) {
    chosen.clear();
    for (int r : list)
        if (r >= 0 && r < entries.size() && !chosen.contains(r)) chosen.append(r);
    std::sort(chosen.begin(), chosen.end());
    b_Laden.enabled = b_Speichern.enabled = chosen.size() == 1 && entries.at(chosen.first()).hasConfiguration;
    l_Meldung.caption.clear();
    if (chosen.size() == 1 && !b_Laden.enabled) l_Meldung.caption = noConfiguration(entries.at(chosen.first()));
    showListing();
}

void ArchiveWindow::showListing() {
    rows.clear();
    leftTitle = rightTitle = QString();
    if (chosen.size() == 1) {
        const RecordEntry& e = entries.at(chosen.first());
        leftTitle = QStringLiteral("Vorher");
        rightTitle = QStringLiteral("Nachher");
        rows = listed(e.changes);
        QString details = QStringLiteral("Eintrag %1: %2 am %3")
                              .arg(e.id)
                              .arg(InstrumentRecord::eventText(e.event), timeText(e.time));
        if (!e.user.isEmpty()) details += QStringLiteral(" von ") + e.user;
        if (!e.computer.isEmpty()) details += QStringLiteral(" auf ") + e.computer;
        details += QStringLiteral(", COM%1 Adresse %2, Typ %3, Firmware %4")
                       .arg(e.port)
                       .arg(e.address)
                       .arg(e.model, e.firmware);
        if (!e.verification.isEmpty()) details += QStringLiteral("\nPrüfung: ") + e.verification;
        if (!e.reason.isEmpty()) details += QStringLiteral("\nGrund: ") + e.reason;
        details += chosen.first() == entries.size() - 1
                       ? QStringLiteral("\nDer erste Eintrag dieses Geräts.")
                       : QStringLiteral("\nGegenüber dem vorigen Eintrag: ") + differenceCount(rows);
        l_Auswahl.caption = details;
        return;
    }
    if (chosen.size() != 2) {
        l_Auswahl.caption =
            entries.isEmpty()
                ? QString()
                : QStringLiteral("Einen Eintrag wählen, um ihn zu laden oder zu speichern; zwei, "
                                 "um sie nebeneinander zu vergleichen.");
        return;
    }
    // Two entries side by side: the older on the left, as the history runs.
    const std::optional<RecordEntry> older = record.entry(entries.at(chosen.at(1)).id);
    const std::optional<RecordEntry> newer = record.entry(entries.at(chosen.at(0)).id);
    if (!older || !newer) {
        l_Auswahl.caption = QStringLiteral("Die Einträge lassen sich nicht aus dem Gerätearchiv lesen.");
        return;
    }
    const QList<ShownField> a = main.recordedFields(older->configuration);
    const QList<ShownField> b = main.recordedFields(newer->configuration);
    if (a.isEmpty() || b.isEmpty()) {
        l_Auswahl.caption = QStringLiteral("Die Konfiguration von Eintrag %1 lässt sich nicht lesen.")
                                .arg(a.isEmpty() ? older->id : newer->id);
        return;
    }
    leftTitle = entryTitleOf(*older);
    rightTitle = entryTitleOf(*newer);
    rows = differences(a, b);
    l_Auswahl.caption =
        QStringLiteral("Eintrag %1 gegen Eintrag %2: ").arg(older->id).arg(newer->id) + differenceCount(rows);
}

std::optional<RecordEntry> ArchiveWindow::chosenEntry() {
    if (chosen.size() != 1) return std::nullopt;
    const qint64 id = entries.at(chosen.first()).id;
    std::optional<RecordEntry> e = record.entry(id);
    if (!e)
        l_Meldung.caption =
            record.readFailure().isEmpty()
                ? QStringLiteral("Eintrag %1 ist nicht mehr im Gerätearchiv.").arg(id)
                : QStringLiteral("Eintrag %1 lässt sich nicht lesen: %2").arg(id).arg(record.readFailure());
    return e;
}

QString ArchiveWindow::noConfiguration(const RecordEntry& e) {
    return QStringLiteral("Eintrag %1 enthält keine Konfiguration (%2 eines Geräts, das nie eingelesen wurde); "
                          "er lässt sich weder laden noch als d20 speichern.")
        .arg(e.id)
        .arg(InstrumentRecord::eventText(e.event));
}

void ArchiveWindow::b_LadenClick() {
    if (!b_Laden.enabled) return;
    const std::optional<RecordEntry> e = chosenEntry();
    if (e && e->configuration.isEmpty()) {
        l_Meldung.caption = noConfiguration(*e);
        return;
    }
    // The window shows what was loaded once this one is closed.
    if (e && main.loadRecorded(*e)) closeRequested = true;
}

void ArchiveWindow::b_SpeichernClick() {
    if (!b_Speichern.enabled) return;
    const MainEnvironment& env = main.environment();
    const QString fileName =
        env.prompter->saveFileName(env.settings->configFolder(), d20::kFilter, d20::kSuffix);
    if (fileName.isEmpty()) return;
    const std::optional<RecordEntry> e = chosenEntry();
    if (!e) return;
    // Nothing to save is never written over a good file.
    if (e->configuration.isEmpty()) {
        l_Meldung.caption = noConfiguration(*e);
        return;
    }
    // The bytes as they were recorded: the file is the one a save of that day wrote.
    const filewriter::Result written = filewriter::replace(fileName, e->configuration);
    if (!written.ok) {
        env.prompter->show(QStringLiteral("Die Datei %1 konnte nicht gespeichert werden.\n%2")
                               .arg(QDir::toNativeSeparators(fileName), written.reason),
                           QStringLiteral("Fehler"), Prompter::Icon::Error);
        l_Meldung.caption = QStringLiteral("Eintrag %1 nicht gespeichert").arg(e->id);
        return;
    }
    l_Meldung.caption =
        QStringLiteral("Eintrag %1 gespeichert: %2").arg(e->id).arg(QDir::toNativeSeparators(fileName));
}
