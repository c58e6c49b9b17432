#include "app/MainHandlers.h"

#include "app/FieldList.h"
#include "bus/BusConstants.h"
#include "bus/BusPort.h"
#include "config/NumberFormat.h"
#include "files/D20Reader.h"
#include "files/D20Writer.h"
#include "files/WordReader.h"
#include "tools/BusToolWindow.h"

#include <QDate>


namespace {

QString recordedTime(const QDateTime& time) {
    return time.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm"));
}

} // namespace

void MainHandlers::miPruefenNachProgrammierenClick() {
    m.miPruefenNachProgrammieren.checked = !m.miPruefenNachProgrammieren.checked;
}

QList<ShownField> MainHandlers::recordedFields(const QByteArray& d20) {
    const QChar sep = env.localeSeparator();
    const QChar written = D20Reader::declaredSeparator(d20).value_or(sep);
    // Loaded into a copy of the window, quietly: the record's bytes were written by this program.
    MainWindowModel copy = m;
    RecordingPrompter quiet;
    ConfigEnvironment ce = configEnvironment();
    ce.prompter = &quiet;
    ConfigActions copyActions(copy, ce);
    WordReader words(d20);
    D20Reader::skipHeader(words);
    D20Reader reader(copyActions, quiet, written);
    if (reader.read(words) != D20Reader::Result::Loaded) return {};
    if (copy.teFilter.visible) copyActions.teFilterExit();
    copyActions.aSetAll();
    reader.applySpecialFunctions(d20);
    copyActions.aCheckSpecialFunctionsPanel();
    copyActions.aAlignPanels();
    QList<ShownField> fields = shownFields(copy);
    const QChar shownSep = copyActions.separator();
    for (ShownField& f : fields)
        if (f.numeric) f.value.replace(shownSep, actions.separator());
    return fields;
}

QByteArray MainHandlers::recordedBytes(const MainWindowModel& model) {
    const D20Header header{QDate::currentDate(), QStringLiteral(" "), D20Writer::platformUserName()};
    return D20Writer(model, env.localeSeparator()).contents(header);
}

QString MainHandlers::instrumentName() {
    const bool readHere = m.source.kind == MainWindowModel::ConfigSource::Kind::Instrument &&
                          m.source.identity == m.deviceIdentity;
    if (readHere && m.source.hasName) return m.source.name;
    // Asked on its own after the run, as the scan asks it; the run's sequence stays as it is.
    QString name;
    bool answered = false;
    if (bus->isLoaded() && bus::openBusPort(*bus, m.comPort, m.converterCode, *env.clock) >= 0) {
        int16_t aux = 0;
        int16_t length = bus::kNameReadCapacity;
        answered = bus->TBTransmitString(m.busAddress, bus::namecmd::Read, aux, name, length) >= 0;
        bus->TBCloseCom();
    }
    if (readHere && answered) {
        m.source.hasName = true;
        m.source.name = name;
    }
    return answered ? name : QString();
}

void MainHandlers::recordEvent(RecordEntry::Event event, const QString& verificationText) {
    if (!env.record || m.deviceIdentity == 0) return;
    RecordEntry e;
    e.event = event;
    // Set here, not by the record: the sheet's acceptance record shows it as well.
    e.time = env.now ? env.now().toUTC() : QDateTime::currentDateTimeUtc();
    e.port = m.comPort;
    e.address = m.busAddress;
    e.identity = quint32(m.deviceIdentity);
    e.serial = bus::serialText(m.deviceIdentity);
    if (const ModelEntry* model = m.checkedModel()) e.model = QString::fromUtf8(model->caption);
    e.firmware = NumberFormat::formatShortest(m.deviceVersion, QLatin1Char('.'));
    if (event != RecordEntry::Event::LoopCheck) e.name = instrumentName();
    e.configuration = recordedBytes(m);
    e.verification = verificationText;
    QList<ShownField> now = shownFields(m);
    if (event == RecordEntry::Event::Programming) {
        e.reason = reason;
        // Read back otherwise than meant: the entry holds what the instrument holds, beside
        // what was meant, so the next comparison starts from the real state.
        if (verification.done && !verification.differences.isEmpty()) {
            e.intended = e.configuration;
            e.configuration = verification.held;
            now = verification.heldFields;
            for (const FieldDifference& d : verification.differences)
                e.deviations.append({d.group, d.label, d.a, d.b});
        }
    }
    const std::optional<RecordEntry> before = knownState(e.serial);
    if (before)
        for (const FieldDifference& d : differences(recordedFields(before->configuration), now))
            e.changes.append({d.group, d.label, d.a, d.b});
    // The sheet's acceptance record holds the run even when the record cannot be written.
    programmed.reset();
    if (event == RecordEntry::Event::Programming) showProgramming(e, before.has_value());
    if (!env.record->add(std::move(e)))
        m.StatusBar1.panels[2] += QStringLiteral(" – nicht im Gerätearchiv gespeichert");
}

