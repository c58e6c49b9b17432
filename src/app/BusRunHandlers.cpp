#include "app/MainHandlers.h"

#include "app/FieldList.h"
#include "app/UndoSteps.h"

#include "bus/BusConstants.h"
#include "bus/Programming.h"
#include "bus/Readout.h"

namespace {

// The field, or what else of the instrument, a failed readout was reading, for its message.
QString readingText(const MainWindowModel& m, const Readout::Reading& r) {
    QString what = !r.control.isEmpty() ? fieldTitle(m, r.control)
                   : r.command == bus::cmd::ReadIdentity
                       ? QStringLiteral("Seriennummer und Version des Geräts")
                       : QStringLiteral("Geräteversion");
    what += QStringLiteral(" (Befehl %1").arg(r.command);
    if (r.parameter >= 0) what += QStringLiteral(", Parameter %1").arg(r.parameter);
    return what + QLatin1Char(')');
}

} // namespace

// "&Einlesen": the instrument's configuration into the window. A readout that fails leaves
// the window as the user had it, edits included: half a configuration is no one's.
void MainHandlers::Konfigurationlesen1Click() {
    step(undosteps::kReadout, [this] {
        const MainWindowModel before = m;
        actions.aCheckSpecialFunctionsPanel();
        actions.aAlignPanels();
        beginBusRun(QStringLiteral("read"));
        Readout readout(*bus, actions, *env.prompter, *env.clock);
        busStatus = readout.DVN20DatenEinlesen();
        endBusRun();
        if (busStatus < 0) {
            // Port and identification failures have had their own boxes; a read that failed
            // later says here what it was reading.
            const QString what = readout.failedRead() ? readingText(m, *readout.failedRead()) : QString();
            UndoHistory::restore(m, before);
            if (!what.isEmpty())
                env.prompter->show(
                    QStringLiteral("Das Einlesen ist fehlgeschlagen. Das Fenster zeigt wieder die "
                                   "Konfiguration von vor dem Einlesen.\n\n%1\n\nGelesen wurde "
                                   "gerade: %2")
                        .arg(readout.failedRead()->error, what),
                    QStringLiteral("Fehler"), Prompter::Icon::Error);
        } else {
            recordEvent(RecordEntry::Event::Readout);
        }
        startStatusTimer();
    });
    endOfRun();
}

// "&Programmieren": the window's configuration into the instrument.
void MainHandlers::miKonfigurationprogrammieren1Click() {
    // A filter still being typed counts as entered.
    if (m.teFilter.visible) actions.teFilterExit();
    actions.aSetAll();
    actions.aCheckSpecialFunctionsPanel();
    actions.aAlignPanels();
    // Nothing goes to the instrument that the window's own rules would not have chosen.
    if (const ItemList* list = actions.unchosenList()) {
        refuseProgramming(fieldTitle(m, list->name));
        return;
    }
    // The identity the window was read from; the run forgets it until it hears the instrument.
    const int32_t readFrom =
        m.source.kind == MainWindowModel::ConfigSource::Kind::Instrument ? m.source.identity : 0;
    verification = {};
    programmingNote.clear();
    beginBusRun(QStringLiteral("program"));
    qint64 journal = 0;
    {
        Programming run(*bus, actions, *env.prompter, *env.clock);
        run.beforeWriting = [this, readFrom, &journal] {
            if (!confirmProgramming(readFrom)) return false;
            // Before the first write: a run that never ends whole is found at the next contact.
            journal = beginJournal();
            return true;
        };
        busStatus = run.DVN20DatenProgrammieren();
    }
    endBusRun();
    const QString runEnd = m.StatusBar1.panels[2];
    if (busStatus >= 0) {
        QString statusText; // what reading back found, for the status bar and the record
        if (m.miPruefenNachProgrammieren.checked) {
            beginBusRun(QStringLiteral("verify"));
            verifyProgramming();
            endBusRun();
            const QList<FieldDifference>& rows = verification.differences;
            const QString names = differenceNames(rows);
            if (!verification.done)
                statusText = QStringLiteral("nicht zurückgelesen: %1").arg(verification.failure);
            else if (rows.isEmpty())
                statusText = QStringLiteral("geprüft, keine Abweichungen");
            else if (rows.size() == 1)
                statusText = QStringLiteral("1 Abweichung beim Zurücklesen: %1").arg(names);
            else
                statusText = QStringLiteral("%1 Abweichungen beim Zurücklesen: %2").arg(rows.size()).arg(names);
        }
        // A clean read-back leaves the report as it was; what went wrong stands behind it.
        const bool clean = verification.done && verification.differences.isEmpty();
        for (const QString& note : {programmingNote, clean ? QString() : statusText})
            if (!note.isEmpty()) m.StatusBar1.panels[2] += QStringLiteral(" – %1").arg(note);
        if (verification.done && !verification.differences.isEmpty()) {
            const QString table =
                differenceListing(verification.differences, QStringLiteral("Fenster"), QStringLiteral("Gerät"));
            env.prompter->show(QStringLiteral("Das Gerät wurde programmiert, aber beim Zurücklesen weichen "
                                              "diese Felder vom Fenster ab:\n\n%1")
                                   .arg(table),
                               QStringLiteral("Prüfung nach dem Programmieren"), Prompter::Icon::Warning);
        }
        recordEvent(RecordEntry::Event::Programming, statusText);
    }
    if (env.record)
        env.record->endProgramming(journal, busStatus >= 0 || busStatus == bus::status::Declined,
                                   busStatus >= 0 ? QStringLiteral("programmiert") : runEnd.trimmed());
    startStatusTimer();
    endOfRun();
}

void MainHandlers::refuseProgramming(const QString& field) {
    m.StatusBar1.panels[2] =
        QStringLiteral("Daten wurden nicht programmiert, „%1“ ist nicht gewählt").arg(field);
    env.prompter->show(QStringLiteral("Daten wurden nicht programmiert: im Feld „%1“ ist nichts gewählt.\n"
                                      "Bitte einen Wert wählen und erneut programmieren.")
                           .arg(field),
                       QStringLiteral("Fehler Aufgetreten"), Prompter::Icon::Error);
    busStatus = bus::status::Incomplete;
    startStatusTimer();
}