bool MainHandlers::confirmProgramming(int32_t readFrom) {
    programmingNote.clear();
    if (!env.record) return true;
    if (!askDifferences(readFrom)) return false;
    // Optional: an empty line programs without one; "Abbrechen" programs nothing.
    const std::optional<QString> given =
        env.prompter->textLine(QStringLiteral("Grund der Änderung (freiwillig, wird im Gerätearchiv eingetragen):"),
                               QStringLiteral("Grund der Änderung"), reason);
    if (!given) return false;
    reason = given->simplified();
    return true;
}

bool MainHandlers::askDifferences(int32_t readFrom) {
    const QString serial = bus::serialText(m.deviceIdentity);
    const std::optional<RecordEntry> known = knownState(serial);
    const bool otherInstrument = readFrom != 0 && readFrom != m.deviceIdentity;
    if (!known) {
        m.StatusBar1.panels[2] = programmingNote = QStringLiteral("Gerät %1 war noch nicht im Gerätearchiv").arg(serial);
        actions.repaintStatusBar();
        // The instrument the window was read from is checked whether or not the record knows this one.
        if (!otherInstrument) return true;
    }
    const QList<FieldDifference> rows =
        known ? differences(recordedFields(known->configuration), shownFields(m)) : QList<FieldDifference>{};
    const QString when = known ? recordedTime(known->time) : QString();
    const QString table = differenceListing(rows, QStringLiteral("Gerät"), QStringLiteral("Fenster"));
    const QString readSerial = bus::serialText(readFrom);
    Prompter::Message question;
    question.text = !known ? QStringLiteral("Das Gerät %1 war noch nicht im Gerätearchiv.").arg(serial)
                    : rows.isEmpty()
                        ? QStringLiteral("Das Fenster stimmt mit dem letzten bekannten Stand des Geräts %1 überein.")
                              .arg(serial)
                        : QStringLiteral("Das Fenster ändert am Gerät %1 (Stand vom %2):\n\n%3").arg(serial, when, table);
    if (otherInstrument)
        question.text += QStringLiteral("\n\nDas Fenster wurde von Gerät %1 eingelesen, angeschlossen ist Gerät %2.")
                             .arg(readSerial, serial);
    question.text += QStringLiteral("\n\nProgrammieren?");
    question.caption = QStringLiteral("Programmieren?");
    question.icon = otherInstrument ? Prompter::Icon::Warning : Prompter::Icon::Question;
    question.buttons = {Prompter::Button::Yes, Prompter::Button::No};
    question.defaultButton = otherInstrument ? Prompter::Button::No : Prompter::Button::Yes;
    return env.prompter->message(question) == Prompter::Button::Yes;
}

void MainHandlers::verifyProgramming() {
    verification = {};
    // The instrument is read into a copy of the window by handlers of its own, as the compare
    // window reads it; that readout is part of this programming, not an entry of its own.
    MainWindowModel back = m;
    MainEnvironment e = env;
    e.callLog = nullptr;
    e.record = nullptr;
    {
        MainHandlers reader(back, e);
        reader.Konfigurationlesen1Click();
        if (reader.lastBusStatus() < 0) {
            verification.failure = back.StatusBar1.panels[2];
            return;
        }
    }
    verification.done = true;
    verification.heldFields = shownFields(back);
    verification.differences = differences(shownFields(m), verification.heldFields);
    if (!verification.differences.isEmpty()) verification.held = recordedBytes(back);
}

qint64 MainHandlers::beginJournal() {
    if (!env.record) return 0;
    ProgrammingJournal run;
    run.started = env.now ? env.now().toUTC() : QDateTime::currentDateTimeUtc();
    run.serial = bus::serialText(m.deviceIdentity);
    run.identity = quint32(m.deviceIdentity);
    run.port = m.comPort;
    run.address = m.busAddress;
    if (const ModelEntry* model = m.checkedModel()) run.model = QString::fromUtf8(model->caption);
    run.target = recordedBytes(m);
    if (const std::optional<RecordEntry> known = knownState(run.serial)) {
        run.before = known->configuration;
        run.beforeTime = known->time;
    }
    return env.record->beginProgramming(run);
}

void MainHandlers::offerUnsettled() {
    if (!env.record || m.deviceIdentity == 0 || lastBusStatus() < 0) return;
    const QList<ProgrammingJournal> open = env.record->unsettled(bus::serialText(m.deviceIdentity));
    if (open.isEmpty()) return;
    const ProgrammingJournal& run = open.first();
    Prompter::Message question;
    question.caption = QStringLiteral("Unvollständig programmiert");
    question.icon = Prompter::Icon::Warning;
    const QString before =
        run.before.isEmpty()
            ? QStringLiteral("Einen vorherigen Stand kennt das Gerätearchiv nicht.")
            : QStringLiteral("Vorheriger Stand: %1 im Gerätearchiv.").arg(recordedTime(run.beforeTime));
    question.text = QStringLiteral("Das Gerät %1 wurde %2.\n\nEs hält vielleicht weder den vorherigen noch den "
                                   "neuen Stand; das Fenster zeigt, was es jetzt hält.\n\n%3")
                        .arg(run.serial, InstrumentRecord::unsettledText(run), before);
    question.buttons = {Prompter::Button::Yes};
    question.buttonTexts.insert(Prompter::Button::Yes, QStringLiteral("Erneut programmieren"));
    if (!run.before.isEmpty()) {
        question.buttons.append(Prompter::Button::No);
        question.buttonTexts.insert(Prompter::Button::No, QStringLiteral("Vorherigen Stand wiederherstellen"));
    }
    question.buttons.append(Prompter::Button::Cancel);
    question.buttonTexts.insert(Prompter::Button::Cancel, QStringLiteral("Später"));
    question.defaultButton = Prompter::Button::Cancel;
    const Prompter::Button answer = env.prompter->message(question);
    if (answer == Prompter::Button::Cancel) return;
    RecordEntry state;
    state.time = answer == Prompter::Button::Yes ? run.started : run.beforeTime;
    state.configuration = answer == Prompter::Button::Yes ? run.target : run.before;
    // Into the window as one step, then the usual programming with its question and read-back.
    if (loadRecorded(state)) miKonfigurationprogrammieren1Click();
}

std::optional<RecordEntry> MainHandlers::knownState(const QString& serial) {
    std::optional<RecordEntry> newest = env.record->latest(serial);
    // An address or name change of an instrument never read carries no configuration.
    if (newest && newest->configuration.isEmpty()) {
        newest.reset();
        for (const RecordEntry& e : env.record->history(serial))
            if (!e.configuration.isEmpty()) return e;
    }
    return newest;
}

void MainHandlers::recordChange(const InstrumentChange& change) {
    programmed.reset();
    if (!env.record) return;
    const QString serial = bus::serialText(change.identity);
    // Model, firmware, name and configuration: an address or name change leaves them as they were.
    RecordEntry e = env.record->latest(serial).value_or(RecordEntry{});
    e.id = 0;
    e.time = env.now ? env.now().toUTC() : QDateTime();
    e.user.clear();
    e.computer.clear();
    e.verification.clear();
    e.reason.clear();
    const bool address = change.kind == InstrumentChange::Kind::Address;
    e.event = address ? RecordEntry::Event::AddressChange : RecordEntry::Event::NameChange;
    e.port = m.comPort;
    e.address = change.address;
    e.identity = quint32(change.identity);
    e.serial = serial;
    if (e.model.isEmpty()) e.model = change.type;
    if (change.firmware) e.firmware = NumberFormat::formatShortest(*change.firmware, QLatin1Char('.'));
    if (!address) e.name = change.after;
    e.changes = {{QStringLiteral("Gerät"), address ? QStringLiteral("Busadresse") : QStringLiteral("Gerätename"),
                  change.before, change.after}};
    env.record->add(std::move(e));
}

const RecordEntry* MainHandlers::programmingShown(bool* knownBefore) {
    if (!programmed || programmed->identity != quint32(m.deviceIdentity)) return nullptr;
    // Changed in the window since: the sheet would sign for something that was not programmed.
    if (!differences(recordedFields(programmed->configuration), shownFields(m)).isEmpty()) return nullptr;
    if (knownBefore) *knownBefore = programmedKnown;
    return &*programmed;
}

void MainHandlers::showProgramming(const RecordEntry& entry, bool knownBefore) {
    programmed = entry;
    programmedKnown = knownBefore;
}
