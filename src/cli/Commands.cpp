#include "cli/Commands.h"

#include "app/ComPortWindow.h"
#include "app/FieldList.h"
#include "app/LineCheck.h"
#include "app/ProgramPaths.h"
#include "bus/BusPort.h"
#include "bus/BusCommands.h"
#include "bus/BusScan.h"
#include "bus/Instrument.h"
#include "bus/Reach.h"
#include "files/CsvTable.h"
#include "cli/Output.h"
#include "cli/StopRequest.h"
#include "config/Cp1252.h"
#include "files/D20Writer.h"
#include "files/FileWriter.h"
#include "files/LinePlan.h"
#include "record/InstrumentRecord.h"
#include "tools/AddressWindow.h"
#include "tools/DeviceNameWindow.h"
#include "tools/FlowCalculatorWindow.h"
#include "tools/LiveValueWindow.h"
#include "ui/SheetPainter.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cmath>
#include <csignal>
#include <algorithm>
#include <optional>
#include <limits>
#include <cstdio>
#include <unistd.h>

namespace {

std::unique_ptr<InstrumentRecord> openRecord(const Invocation& in,
                                             InstrumentRecord::Access access = InstrumentRecord::Access::Write);
QString recordTime(const QDateTime& time);

// The record a reading or programming command writes to; none with --no-record. It lives as
// long as the command: what it could not write is named when the command ends.
InstrumentRecord* recordFor(Invocation& in) {
    if (in.parser.isSet(QStringLiteral("no-record"))) return nullptr;
    in.ownRecord = openRecord(in);
    in.common.record = in.ownRecord.get();
    return in.common.record;
}

using cliout::err;
using cliout::outBytes;
using cliout::out;
using cliout::outJson;

const Command* running = nullptr; // the command being run, for its synopsis

// A wrong call: the reason, then how the command is called.
int usage(const QString& reason) {
    err(reason);
    if (running) err(QStringLiteral("Aufruf: trkdvn-cli ") + synopsis(*running));
    return exitcode::Usage;
}

// The one port of a command that talks to one instrument; 0, the stored port, with
// --use-settings (the command line was checked against the command's options).
int16_t onePort(const Invocation& in) {
    return in.ports.value(0, 0);
}

// The failure the status bar shows, on stderr unless a box already said the same.
int failed(Session& s, int code) {
    if (!s.prompter().shownTexts.contains(s.panel()))
        err(CliPrompter::line(QStringLiteral("Status"), s.panel()));
    return code;
}
int busFailed(Session& s) {
    return failed(s, exitcode::BusFailure);
}
// A file not loaded or not written: its reason, unless a box already said it.
int fileFailed(Session& s) {
    const QString reason = s.fileOutcome().reason;
    if (reason.isEmpty() || s.prompter().shownTexts.contains(reason)) return failed(s, exitcode::FileError);
    err(CliPrompter::line(QStringLiteral("Fehler"), reason));
    return exitcode::FileError;
}

// The library loaded as at the window's start; otherwise the files tried are named.
bool started(Session& s) {
    if (const QString why = s.startFailure(); !why.isEmpty()) {
        err(CliPrompter::line(QStringLiteral("Fehler"), why));
        return false;
    }
    return true;
}

// The command's options with the separator the file was written with, so it reads as written.
CommonOptions optionsFor(const Invocation& in, const QString& file) {
    CommonOptions options = in.common;
    options.separator = separatorOfFile(options, file);
    return options;
}

std::unique_ptr<Session> fileSession(const Invocation& in, const QString& file) {
    return std::make_unique<Session>(optionsFor(in, file), 0);
}

// A field's value in JSON: numbers as numbers, whatever separator the window uses.
QJsonValue jsonValue(const QString& text, bool numeric) {
    if (!numeric) return text;
    bool ok = false;
    const double number = QString(text).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    return ok ? QJsonValue(number) : QJsonValue(text);
}

QJsonArray fieldsJson(const QList<ShownField>& fields) {
    QJsonArray list;
    for (const ShownField& f : fields)
        list.append(QJsonObject{{QStringLiteral("group"), f.group},
                                {QStringLiteral("label"), f.label},
                                {QStringLiteral("value"), jsonValue(f.value, f.numeric)},
                                {QStringLiteral("text"), f.value},
                                {QStringLiteral("control"), f.control}});
    return list;
}

// Every field any model shows, by its component name: null where this one does not show it.
QJsonObject valuesJson(const QList<ShownField>& fields) {
    QJsonObject values;
    for (const QString& control : fieldControls())
        values.insert(control, QJsonValue());
    for (const ShownField& f : fields)
        values.insert(f.control, jsonValue(f.value, f.numeric));
    return values;
}

void printFields(const QString& title, const QList<ShownField>& fields) {
    out(title);
    QString group;
    for (const ShownField& f : fields) {
        if (f.group != group) {
            group = f.group;
            out(QStringLiteral("[%1]").arg(group));
        }
        out(QStringLiteral("  %1  %2").arg(f.label, -34).arg(f.value));
    }
}

void showConfiguration(Invocation& in, Session& s, const QString& source) {
    const ModelEntry* model = s.model().checkedModel();
    const QString name = model ? modelName(*model) : QString();
    const QList<ShownField> fields = shownFields(s.model());
    if (in.json)
        outJson({{QStringLiteral("source"), source},
                 {QStringLiteral("model"), name},
                 {QStringLiteral("fields"), fieldsJson(fields)},
                 {QStringLiteral("values"), valuesJson(fields)}});
    else
        printFields(QStringLiteral("%1: %2").arg(source, name), fields);
}

QList<const ModelEntry*> offeredModels(Session& s) {
    QList<const ModelEntry*> list;
    for (const ModelEntry* e = catalogue::begin(); e != catalogue::end(); ++e)
        if (s.model().modelItem(e->id).visible) list.append(e);
    return list;
}

// --model, or the one model whose identification accepts the instrument.
int chooseModel(Invocation& in, Session& s, int16_t port, const ModelEntry*& model) {
    if (in.parser.isSet(QStringLiteral("model"))) {
        model = modelByName(in.parser.value(QStringLiteral("model"))); // checked while parsing
        return exitcode::Ok;
    }
    auto lib = s.libraryFactory()(BusLibrary::allEntries());
    if (!lib->load()) {
        err(CliPrompter::line(QStringLiteral("Fehler"),
                              QStringLiteral("Die Bus-Bibliothek konnte nicht geladen werden.")));
        return exitcode::BusFailure;
    }
    s.setProgressText(QStringLiteral("Gerätetyp wird ermittelt"));
    const Detection found = detectModels(*lib, s.clockSeam(), port > 0 ? port : s.model().comPort,
                                         s.model().converterCode, in.common.address, offeredModels(s));
    if (found.status < 0) {
        err(CliPrompter::line(QStringLiteral("Fehler"), bus::errorText(*lib, found.status)));
        return exitcode::BusFailure;
    }
    s.setProgressText({});
    lib->unload();
    if (found.models.size() == 1) {
        model = found.models.first();
        return exitcode::Ok;
    }
    QStringList names;
    for (const ModelEntry* e : found.models)
        names.append(modelName(*e));
    err(found.models.isEmpty()
            ? QStringLiteral("Kein Gerätetyp passt zum angeschlossenen Gerät; bitte mit --model angeben.")
            : QStringLiteral("Mehrere Gerätetypen passen: %1; bitte mit --model angeben.")
                  .arg(names.join(QStringLiteral(", "))));
    return exitcode::Usage;
}

// --- ports --------------------------------------------------------------------------------------

int runPorts(Invocation& in) {
    Session s(in.common, 0);
    ComPortWindow window(s.libraryFactory()({BusLibrary::Entry::SearchForComPorts}), s.settings());
    window.FormCreate();
    if (!window.cb_ComPorts.enabled) {
        // The window's binding knows no error texts: asked again through a whole binding,
        // the library names the reason of its refusal, as identify shows it.
        auto lib = s.libraryFactory()(BusLibrary::allEntries());
        QList<int16_t> ports;
        const int16_t status = lib->load() ? lib->SearchForComPorts(ports) : int16_t(0);
        const QString reason = status < 0 && lib->isLoaded()
                                   ? bus::errorText(*lib, status)
                                   : QStringLiteral("Die Bus-Bibliothek meldet keine Ports.");
        err(CliPrompter::line(QStringLiteral("Fehler"), reason));
        return exitcode::BusFailure;
    }
    if (in.json) {
        QJsonArray list;
        for (const QString& item : window.cb_ComPorts.items)
            list.append(item.mid(3).toInt());
        outJson({{QStringLiteral("ports"), list}});
    } else {
        for (const QString& item : window.cb_ComPorts.items)
            out(item);
    }
    return exitcode::Ok;
}

// --- models -------------------------------------------------------------------------------------

// The models of the "&Typ" menu, by the names --model takes.
int runModels(Invocation& in) {
    Session s(in.common, 0);
    QJsonArray list;
    for (const ModelEntry* e : offeredModels(s)) {
        if (in.json)
            list.append(modelName(*e));
        else
            out(modelName(*e));
    }
    if (in.json) outJson({{QStringLiteral("models"), list}});
    return exitcode::Ok;
}

// --- identify -----------------------------------------------------------------------------------

// "0x07810101": a word in hexadecimal digits.
QString hex(int32_t v, int digits) {
    return QStringLiteral("0x%1")
        .arg(static_cast<uint32_t>(v), digits, 16, QLatin1Char('0'))
        .toUpper()
        .replace(QStringLiteral("0X"), QStringLiteral("0x"));
}

// The family bits of an identity word: "0x78".
QString familyCode(int32_t identity) {
    return QStringLiteral("0x%1").arg(static_cast<uint32_t>(identity & kFamilyMask) >> 20, 2, 16, QLatin1Char('0'));
}

QString firmwareText(Session& s, double firmware) {
    return QString::number(firmware, 'f', 1).replace(QLatin1Char('.'), s.separator());
}

// A programming run of this instrument that never ended whole, named on stderr.
void noteUnsettled(const Invocation& in, int32_t identity) {
    if (in.parser.isSet(QStringLiteral("no-record")) || identity == 0) return;
    std::unique_ptr<InstrumentRecord> own;
    InstrumentRecord* record = in.common.record;
    if (!record) {
        own = openRecord(in, InstrumentRecord::Access::Read);
        record = own.get();
    }
    const QString serial = bus::serialText(identity);
    const QList<ProgrammingJournal> open = record->unsettled(serial);
    if (open.isEmpty()) return;
    err(CliPrompter::line(QStringLiteral("Gerätearchiv"),
                          QStringLiteral("Das Gerät %1 wurde %2. Es hält vielleicht weder den vorherigen noch den "
                                         "neuen Stand; „trkdvn-cli history --serial %1“ zeigt beide.")
                              .arg(serial, InstrumentRecord::unsettledText(open.first()))));
}

int runIdentify(Invocation& in) {
    const int16_t port = onePort(in);
    Session s(in.common, port);
    if (!started(s)) return exitcode::BusFailure;
    auto lib = s.libraryFactory()(BusLibrary::allEntries());
    lib->load();
    const InstrumentInfo info = identifyInstrument(*lib, s.clockSeam(), s.model().comPort,
                                                   s.model().converterCode, in.common.address);
    if (info.status < 0) {
        err(CliPrompter::line(QStringLiteral("Fehler"), bus::errorText(*lib, info.status)));
        return exitcode::BusFailure;
    }
    noteUnsettled(in, info.identity);
    const QString family = familyCode(info.identity);
    const QString firmware = firmwareText(s, info.firmware);
    if (in.json) {
        QJsonObject o{{QStringLiteral("port"), s.model().comPort},
                      {QStringLiteral("address"), info.address},
                      {QStringLiteral("identity"), hex(info.identity, 8)},
                      {QStringLiteral("serial"), bus::serialText(info.identity)},
                      {QStringLiteral("family"), family},
                      {QStringLiteral("type"), info.typeName},
                      {QStringLiteral("firmware"), info.firmware}};
        o.insert(QStringLiteral("name"), info.hasName ? QJsonValue(info.name) : QJsonValue());
        o.insert(QStringLiteral("features"), info.haveWords ? QJsonValue(hex(info.features, 4)) : QJsonValue());
        o.insert(QStringLiteral("options"), info.haveWords ? QJsonValue(hex(info.options, 4)) : QJsonValue());
        outJson(o);
    } else {
        out(QStringLiteral("Adresse:       %1").arg(info.address));
        out(QStringLiteral("Kennung:       %1").arg(hex(info.identity, 8)));
        out(QStringLiteral("Seriennummer:  %1").arg(bus::serialText(info.identity)));
        out(QStringLiteral("Familie:       %1 %2").arg(family, info.typeName));
        out(QStringLiteral("Version:       %1").arg(firmware));
        out(QStringLiteral("Name:          %1")
                .arg(info.hasName ? info.name : QStringLiteral("(keine Namen)")));
        if (info.haveWords) {
            out(QStringLiteral("Merkmale (38): %1").arg(hex(info.features, 4)));
            out(QStringLiteral("Optionen (39): %1").arg(hex(info.options, 4)));
        }
    }
    return exitcode::Ok;
}

// --- scan ---------------------------------------------------------------------------------------

void printScanRow(Invocation& in, Session& s, const bus::ScanRow& row) {
    s.clearProgress();
    if (in.json) {
        QJsonObject o{{QStringLiteral("port"), s.model().comPort}, {QStringLiteral("address"), row.address}};
        if (row.collision) {
            o.insert(QStringLiteral("collision"), true);
            o.insert(QStringLiteral("message"), row.collisionText());
        } else {
            o.insert(QStringLiteral("identity"), hex(row.identity, 8));
            o.insert(QStringLiteral("serial"), bus::serialText(row.identity));
            o.insert(QStringLiteral("family"), familyCode(row.identity));
            o.insert(QStringLiteral("type"), row.typeName);
            o.insert(QStringLiteral("firmware"), row.hasFirmware ? QJsonValue(row.firmware) : QJsonValue());
            o.insert(QStringLiteral("name"), row.hasName ? QJsonValue(row.name) : QJsonValue());
        }
        outJson(o);
        return;
    }
    if (row.collision) {
        out(QStringLiteral("%1  %2").arg(row.address, 3).arg(row.collisionText()));
        return;
    }
    out(QStringLiteral("%1  %2  %3  %4  %5")
            .arg(row.address, 3)
            .arg(bus::serialText(row.identity))
            .arg(row.typeName, -9)
            .arg(row.hasFirmware ? firmwareText(s, row.firmware) : QStringLiteral("?"), 4)
            .arg(row.hasName ? row.name : QStringLiteral("(kein Name)")));
}

int runScan(Invocation& in) {
    const int16_t port = onePort(in);
    const auto address = [&in](const char* key, int16_t otherwise) {
        return in.parser.isSet(QLatin1String(key)) ? static_cast<int16_t>(in.parser.value(QLatin1String(key)).toInt())
                                                   : otherwise;
    };
    const bus::ScanRequest request{address("from", 0), address("to", bus::kHighestAddress), {}};
    if (request.from > request.to)
        return usage(QStringLiteral("--from %1 liegt hinter --to %2.").arg(request.from).arg(request.to));
    Session s(in.common, port);
    if (!started(s)) return exitcode::BusFailure;
    auto lib = s.libraryFactory()(BusLibrary::allEntries());
    lib->load();
    const int16_t opened = bus::openBusPort(*lib, s.model().comPort, s.model().converterCode, s.clockSeam());
    if (opened < 0) {
        err(CliPrompter::line(QStringLiteral("Fehler"), bus::errorText(*lib, opened)));
        return exitcode::BusFailure;
    }
    // Ctrl+C stops between two addresses: the port is closed and what was found is printed.
    const stoprequest::Deferred deferred;
    int found = 0;
    const bus::ScanResult result = bus::scanBus(
        *lib, request,
        {[&](const bus::ScanRow& row) {
             ++found;
             printScanRow(in, s, row);
         },
         [&](const bus::ScanProgress& p) {
             s.showOwnProgress(QStringLiteral("Bus durchsuchen: ") +
                               p.text(QStringLiteral(", %1 gefunden").arg(found)));
         },
         [] { return stoprequest::requested(); }});
    lib->TBCloseCom();
    if (result.cancelled) {
        err(QStringLiteral("Abgebrochen nach %1 von %2 Adressen.").arg(result.done).arg(request.to - request.from + 1));
        return exitcode::Interrupted;
    }
    if (result.status < 0) {
        err(CliPrompter::line(QStringLiteral("Fehler"), bus::errorText(*lib, result.status) +
                                                         QStringLiteral(" (Adresse %1)").arg(result.failedAt)));
        return exitcode::BusFailure;
    }
    if (result.rows.isEmpty()) {
        err(QStringLiteral("Kein Gerät antwortet an den Adressen %1 bis %2.").arg(request.from).arg(request.to));
        return exitcode::BusFailure;
    }
    return exitcode::Ok;
}

// --- watch --------------------------------------------------------------------------------------

// "0.5" or "0,5" seconds, 0 (as fast as the line allows) to a day.
std::optional<double> watchInterval(const QString& text) {
    bool ok = false;
    const double seconds = QString(text).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds < 0 || seconds > 86400) return std::nullopt;
    return seconds;
}

int runWatch(Invocation& in) {
    double interval = 1.0;
    if (in.parser.isSet(QStringLiteral("interval"))) {
        const auto given = watchInterval(in.parser.value(QStringLiteral("interval")));
        if (!given)
            return usage(QStringLiteral("Ungültiges Intervall „%1“ bei --interval: Sekunden von 0 bis 86400.")
                             .arg(in.parser.value(QStringLiteral("interval"))));
        interval = *given;
    }
    std::optional<int> count;
    if (in.parser.isSet(QStringLiteral("count"))) {
        count = cliopt::wholeNumber(in.parser.value(QStringLiteral("count")), 1, std::numeric_limits<int>::max());
        if (!count)
            return usage(QStringLiteral("Ungültige Anzahl „%1“ bei --count: eine ganze Zahl ab 1.")
                             .arg(in.parser.value(QStringLiteral("count"))));
    }
    Session s(in.common, onePort(in));
    if (!started(s)) return exitcode::BusFailure;
    auto lib = s.libraryFactory()(BusLibrary::allEntries());
    lib->load();

    // Address 0 is an instrument's address like any other: only a missing --address asks the bus.
    bus::ReachPlan plan;
    plan.comPort = s.model().comPort;
    plan.converterCode = s.model().converterCode;
    plan.clock = &s.clockSeam();
    plan.askAddress = in.common.address < 0;
    plan.clearOperands = true;
    int16_t address = in.common.address;
    bus::Operands ops;
    const bus::Reached reached = bus::reachInstrument(*lib, plan, address, ops);
    if (!reached.ok()) {
        err(CliPrompter::line(QStringLiteral("Fehler"), bus::errorText(*lib, reached.status())));
        if (reached.opened >= 0) lib->TBCloseCom();
        return exitcode::BusFailure;
    }
    // The decimal places the instrument shows; the value as the library answers it without them.
    ops = {};
    int decimals = -1;
    if (bus::transmit(*lib, address, bus::cmd::ReadDecimals, ops) >= 0 && ops.integer >= 0 && ops.integer <= 3)
        decimals = ops.integer;
    const QChar separator = s.separator();
    const auto valueText = [&](double v) {
        const QString text = decimals >= 0 ? QString::number(v, 'f', decimals) : QString::number(v, 'g', 12);
        return QString(text).replace(QLatin1Char('.'), separator);
    };

    // The CSV file gets its head now and each reading as it comes: whatever ends the watch, the
    // file holds every reading taken, and a long watch keeps nothing in memory.
    QString csv;
    if (in.parser.isSet(QStringLiteral("csv"))) {
        csv = in.parser.value(QStringLiteral("csv"));
        const filewriter::Result head = filewriter::replace(csv, liveCsvHead());
        if (!head.ok) {
            lib->TBCloseCom();
            err(CliPrompter::line(QStringLiteral("Fehler"), head.reason));
            return exitcode::FileError;
        }
    }

    // Ctrl+C ends the watch after the reading in hand; the port is closed and the file written.
    const stoprequest::Deferred deferred;
    QElapsedTimer since;
    since.start();
    int answered = 0;
    QString writeProblem;
    for (int taken = 0; !stoprequest::requested() && (!count || taken < *count); ++taken) {
        if (taken > 0) {
            // Polls keep to their schedule however long an answer took; a late one goes at once.
            const qint64 due = static_cast<qint64>(taken * interval * 1000.0);
            for (qint64 left = due - since.elapsed(); left > 0 && !stoprequest::requested();
                 left = due - since.elapsed())
                s.clockSeam().sleep(static_cast<int>(std::min<qint64>(left, 50)));
            if (stoprequest::requested()) break;
        }
        const bus::Reading reading = bus::readMeasurement(*lib, address);
        const QString time = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
        const QString value = reading.value ? valueText(*reading.value) : QString();
        const QString status =
            reading.value ? QStringLiteral("ok") : bus::errorText(*lib, reading.status).trimmed();
        if (reading.value) ++answered;
        if (in.json) {
            QJsonObject o{{QStringLiteral("time"), time},
                          {QStringLiteral("port"), s.model().comPort},
                          {QStringLiteral("address"), address},
                          {QStringLiteral("status"), reading.status}};
            o.insert(QStringLiteral("value"), reading.value ? QJsonValue(*reading.value) : QJsonValue());
            o.insert(QStringLiteral("text"), reading.value ? QJsonValue(value) : QJsonValue());
            if (!reading.value) o.insert(QStringLiteral("message"), status);
            outJson(o);
        } else {
            out(QStringLiteral("%1  %2  %3").arg(time, value.isEmpty() ? QStringLiteral("–") : value, status));
        }
        if (!csv.isEmpty()) {
            const filewriter::Result added = filewriter::append(csv, csvtable::line({time, value, status}));
            writeProblem = added.reason;
            if (!added.ok) break;
        }
    }
    lib->TBCloseCom();
    if (!writeProblem.isEmpty()) {
        err(CliPrompter::line(QStringLiteral("Fehler"), writeProblem));
        return exitcode::FileError;
    }
    if (answered == 0) {
        err(QStringLiteral("Das Gerät an Adresse %1 hat auf keine Messwertabfrage geantwortet.").arg(address));
        return exitcode::BusFailure;
    }
    return exitcode::Ok;
}

// --- read ---------------------------------------------------------------------------------------

// What the d20 header would make of a comment, one sentence per change; empty when it goes in
// as typed (runs of blanks count as one, as the window saves them).
QStringList commentChanges(const QString& comment, Session& s) {
    QStringList changes;
    static const QRegularExpression breaks(QStringLiteral("[\\r\\n\\t\\v\\f]"));
    if (comment.contains(breaks))
        changes.append(QStringLiteral("Zeilenumbrüche und Tabulatoren werden zu Leerzeichen."));
    const QString carried = cp1252::decode(cp1252::encode(comment));
    if (carried != comment) {
        QString lost;
        for (int i = 0; i < comment.size() && i < carried.size(); ++i)
            if (comment.at(i) != carried.at(i) && !lost.contains(comment.at(i))) lost += comment.at(i);
        changes.append(QStringLiteral("Zeichen außerhalb von Windows-1252 werden zu „?“: %1").arg(lost));
    }
    if (comment.contains(QLatin1String("</END>")))
        changes.append(QStringLiteral("Der Text ab „</END>“ geht verloren."));
    const QString words = QLatin1Char(' ') + carried.left(carried.indexOf(QLatin1String("</END>")))
                                                 .split(QRegularExpression(QStringLiteral("\\s+")),
                                                        Qt::SkipEmptyParts)
                                                 .join(QLatin1Char(' '));
    const D20Header header{QDate::currentDate(), words, D20Writer::platformUserName()};
    const QString notice = D20Writer(s.model(), s.separator()).commentNotice(header);
    if (!notice.isEmpty()) changes += notice.split(QLatin1Char('\n'));
    return changes;
}

int runRead(Invocation& in) {
    const int16_t port = onePort(in);
    recordFor(in);
    Session s(in.common, port);
    if (!started(s)) return exitcode::BusFailure;
    const ModelEntry* model = nullptr;
    if (const int code = chooseModel(in, s, port, model); code != exitcode::Ok) return code;
    s.chooseModel(*model);
    if (s.readInstrument() < 0) return busFailed(s);
    noteUnsettled(in, s.model().deviceIdentity);
    if (in.parser.isSet(QStringLiteral("output"))) {
        const QString comment = in.parser.value(QStringLiteral("comment"));
        if (in.parser.isSet(QStringLiteral("comment")) && !in.common.yes) {
            if (const QStringList changes = commentChanges(comment, s); !changes.isEmpty()) {
                err(QStringLiteral("Der Kommentar kann nicht so gespeichert werden, wie er angegeben ist:\n  ") +
                    changes.join(QStringLiteral("\n  ")) +
                    QStringLiteral("\nNichts wurde gespeichert; mit --yes wird er so gespeichert."));
                return exitcode::Usage;
            }
        }
        if (!s.saveFile(in.parser.value(QStringLiteral("output")),
                        in.parser.isSet(QStringLiteral("comment")) ? &comment : nullptr))
            return fileFailed(s);
        if (in.json && in.parser.value(QStringLiteral("output")) != QLatin1String("-"))
            outJson({{QStringLiteral("file"), in.parser.value(QStringLiteral("output"))},
                     {QStringLiteral("model"), modelName(*model)}});
        return exitcode::Ok;
    }
    showConfiguration(in, s, QStringLiteral("COM%1").arg(s.model().comPort));
    return exitcode::Ok;
}

// --- show ---------------------------------------------------------------------------------------

int runShow(Invocation& in) {
    const std::unique_ptr<Session> s = fileSession(in, in.args.first());
    if (!started(*s)) return exitcode::BusFailure;
    if (!s->loadFile(in.args.first())) return fileFailed(*s);
    showConfiguration(in, *s, in.args.first());
    return exitcode::Ok;
}

// --- program ------------------------------------------------------------------------------------

// One line of the batch table.
struct PortResult {
    int16_t port;
    QString serial;
    QString result;
    int code;
    QList<FieldDifference> differences;
};

// A failure counts worse than a difference, a difference worse than success.
int worse(int a, int b) {
    auto rank = [](int c) {
        return c == exitcode::Ok ? 0 : c == exitcode::Differences ? 1 : c == exitcode::Interrupted ? 3 : 2;
    };
    return rank(b) > rank(a) ? b : a;
}

void printDifferences(const QList<FieldDifference>& diffs, const QString& a, const QString& b) {
    out(QStringLiteral("%1 | %2 | %3 | %4").arg(QStringLiteral("Gruppe"), QStringLiteral("Feld"), a, b));
    for (const FieldDifference& d : diffs)
        out(QStringLiteral("%1 | %2 | %3 | %4").arg(d.group, d.label, d.a, d.b));
}

QJsonArray differencesJson(const QList<FieldDifference>& diffs) {
    QJsonArray list;
    for (const FieldDifference& d : diffs)
        list.append(QJsonObject{{QStringLiteral("group"), d.group},
                                {QStringLiteral("label"), d.label},
                                {QStringLiteral("a"), jsonValue(d.a, d.numeric && !d.a.isEmpty())},
                                {QStringLiteral("b"), jsonValue(d.b, d.numeric && !d.b.isEmpty())}});
    return list;
}

// `echo`: the file's header is shown as for a file the user named (not for a plan's files).
PortResult programPort(Invocation& in, const QString& file, int16_t port, bool verify, bool echo = true) {
    PortResult r{port, QString(), QString(), exitcode::Ok, {}};
    // Both sessions use the separator the file was written with, so their fields compare.
    const CommonOptions options = optionsFor(in, file);
    Session s(options, port);
    r.port = s.model().comPort;
    if (!started(s))
        return {r.port, {}, QStringLiteral("Bus-Bibliothek nicht verfügbar"), exitcode::BusFailure, {}};
    if (!s.loadFile(file, echo)) {
        fileFailed(s);
        return {r.port, {}, QStringLiteral("Datei nicht geladen"), exitcode::FileError, {}};
    }
    s.model().miPruefenNachProgrammieren.checked = verify;
    const int16_t status = s.programInstrument();
    if (s.model().deviceIdentity != 0) r.serial = bus::serialText(s.model().deviceIdentity);
    if (status < 0) {
        busFailed(s);
        r.result = s.panel();
        r.code = exitcode::BusFailure;
        return r;
    }
    r.result = QStringLiteral("programmiert");
    if (!verify) return r;
    // The programming read the instrument back itself, as the window does.
    const MainHandlers::Verification& back = s.handlers().lastVerification();
    if (!back.done) {
        r.result = QStringLiteral("Rücklesen fehlgeschlagen: ") + back.failure;
        r.code = exitcode::BusFailure;
        return r;
    }
    r.differences = back.differences;
    if (r.differences.isEmpty()) {
        r.result = QStringLiteral("programmiert und geprüft");
    } else {
        r.result = deviationCount(r.differences.size());
        r.code = exitcode::Differences;
    }
    return r;
}

int runProgram(Invocation& in) {
    const QString file = in.args.first();
    if (!QFileInfo(file).isFile()) {
        err(CliPrompter::line(QStringLiteral("Fehler"),
                              QStringLiteral("Die Datei %1 konnte nicht geöffnet werden.").arg(file)));
        return exitcode::FileError;
    }
    const bool verify = in.parser.isSet(QStringLiteral("verify"));
    recordFor(in);
    QList<int16_t> ports = in.ports;
    if (ports.isEmpty()) ports = {0};
    int code = exitcode::Ok;
    QList<PortResult> results;
    // Ctrl+C finishes the instrument in hand and starts no further one.
    const stoprequest::Deferred deferred;
    for (int16_t port : ports) {
        if (stoprequest::requested()) {
            results.append({port, {}, QStringLiteral("nicht programmiert (abgebrochen)"), exitcode::Interrupted, {}});
            continue;
        }
        results.append(programPort(in, file, port, verify));
        code = worse(code, results.last().code);
        if (results.last().code == exitcode::FileError) break; // the same file fails on every port
    }
    for (const PortResult& r : results) {
        if (in.json) {
            outJson({{QStringLiteral("port"), r.port},
                     {QStringLiteral("serial"), r.serial.isEmpty() ? QJsonValue() : QJsonValue(r.serial)},
                     {QStringLiteral("result"), r.result},
                     {QStringLiteral("exit"), r.code},
                     {QStringLiteral("differences"), differencesJson(r.differences)}});
        } else if (!r.differences.isEmpty()) {
            out(QStringLiteral("COM%1:").arg(r.port));
            printDifferences(r.differences, QStringLiteral("Datei"), QStringLiteral("Gerät"));
        }
    }
    if (!in.json) {
        out(QStringLiteral("%1  %2  %3")
                .arg(QStringLiteral("Port"), -6)
                .arg(QStringLiteral("Seriennummer"), -12)
                .arg(QStringLiteral("Ergebnis")));
        for (const PortResult& r : results)
            out(QStringLiteral("%1  %2  %3")
                    .arg(QStringLiteral("COM%1").arg(r.port), -6)
                    .arg(r.serial.isEmpty() ? QStringLiteral("-") : r.serial, -12)
                    .arg(r.result));
    }
    return code;
}

// --- diff ---------------------------------------------------------------------------------------

struct Side {
    QString source;
    int16_t port = 0; // 0: a file
    std::unique_ptr<Session> session;
};

int runDiff(Invocation& in) {
    Side sides[2];
    // --model was checked while parsing; without it the files' model decides.
    const ModelEntry* model = modelByName(in.parser.value(QStringLiteral("model")));
    // Both sides named right before either is read.
    for (int i = 0; i < 2; ++i) {
        sides[i].source = in.args.at(i);
        QString portError;
        sides[i].port = cliopt::portSource(sides[i].source, &portError).value_or(0);
        if (!portError.isEmpty()) return usage(portError);
    }
    std::optional<QChar> readWith = in.common.separator;
    for (int i = 0; i < 2; ++i) {
        if (sides[i].port > 0) continue;
        sides[i].session = fileSession(in, sides[i].source);
        if (!started(*sides[i].session)) return exitcode::BusFailure;
        if (!sides[i].session->loadFile(sides[i].source)) return fileFailed(*sides[i].session);
        if (!model) model = sides[i].session->model().checkedModel();
        if (!readWith) readWith = sides[i].session->separator();
    }
    // An instrument is read in the separator of the file it is compared with.
    CommonOptions portOptions = in.common;
    portOptions.separator = readWith;
    for (Side& side : sides) {
        if (side.port == 0) continue;
        side.session = std::make_unique<Session>(portOptions, side.port);
        Session& s = *side.session;
        if (!started(s)) return exitcode::BusFailure;
        if (!model) {
            in.ports = {side.port};
            if (const int code = chooseModel(in, s, side.port, model); code != exitcode::Ok) return code;
        }
        s.chooseModel(*model);
        if (s.readInstrument() < 0) return busFailed(s);
    }
    // Two files may have been written with different separators: numbers compare in the first one's.
    const QChar sep = sides[0].session->separator();
    const auto fields = [sep](Session& s) {
        QList<ShownField> list = shownFields(s.model());
        for (ShownField& f : list)
            if (f.numeric) f.value.replace(s.separator(), sep);
        return list;
    };
    const QList<FieldDifference> diffs = differences(fields(*sides[0].session), fields(*sides[1].session));
    if (in.json)
        outJson({{QStringLiteral("a"), sides[0].source},
                 {QStringLiteral("b"), sides[1].source},
                 {QStringLiteral("differences"), differencesJson(diffs)}});
    else if (!diffs.isEmpty())
        printDifferences(diffs, sides[0].source, sides[1].source);
    return diffs.isEmpty() ? exitcode::Ok : exitcode::Differences;
}

// --- sheet --------------------------------------------------------------------------------------

// The instrument's newest programming from the record, for the sheet of the instrument just read.
int takeProgramming(const Invocation& in, Session& s) {
    const std::unique_ptr<InstrumentRecord> record = openRecord(in, InstrumentRecord::Access::Read);
    const QString serial = bus::serialText(s.model().deviceIdentity);
    const QList<RecordEntry> history = record->history(serial);
    const auto programming = std::find_if(history.begin(), history.end(), [](const RecordEntry& e) {
        return e.event == RecordEntry::Event::Programming;
    });
    if (programming == history.end()) {
        err(CliPrompter::line(QStringLiteral("Fehler"),
                              QStringLiteral("Im Gerätearchiv %1 ist keine Programmierung des Geräts %2 eingetragen. "
                                             "Kein Blatt gespeichert.")
                                  .arg(QDir::toNativeSeparators(record->file()), serial)));
        return exitcode::Usage;
    }
    // Its changes are complete when an older entry held the configuration before it.
    const bool knownBefore = std::any_of(programming + 1, history.end(),
                                         [](const RecordEntry& e) { return !e.configuration.isEmpty(); });
    s.handlers().showProgramming(*programming, knownBefore);
    if (!s.handlers().programmingShown()) {
        err(CliPrompter::line(QStringLiteral("Fehler"),
                              QStringLiteral("Das Gerät %1 zeigt nicht mehr, was am %2 programmiert wurde "
                                             "(Eintrag %3). Kein Blatt gespeichert.")
                                  .arg(serial, recordTime(programming->time))
                                  .arg(programming->id)));
        return exitcode::Differences;
    }
    return exitcode::Ok;
}

// A file loaded or an instrument read as the window does, then its configuration sheet saved.
// The window's picture comes from the window itself, drawn without a display.
int runSheet(Invocation& in) {
    const QString from = in.args.first();
    QString portError;
    const int16_t port = cliopt::portSource(from, &portError).value_or(0);
    if (!portError.isEmpty()) return usage(portError);
    const bool withRecord = in.parser.isSet(QStringLiteral("record"));
    if (withRecord && port == 0)
        return usage(QStringLiteral("--record gilt für ein Gerät (port:N); eine d20-Datei nennt keine Seriennummer."));
    Session* session = nullptr;
    QtSheetPrinter printer([&session] { return session ? windowPicture(session->handlers()) : QImage(); });
    Session s(port == 0 ? optionsFor(in, from) : in.common, port, &printer);
    session = &s;
    if (!started(s)) return exitcode::BusFailure;
    if (port > 0) {
        const ModelEntry* model = nullptr;
        in.ports = {port};
        if (const int code = chooseModel(in, s, port, model); code != exitcode::Ok) return code;
        s.chooseModel(*model);
        if (s.readInstrument() < 0) return busFailed(s);
        // The window's readout leaves the name out; the sheet asks for it on its own.
        auto lib = s.libraryFactory()(BusLibrary::allEntries());
        lib->load();
        const InstrumentInfo info = identifyInstrument(*lib, s.clockSeam(), s.model().comPort,
                                                       s.model().converterCode, s.model().busAddress);
        s.model().source.hasName = info.hasName;
        s.model().source.name = info.name;
        if (withRecord)
            if (const int code = takeProgramming(in, s); code != exitcode::Ok) return code;
    } else if (!s.loadFile(from)) {
        return fileFailed(s);
    }
    const QString output = in.parser.value(QStringLiteral("output"));
    if (!s.saveSheet(output)) return fileFailed(s);
    if (in.json && output != QLatin1String("-")) {
        const ModelEntry* model = s.model().checkedModel();
        const QList<ShownField> fields = shownFields(s.model());
        outJson({{QStringLiteral("file"), output},
                 {QStringLiteral("model"), model ? modelName(*model) : QString()},
                 {QStringLiteral("fields"), fieldsJson(fields)},
                 {QStringLiteral("values"), valuesJson(fields)}});
    }
    return exitcode::Ok;
}

// --- set-address, rename ------------------------------------------------------------------------

// A bus tool window worked as the user would: read the information, type the new value, press
// the tool's button, close. The button is pressed only when the information read found an
// instrument (in the window it is disabled otherwise), so nothing goes to an address that was
// not just found. Success is what the tool's status bar says; `echo` tells the value the
// instrument holds afterwards.
template <typename Window> struct Tool {
    const char* windowClass;
    void (MainHandlers::*open)();
    HintButton Window::*button;
    void (*act)(Session&, Window&, const QString&);
    QString success;
    const char* key;                        // of the new value in the JSON object
    QJsonValue (*echo)(const Window&);
};

template <typename Window> int runTool(Invocation& in, int16_t port, const Tool<Window>& tool, const QString& value) {
    // The window's handlers record the change as they do in the window.
    recordFor(in);
    // A new address or name is sent whole; Ctrl+C waits for its answer.
    const stoprequest::Deferred deferred;
    Session s(in.common, port);
    if (!started(s)) return exitcode::BusFailure;
    // set-address talks to --address when given, as the window to the address chosen there.
    s.model().busAddress = in.common.address;
    QString result;
    bool found = false;
    QJsonValue now;
    s.prompter().onModal[tool.windowClass] = [&](ModalWindow& w) {
        auto& window = static_cast<Window&>(w);
        window.b_InformationenClick();
        found = (window.*tool.button).enabled;
        if (found) {
            tool.act(s, window, value);
            now = tool.echo(window);
        }
        result = window.StatusBar1.text;
        window.FormClose();
    };
    (s.handlers().*tool.open)();
    if (!found || result != tool.success) {
        const QString text = result.isEmpty() ? QStringLiteral("Fenster nicht geöffnet") : result;
        err(CliPrompter::line(QStringLiteral("Status"), found ? text : text + QStringLiteral(" Nichts wurde geändert.")));
        return exitcode::BusFailure;
    }
    if (in.json)
        outJson({{QStringLiteral("port"), s.model().comPort},
                 {QLatin1String(tool.key), now},
                 {QStringLiteral("result"), result}});
    else
        out(result);
    return exitcode::Ok;
}

int runSetAddress(Invocation& in) {
    const int16_t port = onePort(in);
    const Tool<AddressWindow> tool{
        "Tf_AdresseSetzen",
        &MainHandlers::MainMenueExtrasAdresseSetzenClick,
        &AddressWindow::b_AdresseSetzen,
        [](Session& s, AddressWindow& w, const QString& to) {
            w.eAdresseEdited(to);
            w.b_AdresseSetzenClick();
            // With several instruments on the line the address query after the change cannot
            // answer; the instrument is then asked at its new address for its identity.
            if (w.StatusBar1.text.startsWith(QLatin1String("Konnte Adresse nicht neu einlesen"))) {
                auto lib = s.libraryFactory()(BusLibrary::allEntries());
                bus::Operands ops;
                if (lib->load()) {
                    bus::ReachPlan plan;
                    plan.comPort = s.model().comPort;
                    plan.converterCode = s.model().converterCode;
                    plan.clock = &s.clockSeam();
                    plan.askAddress = false;
                    int16_t address = w.currentAddress;
                    const bus::Reached reached = bus::reachInstrument(*lib, plan, address, ops);
                    lib->TBCloseCom();
                    if (reached.ok() && ops.integer == w.idNumber)
                        w.StatusBar1.text = QStringLiteral("Adresse erfolgreich geändert");
                }
            }
        },
        QStringLiteral("Adresse erfolgreich geändert"),
        "address",
        [](const AddressWindow& w) { return QJsonValue(w.currentAddress); }};
    return runTool(in, port, tool, in.parser.value(QStringLiteral("to")));
}

// Why a name cannot go to the instrument as given; empty when it can.
QString nameProblem(const QString& name) {
    if (name.size() > bus::kNameLength)
        return QStringLiteral("Der Name hat %1 Zeichen; das Gerät speichert höchstens %2.")
            .arg(name.size())
            .arg(bus::kNameLength);
    for (const QChar c : name)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            return QStringLiteral("Der Name enthält einen Zeilenumbruch oder ein Steuerzeichen.");
    if (cp1252::decode(cp1252::encode(name)) != name)
        return QStringLiteral("Der Name enthält Zeichen außerhalb von Windows-1252, die das Gerät nicht "
                              "speichern kann.");
    return {};
}

int runRename(Invocation& in) {
    const int16_t port = onePort(in);
    const QString name = in.parser.value(QStringLiteral("name"));
    if (const QString problem = nameProblem(name); !problem.isEmpty()) {
        err(CliPrompter::line(QStringLiteral("Fehler"), problem + QStringLiteral(" Nichts wurde gesendet.")));
        return exitcode::Usage;
    }
    const Tool<DeviceNameWindow> tool{
        "Tf_GeraeteNamenAendern",
        &MainHandlers::mmExtras_GeraeteNamenZuweisenClick,
        &DeviceNameWindow::b_NamenAendern,
        [](Session&, DeviceNameWindow& w, const QString& text) {
            w.Edit1Edited(text);
            w.b_NamenAendernClick();
        },
        QStringLiteral("Bezeichner erfolgreich geändert."),
        "name",
        [](const DeviceNameWindow& w) { return QJsonValue(w.l_GeraeteNamen.caption); }};
    return runTool(in, port, tool, name);
}

// --- flow ---------------------------------------------------------------------------------------

int runFlow(Invocation& in) {
    const auto value = [&in](const char* name) { return in.parser.value(QLatin1String(name)); };
    const auto isSet = [&in](const char* name) { return in.parser.isSet(QLatin1String(name)); };
    // The lists' positions; the words were checked against the option table.
    const auto pick = [&](const char* name) {
        return isSet(name) ? cliopt::choiceIndex(*cliopt::find(QLatin1String(name)), value(name)) : 0;
    };
    const int unit = pick("unit");
    const int per = pick("per");
    const int signal = pick("signal");
    const int displayUnit = pick("display-unit");
    const int decimals = pick("decimals");

    const std::unique_ptr<Session> session =
        isSet("apply") ? fileSession(in, value("apply")) : std::make_unique<Session>(in.common, 0);
    Session& s = *session;
    if (!started(s)) return exitcode::BusFailure;
    if (isSet("apply") && !s.loadFile(value("apply"))) return fileFailed(s);
    const QChar sep = s.separator();
    // Typed as the user would, with the program's decimal separator.
    const auto typed = [sep](QString number) {
        number.replace(QLatin1Char(','), sep).replace(QLatin1Char('.'), sep);
        return number;
    };
    bool usable = false;
    QList<std::pair<QString, QString>> rows;
    s.prompter().onModal["TForm1"] = [&](ModalWindow& w) {
        auto& calc = static_cast<FlowCalculatorWindow&>(w);
        calc.eMaxChange(typed(value("max")));
        calc.cbEinheitChange(unit);
        calc.eImpulszahlChange(typed(value("pulses")));
        calc.cbImpulseProChange(per);
        calc.cbAusgangssignalChange(signal);
        calc.cbAnzeigeeinheitChange(displayUnit);
        calc.cbDpChange(decimals);
        const int before = s.prompter().shownTexts.size();
        calc.bEinstellwerte_zeigenClick();
        usable = s.prompter().shownTexts.size() == before;
        for (FlowCalculatorWindow::ResultRow* row : calc.rows())
            if (row->name.visible && row->value.visible) rows.append({row->name.caption, row->value.caption});
        if (usable && isSet("apply")) calc.bDurchFlussMessungEinstellungUebernehmenClick();
    };
    s.handlers().MainMenueDurchflussMessungClick();
    if (in.json) {
        QJsonObject o;
        for (const auto& [name, text] : rows)
            o.insert(name, jsonValue(text, true));
        outJson({{QStringLiteral("rows"), o}, {QStringLiteral("usable"), usable}});
    } else if (usable) {
        for (const auto& [name, text] : rows)
            out(QStringLiteral("%1  %2").arg(name, -6).arg(text));
    }
    if (!usable) return exitcode::Usage;
    if (isSet("apply") && !s.saveFile(value("output"), nullptr)) return fileFailed(s);
    return exitcode::Ok;
}

// --- history ------------------------------------------------------------------------------------

// The instrument record: --archive, else TRKDVN_ARCHIVE, else the one in the user's data folder.
// What the record has to say (a damaged file moved aside, a failed write) goes to stderr.
std::unique_ptr<InstrumentRecord> openRecord(const Invocation& in, InstrumentRecord::Access access) {
    QString file = in.parser.value(QStringLiteral("archive"));
    if (file.isEmpty()) file = qEnvironmentVariable("TRKDVN_ARCHIVE");
    if (file.isEmpty()) file = ProgramPaths::recordFile();
    return std::make_unique<InstrumentRecord>(
        file, [](const QString& text) { err(CliPrompter::line(QStringLiteral("Gerätearchiv"), text)); }, access);
}

// Why the archive could not be read, on stderr; exit 3. Ok when it was read.
int unreadable(const InstrumentRecord& record) {
    if (record.readFailure().isEmpty()) return exitcode::Ok;
    err(CliPrompter::line(QStringLiteral("Fehler"), QStringLiteral("Das Gerätearchiv %1 kann nicht gelesen werden: %2.")
                                                        .arg(QDir::toNativeSeparators(record.file()),
                                                             record.readFailure())));
    return exitcode::FileError;
}

QString recordTime(const QDateTime& time) {
    return time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QJsonObject entryJson(const RecordEntry& e) {
    QJsonArray changes;
    for (const RecordChange& c : e.changes)
        changes.append(QJsonObject{{QStringLiteral("group"), c.group},
                                   {QStringLiteral("label"), c.label},
                                   {QStringLiteral("before"), c.before},
                                   {QStringLiteral("after"), c.after}});
    return {{QStringLiteral("id"), e.id},
            {QStringLiteral("time"), e.time.toUTC().toString(Qt::ISODateWithMs)},
            {QStringLiteral("event"), InstrumentRecord::eventText(e.event)},
            {QStringLiteral("user"), e.user},
            {QStringLiteral("computer"), e.computer},
            {QStringLiteral("port"), e.port},
            {QStringLiteral("address"), e.address},
            {QStringLiteral("serial"), e.serial},
            {QStringLiteral("model"), e.model},
            {QStringLiteral("firmware"), e.firmware},
            {QStringLiteral("name"), e.name},
            {QStringLiteral("changes"), changes},
            {QStringLiteral("verification"), e.verification},
            {QStringLiteral("reason"), e.reason}};
}

// Why an entry cannot be shown or saved as a configuration; empty when it can.
QString withoutConfiguration(const RecordEntry& e) {
    if (e.hasConfiguration) return {};
    return QStringLiteral("Eintrag %1 enthält keine Konfiguration (%2 eines Geräts, das nie eingelesen wurde).")
        .arg(e.id)
        .arg(InstrumentRecord::eventText(e.event));
}

// One entry's configuration loaded as the window loads it from the archive, straight from the
// recorded bytes, in the separator they were written with.
std::unique_ptr<Session> entrySession(const Invocation& in, const RecordEntry& e) {
    if (const QString why = withoutConfiguration(e); !why.isEmpty()) {
        err(CliPrompter::line(QStringLiteral("Fehler"), why));
        return nullptr;
    }
    CommonOptions options = in.common;
    if (!options.separator) options.separator = D20Reader::declaredSeparator(e.configuration);
    auto s = std::make_unique<Session>(options, 0);
    if (!started(*s)) return nullptr;
    if (!s->handlers().loadRecorded(e)) {
        failed(*s, exitcode::FileError);
        return nullptr;
    }
    return s;
}

std::optional<RecordEntry> entryArgument(InstrumentRecord& record, const QString& word) {
    const std::optional<int> id = cliopt::wholeNumber(word, 1, std::numeric_limits<int>::max());
    std::optional<RecordEntry> e = id ? record.entry(*id) : std::nullopt;
    if (!e && record.readFailure().isEmpty())
        err(CliPrompter::line(QStringLiteral("Fehler"), QStringLiteral("Das Gerätearchiv hat keinen Eintrag „%1“.").arg(word)));
    return e;
}

int historyList(const Invocation& in, InstrumentRecord& record) {
    if (!in.parser.isSet(QStringLiteral("serial"))) {
        const QList<RecordedInstrument> list = record.instruments();
        if (const int code = unreadable(record); code != exitcode::Ok) return code;
        QHash<QString, QString> unsettled;
        for (const ProgrammingJournal& run : record.unsettled())
            if (!unsettled.contains(run.serial)) unsettled.insert(run.serial, InstrumentRecord::unsettledText(run));
        if (!in.json)
            out(QStringLiteral("%1  %2  %3  %4  %5")
                    .arg(QStringLiteral("Seriennummer"), -12)
                    .arg(QStringLiteral("Name"), -16)
                    .arg(QStringLiteral("Typ"), -14)
                    .arg(QStringLiteral("Zuletzt"), -19)
                    .arg(QStringLiteral("Einträge")));
        for (const RecordedInstrument& i : list) {
            const QString open = unsettled.value(i.serial);
            if (in.json)
                outJson({{QStringLiteral("serial"), i.serial},
                         {QStringLiteral("name"), i.name},
                         {QStringLiteral("model"), i.model},
                         {QStringLiteral("lastSeen"), i.lastSeen.toUTC().toString(Qt::ISODateWithMs)},
                         {QStringLiteral("entries"), i.entries},
                         {QStringLiteral("unsettled"), open.isEmpty() ? QJsonValue() : QJsonValue(open)}});
            else
                out(QStringLiteral("%1  %2  %3  %4  %5%6")
                        .arg(i.serial, -12)
                        .arg(i.name, -16)
                        .arg(i.model, -14)
                        .arg(recordTime(i.lastSeen), -19)
                        .arg(i.entries)
                        .arg(open.isEmpty() ? QString() : QStringLiteral("  ") + open));
        }
        return exitcode::Ok;
    }
    const QString serial = in.parser.value(QStringLiteral("serial"));
    const QList<RecordEntry> history = record.history(serial);
    if (const int code = unreadable(record); code != exitcode::Ok) return code;
    for (const ProgrammingJournal& run : record.unsettled(serial))
        err(CliPrompter::line(QStringLiteral("Gerätearchiv"),
                              QStringLiteral("Gerät %1: %2").arg(serial, InstrumentRecord::unsettledText(run))));
    if (history.isEmpty()) {
        err(CliPrompter::line(QStringLiteral("Fehler"),
                              QStringLiteral("Das Gerätearchiv kennt kein Gerät mit der Seriennummer %1.").arg(serial)));
        return exitcode::Usage;
    }
    for (const RecordEntry& e : history) {
        if (in.json) {
            outJson(entryJson(e));
            continue;
        }
        QString line = QStringLiteral("%1  %2  %3  COM%4 Adresse %5  %6@%7")
                           .arg(e.id, 6)
                           .arg(recordTime(e.time), InstrumentRecord::eventText(e.event))
                           .arg(e.port)
                           .arg(e.address)
                           .arg(e.user, e.computer);
        if (!e.name.isEmpty()) line += QStringLiteral("  Name: ") + e.name;
        if (!e.verification.isEmpty()) line += QStringLiteral("  Prüfung: ") + e.verification;
        if (!e.reason.isEmpty()) line += QStringLiteral("  Grund: ") + e.reason;
        out(line);
        for (const RecordChange& c : e.changes)
            out(QStringLiteral("        %1 | %2 | %3 → %4").arg(c.group, c.label, c.before, c.after));
        for (const RecordChange& c : e.deviations)
            out(QStringLiteral("        abweichend: %1 | %2 | programmiert %3, das Gerät hält %4")
                    .arg(c.group, c.label, c.before, c.after));
    }
    return exitcode::Ok;
}

int historyShow(Invocation& in, InstrumentRecord& record, const QString& word) {
    const std::optional<RecordEntry> e = entryArgument(record, word);
    if (!e) return record.readFailure().isEmpty() ? exitcode::Usage : unreadable(record);
    if (const QString why = withoutConfiguration(*e); !why.isEmpty() && in.parser.isSet(QStringLiteral("output"))) {
        // Nothing is written over a good file.
        err(CliPrompter::line(QStringLiteral("Fehler"), why + QStringLiteral(" Nichts gespeichert.")));
        return exitcode::FileError;
    }
    if (in.parser.isSet(QStringLiteral("output"))) {
        const QString output = in.parser.value(QStringLiteral("output"));
        if (output == QLatin1String("-")) {
            outBytes(e->configuration);
            return exitcode::Ok;
        }
        if (const filewriter::Result written = filewriter::replace(output, e->configuration); !written.ok) {
            err(CliPrompter::line(QStringLiteral("Fehler"), written.reason));
            return exitcode::FileError;
        }
        if (in.json) outJson({{QStringLiteral("file"), output}, {QStringLiteral("entry"), entryJson(*e)}});
        return exitcode::Ok;
    }
    const std::unique_ptr<Session> s = entrySession(in, *e);
    if (!s) return exitcode::FileError;
    if (!in.json)
        out(QStringLiteral("Eintrag %1: %2, %3, Seriennummer %4").arg(e->id).arg(
            InstrumentRecord::eventText(e->event), recordTime(e->time), e->serial));
    showConfiguration(in, *s, QStringLiteral("Eintrag %1").arg(e->id));
    return exitcode::Ok;
}

int historyDiff(Invocation& in, InstrumentRecord& record, const QString& first, const QString& second) {
    const std::optional<RecordEntry> a = entryArgument(record, first);
    const std::optional<RecordEntry> b = a ? entryArgument(record, second) : std::nullopt;
    if (!a || !b) return record.readFailure().isEmpty() ? exitcode::Usage : unreadable(record);
    const std::unique_ptr<Session> sa = entrySession(in, *a);
    const std::unique_ptr<Session> sb = sa ? entrySession(in, *b) : nullptr;
    if (!sa || !sb) return exitcode::FileError;
    // Two entries may have been saved with different separators: numbers compare in the first one's.
    const QChar sep = sa->separator();
    const auto fields = [sep](Session& s) {
        QList<ShownField> list = shownFields(s.model());
        for (ShownField& f : list)
            if (f.numeric) f.value.replace(s.separator(), sep);
        return list;
    };
    const QList<FieldDifference> diffs = differences(fields(*sa), fields(*sb));
    const QString labelA = QStringLiteral("Eintrag %1").arg(a->id);
    const QString labelB = QStringLiteral("Eintrag %1").arg(b->id);
    if (in.json)
        outJson({{QStringLiteral("a"), a->id}, {QStringLiteral("b"), b->id},
                 {QStringLiteral("differences"), differencesJson(diffs)}});
    else if (!diffs.isEmpty())
        printDifferences(diffs, labelA, labelB);
    return diffs.isEmpty() ? exitcode::Ok : exitcode::Differences;
}

int runHistory(Invocation& in) {
    const QStringList& args = in.args;
    const bool list = args.isEmpty();
    const bool show = args.size() == 2 && args[0] == QLatin1String("show");
    const bool diff = args.size() == 3 && args[0] == QLatin1String("diff");
    if (!list && !show && !diff)
        return usage(QStringLiteral("history nimmt keine Argumente, show ID oder diff ID1 ID2 („%1“).")
                         .arg(args.join(QLatin1Char(' '))));
    if (!list && in.parser.isSet(QStringLiteral("serial")))
        return usage(QStringLiteral("Die Option „--serial“ gilt nur für die Liste ohne show oder diff."));
    if (!show && in.parser.isSet(QStringLiteral("output")))
        return usage(QStringLiteral("Die Option „-o“ gilt nur für history show."));
    // Only read: a mistyped path finds no archive instead of making one, and a file that is
    // not an archive stays as it is.
    const std::unique_ptr<InstrumentRecord> record = openRecord(in, InstrumentRecord::Access::Read);
    if (list) return historyList(in, *record);
    if (show) return historyShow(in, *record, args[1]);
    return historyDiff(in, *record, args[1], args[2]);
}


// --- line ---------------------------------------------------------------------------------------

// The window's own sequences at one address of the plan's port, each in a session of its own.
class SessionLineAccess : public line::LineAccess {
  public:
    SessionLineAccess(const Invocation& in, Session& s, int16_t port, int16_t converter)
        : LineAccess([&s] { return s.libraryFactory()(BusLibrary::allEntries()); }, s.clockSeam(), port,
                     converter),
          in(in) {}

    // Read in the separator the file was written with, so numbers compare as text.
    line::Compared compare(int16_t address, const QString& d20) override {
        line::Compared c;
        CommonOptions options = optionsFor(in, d20);
        options.address = address;
        options.addressChosen = true;
        options.record = nullptr; // a check reads, it changes nothing worth an archive entry
        Session file(options, 0);
        if (!file.loadFile(d20, false)) {
            c.fileFailed = true;
            c.failure = file.fileOutcome().reason.isEmpty() ? file.panel() : file.fileOutcome().reason;
            return c;
        }
        Session device(options, port());
        device.chooseModel(*file.model().checkedModel());
        if (device.readInstrument() < 0) {
            c.failure = device.panel();
            return c;
        }
        c.ok = true;
        c.identity = device.model().deviceIdentity;
        c.differences = differences(shownFields(file.model()), shownFields(device.model()));
        return c;
    }

    bool stopRequested() override { return stoprequest::requested(); }

    // Exactly `program --verify` at the address.
    line::Programmed program(int16_t address, const QString& d20) override {
        Invocation at{in.parser, in.common, in.args, in.json, {port()}, {}};
        at.common.address = address;
        at.common.addressChosen = true;
        const PortResult r = programPort(at, d20, port(), true, false);
        using O = line::Programmed::Outcome;
        const O outcome = r.code == exitcode::Ok            ? O::Verified
                          : r.code == exitcode::Differences ? O::Differs
                          : r.code == exitcode::FileError   ? O::FileFailed
                                                            : O::Failed;
        return {outcome, r.result, r.differences};
    }

    // Exactly `read --model … -o` at the address.
    bool save(int16_t address, const ModelEntry& model, const QString& d20, QString& failure, bool& fileFailed) override {
        CommonOptions options = in.common;
        options.address = address;
        options.addressChosen = true;
        Session device(options, port());
        device.chooseModel(model);
        if (device.readInstrument() < 0) {
            failure = device.panel();
            return false;
        }
        if (!device.saveFile(d20, nullptr)) {
            failure = device.fileOutcome().reason.isEmpty() ? device.panel() : device.fileOutcome().reason;
            fileFailed = true;
            return false;
        }
        return true;
    }

  private:
    const Invocation& in;
};

QString lineStateKey(line::State state) {
    switch (state) {
    case line::State::Same: return QStringLiteral("gleich");
    case line::State::Differs: return QStringLiteral("abweichend");
    case line::State::Other: return QStringLiteral("anderes Gerät");
    case line::State::Missing: return QStringLiteral("fehlt");
    case line::State::Collision: return QStringLiteral("mehrere Geräte");
    case line::State::Unplanned: return QStringLiteral("nicht im Plan");
    case line::State::Failed: break;
    }
    return QStringLiteral("Fehler");
}

int outcomeCode(line::Programmed::Outcome outcome) {
    switch (outcome) {
    case line::Programmed::Outcome::Verified: return exitcode::Ok;
    case line::Programmed::Outcome::Differs: return exitcode::Differences;
    case line::Programmed::Outcome::FileFailed: return exitcode::FileError;
    case line::Programmed::Outcome::Stopped: return exitcode::Interrupted;
    case line::Programmed::Outcome::Failed: break;
    }
    return exitcode::BusFailure;
}

QString serialCell(int32_t identity) {
    return identity != 0 ? bus::serialText(identity) : QStringLiteral("-");
}

void printCheck(const Invocation& in, const LinePlan& plan, const line::CheckResult& r) {
    if (!in.json)
        out(QStringLiteral("%1  %2  %3  %4")
                .arg(QStringLiteral("Adresse"))
                .arg(QStringLiteral("Seriennummer"), -12)
                .arg(QStringLiteral("Name"), -16)
                .arg(QStringLiteral("Ergebnis")));
    for (const line::Row& row : r.rows) {
        const QString offer = line::replacementOffer(plan, row);
        if (in.json) {
            outJson({{QStringLiteral("address"), row.address},
                     {QStringLiteral("planned"), row.planned ? QJsonValue(bus::serialText(*row.planned)) : QJsonValue()},
                     {QStringLiteral("serial"), row.found != 0 ? QJsonValue(bus::serialText(row.found)) : QJsonValue()},
                     {QStringLiteral("name"), row.name},
                     {QStringLiteral("state"), lineStateKey(row.state)},
                     {QStringLiteral("result"), row.text},
                     {QStringLiteral("replacement"), offer.isEmpty() ? QJsonValue() : QJsonValue(offer)},
                     {QStringLiteral("differences"), differencesJson(row.differences)}});
            continue;
        }
        out(QStringLiteral("%1  %2  %3  %4")
                .arg(row.address, 7)
                .arg(serialCell(row.found), -12)
                .arg(row.name, -16)
                .arg(offer.isEmpty() ? row.text : QStringLiteral("%1 – %2 (line program --replace)").arg(row.text, offer)));
    }
    if (in.json) return;
    for (const line::Row& row : r.rows)
        if (!row.differences.isEmpty()) {
            out(QStringLiteral("Adresse %1:").arg(row.address));
            printDifferences(row.differences, QStringLiteral("Datei"), QStringLiteral("Gerät"));
        }
}

// Reads the plan named on the command line; exit 3 with the reason when it cannot be used.
std::optional<LinePlan> planArgument(const QString& path) {
    lineplan::ReadResult read = lineplan::read(path);
    if (!read.plan) err(CliPrompter::line(QStringLiteral("Fehler"), read.reason));
    return read.plan;
}

int lineCheck(Invocation& in, const QString& planPath) {
    const std::optional<LinePlan> plan = planArgument(planPath);
    if (!plan) return exitcode::FileError;
    in.common.converter = plan->converter;
    Session s(in.common, plan->port);
    if (!started(s)) return exitcode::BusFailure;
    SessionLineAccess access(in, s, plan->port, plan->converter);
    s.showOwnProgress(QStringLiteral("Anlage wird geprüft"));
    const line::CheckResult r = line::check(access, *plan, planPath);
    s.clearProgress();
    printCheck(in, *plan, r);
    for (const line::Row& row : r.rows)
        if (row.found != 0) noteUnsettled(in, row.found);
    if (r.scanStatus < 0) {
        err(CliPrompter::line(QStringLiteral("Fehler"), r.scanFailure));
        return exitcode::BusFailure;
    }
    int code = r.clean() ? exitcode::Ok : exitcode::Differences;
    for (const line::Row& row : r.rows)
        if (row.state == line::State::Failed)
            code = worse(code, row.fileFailed ? exitcode::FileError : exitcode::BusFailure);
    return code;
}

int lineProgram(Invocation& in, const QString& planPath) {
    std::optional<LinePlan> plan = planArgument(planPath);
    if (!plan) return exitcode::FileError;
    in.common.converter = plan->converter;
    Session s(in.common, plan->port);
    if (!started(s)) return exitcode::BusFailure;
    SessionLineAccess access(in, s, plan->port, plan->converter);
    s.showOwnProgress(QStringLiteral("Anlage wird programmiert"));
    const line::ProgramResult r = line::program(access, *plan, planPath, in.parser.isSet(QStringLiteral("replace")));
    s.clearProgress();
    if (r.before.scanStatus < 0) {
        err(CliPrompter::line(QStringLiteral("Fehler"), r.before.scanFailure));
        return exitcode::BusFailure;
    }
    int code = exitcode::Ok;
    for (const line::ProgramRow& row : r.rows) {
        code = worse(code, outcomeCode(row.outcome));
        if (in.json)
            outJson({{QStringLiteral("address"), row.address},
                     {QStringLiteral("serial"), row.serial.isEmpty() ? QJsonValue() : QJsonValue(row.serial)},
                     {QStringLiteral("result"), row.result},
                     {QStringLiteral("exit"), outcomeCode(row.outcome)},
                     {QStringLiteral("differences"), differencesJson(row.differences)}});
    }
    if (!in.json) {
        for (const line::ProgramRow& row : r.rows)
            if (!row.differences.isEmpty()) {
                out(QStringLiteral("Adresse %1:").arg(row.address));
                printDifferences(row.differences, QStringLiteral("Datei"), QStringLiteral("Gerät"));
            }
        out(QStringLiteral("%1  %2  %3")
                .arg(QStringLiteral("Adresse"))
                .arg(QStringLiteral("Seriennummer"), -12)
                .arg(QStringLiteral("Ergebnis")));
        for (const line::ProgramRow& row : r.rows)
            out(QStringLiteral("%1  %2  %3")
                    .arg(row.address, 7)
                    .arg(row.serial.isEmpty() ? QStringLiteral("-") : row.serial, -12)
                    .arg(row.result));
    }
    if (!r.planFailure.isEmpty()) {
        err(CliPrompter::line(QStringLiteral("Fehler"), r.planFailure));
        return worse(code, exitcode::FileError);
    }
    if (r.planChanged && !in.json)
        out(QStringLiteral("Die neuen Seriennummern stehen im Anlagenplan %1.").arg(planPath));
    return code;
}

// A plan from what answers on the line: every instrument read with the model that fits it and
// saved as its d20 file beside the plan.
int lineInit(Invocation& in) {
    if (in.ports.isEmpty() && !in.common.useSettings) return usage(QStringLiteral("line init braucht „--port N“."));
    if (!in.parser.isSet(QStringLiteral("output"))) return usage(QStringLiteral("line init braucht „-o PLAN.json“."));
    const QString planPath = QFileInfo(in.parser.value(QStringLiteral("output"))).absoluteFilePath();
    // A link, even one that leads nowhere, counts as a plan already there.
    if (const std::optional<line::ExistingFile> plan = line::existingFile(planPath, planPath);
        plan && !in.common.yes) {
        err(CliPrompter::line(
            QStringLiteral("Fehler"),
            QStringLiteral("Der Anlagenplan %1 besteht schon; mit --yes wird er neu angelegt.")
                .arg(plan->shown())));
        return exitcode::FileError;
    }
    Session s(in.common, onePort(in));
    if (!started(s)) return exitcode::BusFailure;
    SessionLineAccess access(in, s, s.model().comPort, s.model().converterCode);
    s.showOwnProgress(QStringLiteral("Bus durchsuchen"));
    int code = exitcode::Ok;
    const line::MadePlan made = line::makePlan(
        access, planPath,
        [&](const QList<line::ExistingFile>& existing) {
            s.clearProgress();
            QStringList shown;
            QStringList leaving;
            for (const line::ExistingFile& file : existing) {
                shown.append(file.shown());
                if (file.outside) leaving.append(file.shown());
            }
            // --yes was given before anyone saw where these links lead: it does not cover them.
            if (in.common.yes && !leaving.isEmpty()) {
                err(CliPrompter::line(
                    QStringLiteral("Fehler"),
                    QStringLiteral("Diese Verweise führen aus dem Ordner des Plans hinaus; line init "
                                   "schreibt auch mit --yes nicht hindurch:\n%1")
                        .arg(leaving.join(QLatin1Char('\n')))));
                return false;
            }
            if (in.common.yes) return true;
            err(CliPrompter::line(
                QStringLiteral("Fehler"),
                QStringLiteral("Neben dem Plan liegen schon diese Dateien; mit --yes werden sie "
                               "überschrieben:\n%1")
                    .arg(shown.join(QLatin1Char('\n')))));
            return false;
        },
        [&](const line::Taken& t) {
            s.clearProgress();
            if (t.model.isEmpty()) {
                err(CliPrompter::line(QStringLiteral("Adresse %1").arg(t.address), t.failure));
                code = t.fileFailed ? exitcode::FileError : std::max(code, int(exitcode::BusFailure));
                return;
            }
            if (in.json)
                outJson({{QStringLiteral("address"), t.address},
                         {QStringLiteral("serial"), bus::serialText(t.identity)},
                         {QStringLiteral("name"), t.name},
                         {QStringLiteral("model"), t.model},
                         {QStringLiteral("d20"), t.d20File}});
            else
                out(QStringLiteral("%1  %2  %3  %4  %5")
                        .arg(t.address, 3)
                        .arg(bus::serialText(t.identity))
                        .arg(t.model, -16)
                        .arg(t.name, -16)
                        .arg(t.d20File));
        });
    s.clearProgress();
    if (made.scanStatus < 0) {
        err(CliPrompter::line(QStringLiteral("Fehler"), access.errorText(made.scanStatus)));
        return exitcode::BusFailure;
    }
    if (made.kept) return exitcode::FileError;
    // An empty or partial plan would check clean against a line it does not describe.
    if (!made.complete()) {
        err(CliPrompter::line(
            QStringLiteral("Fehler"),
            made.answered == 0
                ? QStringLiteral("Kein Gerät antwortet auf COM%1; es wurde kein Plan angelegt.")
                      .arg(made.plan.port)
            : made.readFailedAt >= 0
                ? QStringLiteral("Das Gerät an Adresse %1 antwortete bei der Suche, konnte aber nicht "
                                 "eingelesen werden: %2\nEs wurde kein Plan angelegt; ohne dieses Gerät "
                                 "wäre er unvollständig.")
                      .arg(made.readFailedAt)
                      .arg(made.readFailure)
                : QStringLiteral(
                      "Kein Gerät auf COM%1 konnte in den Plan übernommen werden; es wurde kein Plan "
                      "angelegt.")
                      .arg(made.plan.port)));
        return worse(code, exitcode::BusFailure);
    }
    if (const filewriter::Result written = lineplan::write(planPath, made.plan); !written.ok) {
        err(CliPrompter::line(QStringLiteral("Fehler"), written.reason));
        return exitcode::FileError;
    }
    return code;
}

int runLine(Invocation& in) {
    const QString what = in.args.value(0);
    const bool init = what == QLatin1String("init");
    if (!init && what != QLatin1String("check") && what != QLatin1String("program"))
        return usage(QStringLiteral("line nimmt check PLAN.json, program PLAN.json oder init („%1“).")
                         .arg(in.args.join(QLatin1Char(' '))));
    if (in.args.size() != (init ? 1 : 2))
        return usage(init ? QStringLiteral("line init nimmt keine weiteren Argumente; der Plan kommt mit -o.")
                          : QStringLiteral("line %1 braucht den Anlagenplan als Argument.").arg(what));
    for (const char* key : {"port", "converter", "output"})
        if (!init && in.parser.isSet(QLatin1String(key)))
            return usage(QStringLiteral("Die Option „%1“ gilt nur für line init; Port und Wandler nennt der Plan.")
                             .arg(cliopt::dashed(QLatin1String(key))));
    if (what != QLatin1String("program") && in.parser.isSet(QStringLiteral("replace")))
        return usage(QStringLiteral("Die Option „--replace“ gilt nur für line program."));
    if (what == QLatin1String("check")) return lineCheck(in, in.args.at(1));
    // Reading a line into a plan and programming it go into the archive as in the window; a
    // check reads without leaving a trace.
    recordFor(in);
    if (init) return lineInit(in);
    const stoprequest::Deferred deferred;
    return lineProgram(in, in.args.at(1));
}

} // namespace

const QList<exitcode::Meaning>& exitcode::meanings() {
    static const QList<Meaning> list = {
        {Ok, "Erfolg"},
        {BusFailure, "das Gerät oder der Bus hat einen Fehler gemeldet"},
        {Usage, "falscher Aufruf (auch: Werte des Durchflussrechners nicht verwendbar)"},
        {FileError, "Dateifehler (auch: das Gerätearchiv lässt sich nicht lesen)"},
        {Differences, "Prüfung oder Vergleich hat Abweichungen gefunden"},
        {NotRecorded, "die Arbeit ist getan, aber Einträge fehlen im Gerätearchiv (sie sind auf stderr genannt)"},
        {Interrupted, "vom Benutzer abgebrochen (Strg+C, SIGTERM, SIGHUP), bei jedem Befehl; wer Geräte ändert, "
                      "macht das Gerät in Arbeit fertig und nennt, was programmiert ist und was nicht; "
                      "scan und watch geben aus, was sie bis dahin fanden"}};
    return list;
}

const QList<Command>& commands() {
    using O = CommandOption;
    static const QList<O> instrument = {{.key = "port", .required = true}, {.key = "converter"}, {.key = "address"}};
    const auto with = [](QList<O> list, std::initializer_list<O> more) {
        list.append(more);
        return list;
    };
    static const QList<Command> table = {
        {"ports", "", 0, "Zeigt die Ports, die die Bus-Bibliothek meldet.", "trkdvn-cli ports", &runPorts, {}},
        {"models", "", 0, "Zeigt die Gerätetypen, die --model annimmt, wie das Menü „Typ“ sie nennt.",
         "trkdvn-cli models", &runModels, {}},
        {"identify", "", 0,
         "Zeigt das angeschlossene Gerät: Adresse, Kennung und Seriennummer, Familie und Typ, Version, "
         "Name,\n"
         "Merkmal- und Optionswort. Exit 1, wenn kein Gerät antwortet.",
         "trkdvn-cli identify --port 1", &runIdentify, instrument},
        {"scan", "", 0,
         "Durchsucht den Bus: fragt jede Adresse von --from bis --to (Vorgabe 0 bis 239) nach dem Gerät\n"
         "dort und zeigt je Gerät eine Zeile: Adresse, Seriennummer, Familie, Version, Name. Antworten\n"
         "mehrere Geräte an einer Adresse, steht dort „mehrere Geräte an Adresse N“. Auf\n"
         "einem Terminal zeigt stderr den Fortschritt und die verbleibende Zeit (bei 4800 Baud kostet eine\n"
         "leere Adresse 100 ms, der ganze Bus etwa 28 s). Strg+C bricht ab; die gefundenen Geräte bleiben\n"
         "ausgegeben (Exit 130). Exit 1, wenn kein Gerät antwortet.",
         "trkdvn-cli scan --port 10 --from 0 --to 99", &runScan,
         {{.key = "port", .required = true}, {.key = "converter"}, {.key = "from"}, {.key = "to"}}},
        {"watch", "", 0,
         "Zeigt den Messwert des Geräts laufend: je Abfrage eine Zeile mit Zeit, Wert (mit den\n"
         "Dezimalstellen des Geräts) und Status, alle --interval Sekunden (Vorgabe 1, 0: so schnell der Bus\n"
         "erlaubt), bis --count Werte gelesen sind oder Strg+C (Exit 0). Eine Abfrage ohne Antwort ist eine\n"
         "Zeile mit ihrem Fehler, die Abfragen gehen weiter. --csv schreibt dieselben Zeilen (Zeit;Wert;Status)\n"
         "in eine CSV-Datei. Exit 1, wenn das Gerät auf keine Abfrage antwortet.",
         "trkdvn-cli watch --port 10 --address 17 --interval 0,5 --count 20 --csv tank.csv", &runWatch,
         with(instrument, {{.key = "interval"}, {.key = "count"}, {.key = "csv"}})},
        {"read", "", 0,
         "Liest die Konfiguration des Geräts wie „Einlesen“ im Fenster. Ohne -o wird sie angezeigt (wie "
         "show),\n"
         "mit -o als d20-Datei gespeichert, wie „Konfiguration speichern“ sie schreibt. Ohne --model wird "
         "der\n"
         "Gerätetyp durch die Identifikation jedes Typs ermittelt; passen keiner oder mehrere: Exit 2.\n"
         "Einen Kommentar, den die Datei nicht so tragen kann (Zeichen außerhalb von Windows-1252, < >,\n"
         "Zeilenumbrüche, zu lang), lehnt read mit der Änderung ab (Exit 2); --yes speichert ihn so. -o -\n"
         "schreibt die Datei auf die Standardausgabe.",
         "trkdvn-cli read --port 1 -o kessel1.d20 --comment \"Abnahme 12/2026\"", &runRead,
         with(instrument, {{.key = "model"}, {.key = "output"}, {.key = "comment", .needs = "output"},
                           {.key = "yes"}, {.key = "archive"}, {.key = "no-record"}})},
        {"show", "DATEI.d20", 1,
         "Zeigt die Konfiguration einer Datei: Gruppe, Beschriftung wie im Fenster, Wert; nur was das "
         "Fenster\n"
         "für diesen Gerätetyp zeigt.",
         "trkdvn-cli show kessel1.d20 --json", &runShow, {}},
        {"program", "DATEI.d20", 1,
         "Programmiert die Konfiguration der Datei wie „Programmieren“ im Fenster (Identitätsprüfung "
         "zuerst).\n"
         "--verify liest das Gerät danach zurück und vergleicht jedes angezeigte Feld. Mehrere --port "
         "werden\n"
         "nacheinander programmiert; am Ende steht eine Tabelle Port, Seriennummer, Ergebnis. Ein Fehler "
         "hält\n"
         "die Reihe nicht an; der Exit-Code ist das schlimmste Ergebnis (1 vor 4 vor 0).",
         "trkdvn-cli program serie.d20 --port 1 --port 3 --port 4 --verify", &runProgram,
         {{.key = "port", .required = true, .repeatable = true},
          {.key = "converter"},
          {.key = "address"},
          {.key = "verify"},
          {.key = "reason"},
          {.key = "yes"},
          {.key = "archive"},
          {.key = "no-record"}}},
        {"diff", "A B", 2,
         "Vergleicht zwei Konfigurationen; A und B sind je eine d20-Datei oder port:N. Ein Gerät wird mit "
         "dem\n"
         "Gerätetyp der Datei auf der anderen Seite gelesen (oder --model). Zeigt die abweichenden Felder.\n"
         "Exit 0 bei Gleichheit, 4 bei Abweichungen.",
         "trkdvn-cli diff kessel1.d20 port:1", &runDiff,
         {{.key = "model"}, {.key = "converter"}, {.key = "address"}}},
        {"sheet", "DATEI.d20|port:N", 1,
         "Speichert das Konfigurationsblatt als PDF, wie „Konfigurationsblatt als PDF…“ im Menü Datei:\n"
         "Gerätetyp, Herkunft (Gerät mit Seriennummer, Version, Adresse und Name oder Datei mit Kommentar),\n"
         "Datum, ein Bild des Fensters und jedes angezeigte Feld mit seinem Wert. Ein Gerät wird wie mit\n"
         "„Einlesen“ gelesen; ohne --model wird der Gerätetyp ermittelt. --record setzt die letzte\n"
         "Programmierung des Geräts aus dem Gerätearchiv dazu (geänderte Felder alt → neu, Prüfung, Grund,\n"
         "Zeilen für Datum, Name und Unterschrift); ist keine eingetragen: Exit 2; zeigt das Gerät inzwischen\n"
         "etwas anderes: Exit 4. Beides ohne Blatt.",
         "trkdvn-cli sheet kessel1.d20 -o kessel1.pdf", &runSheet,
         {{.key = "output", .required = true},
          {.key = "model"},
          {.key = "converter"},
          {.key = "address"},
          {.key = "record"},
          {.key = "archive", .needs = "record"}}},
        {"set-address", "", 0,
         "Gibt dem angeschlossenen Gerät eine neue Busadresse, wie „Adresse setzen“ im Menü Extras: "
         "Informationen\n"
         "lesen, Adresse eintragen, setzen. Prüfungen und Meldungen wie im Fenster. Ohne --address muss genau\n"
         "ein Gerät auf die Adressabfrage antworten; wird keines gefunden, wird nichts gesendet (Exit 1).",
         "trkdvn-cli set-address --port 1 --to 12", &runSetAddress,
         with(instrument, {{.key = "to", .required = true}, {.key = "archive"}, {.key = "no-record"}})},
        // No --address: the name window always asks the bus for the one instrument attached.
        {"rename", "", 0,
         "Schreibt den Gerätenamen (höchstens 16 Zeichen aus Windows-1252, ohne Zeilenumbruch), wie\n"
         "„Gerätenamen zuweisen“ im Menü Extras, an das eine Gerät, das auf die Adressabfrage antwortet.\n"
         "Ein anderer Name wird abgelehnt (Exit 2), ohne etwas zu senden.",
         "trkdvn-cli rename --port 1 --name \"Kessel 2\"", &runRename,
         {{.key = "port", .required = true},
          {.key = "converter"},
          {.key = "name", .required = true},
          {.key = "archive"},
          {.key = "no-record"}}},
        {"flow", "", 0,
         "Der Durchflussrechner: aus den Daten des Gebers die Einstellwerte (InP, SEnS, Fr.Lo, Fr.Hi, dP,\n"
         "di.Lo, di.Hi, Li). Einheiten: l/min, l/h, m3/min, m3/h; Signal: ttl, npn, pnp. Mit --apply "
         "DATEI.d20\n"
         "-o NEU.d20 werden die Werte wie mit „Übernehmen“ in die Konfiguration der Datei übernommen.\n"
         "Nicht verwendbare Werte: Meldung wie im Fenster, Exit 2.",
         "trkdvn-cli flow --max 60 --unit l/min --pulses 1000 --per l --apply kessel1.d20 -o "
         "kessel1-flow.d20",
         &runFlow,
         {{.key = "max", .required = true},
          {.key = "unit"},
          {.key = "pulses", .required = true},
          {.key = "per"},
          {.key = "signal"},
          {.key = "display-unit"},
          {.key = "decimals"},
          {.key = "apply", .needs = "output"},
          {.key = "output", .needs = "apply"}}},
        {"line", "check|program PLAN.json | init", -1,
         "Eine ganze Anlage nach ihrem Anlagenplan. check liest jedes Gerät des Plans an seiner Adresse und\n"
         "vergleicht es Feld für Feld mit seiner d20-Datei: „gleich“, die abweichenden Felder, „anderes Gerät“\n"
         "(andere Seriennummer als geplant) oder „fehlt“; dazu Geräte am Bus, die der Plan nicht nennt. program\n"
         "programmiert nur die abweichenden Geräte, jedes nach der Identitätsprüfung und mit Rücklesen; ein\n"
         "Gerät mit anderer Seriennummer nur mit --replace: dann wird es als Ersatz übernommen (Adresse, Konfi-\n"
         "guration, Prüfung) und seine Seriennummer im Plan eingetragen. init --port N -o PLAN.json legt einen\n"
         "Plan aus einem Suchlauf an und speichert jedes Gerät als d20-Datei neben dem Plan; einen Plan oder\n"
         "d20-Dateien, die dort schon liegen, überschreibt es nur mit --yes. init und program tragen jedes\n"
         "Einlesen und Programmieren in das Gerätearchiv ein (außer mit --no-record), check nicht.\n"
         "Exit 0, wenn die Anlage dem Plan entspricht, 4 bei Abweichungen, 1 bei Fehlern des Busses, 3 bei\n"
         "Fehlern einer Datei.",
         "trkdvn-cli line program anlage.json --replace", &runLine,
         {{.key = "port"}, {.key = "converter"}, {.key = "output"}, {.key = "replace"}, {.key = "yes"},
          {.key = "archive"}, {.key = "no-record"}}},
        {"history", "[show ID | diff ID1 ID2]", -1,
         "Das Gerätearchiv: jedes Einlesen, Programmieren, jede Adress- und Namensänderung je Gerät. Ohne\n"
         "Argument die Geräte nach Seriennummer (Name, Typ, zuletzt gesehen, Einträge); mit --serial die\n"
         "Einträge dieses Geräts, der neueste zuerst, mit den geänderten Feldern. show ID zeigt die\n"
         "Konfiguration eines Eintrags oder speichert sie mit -o genau so, wie sie gespeichert wurde, als\n"
         "d20-Datei; diff ID1 ID2 vergleicht zwei Einträge (Exit 4 bei Abweichungen). Das Archiv liegt im\n"
         "Datenordner des Benutzers; --archive oder TRKDVN_ARCHIVE nennen eine andere Datei.",
         "trkdvn-cli history --serial 08150042", &runHistory,
         {{.key = "serial"}, {.key = "output"}, {.key = "archive"}}},
    };
    return table;
}

const Command* findCommand(const QString& name) {
    for (const Command& c : commands())
        if (name == QLatin1String(c.name)) return &c;
    return nullptr;
}

namespace {

const CommandOption* commandOption(const Command& command, const QString& key) {
    for (const CommandOption& o : command.options)
        if (key == QLatin1String(o.key)) return &o;
    return nullptr;
}

QString spelledKey(const QString& key) {
    const cliopt::Option* o = cliopt::find(key);
    return o ? cliopt::spelled(*o) : key;
}

// An option as the user writes it most briefly: "-o", "--port".
QString briefly(const QString& key) {
    const cliopt::Option* o = cliopt::find(key);
    return cliopt::dashed(o ? cliopt::names(*o).first() : key);
}

} // namespace

int runCommand(const Command& command, Invocation& in) {
    running = &command;
    // A call trace that cannot be written is refused before the bus is touched; one that fails
    // later, or stdout, ends the run with exit 3 all the same.
    if (!in.common.trace.isEmpty()) {
        if (const QString problem = cliout::traceProblem(in.common.trace); !problem.isEmpty()) {
            err(CliPrompter::line(QStringLiteral("Fehler"), problem));
            return cliout::finish(exitcode::FileError, in.json);
        }
    }
    stoprequest::install();
    int code = command.run(in);
    // What the archive could not take is named; the work itself is done.
    if (in.ownRecord && !in.ownRecord->retry()) {
        const QList<RecordEntry>& lost = in.ownRecord->unwritten();
        QStringList lines;
        for (const RecordEntry& e : lost)
            lines.append(InstrumentRecord::entryLine(e));
        err(CliPrompter::line(QStringLiteral("Gerätearchiv"),
                              QStringLiteral("%1 nicht im Gerätearchiv %2 eingetragen (%3):\n%4")
                                  .arg(lost.size() == 1 ? QStringLiteral("Ein Eintrag ist")
                                                        : QStringLiteral("%1 Einträge sind").arg(lost.size()),
                                       QDir::toNativeSeparators(in.ownRecord->file()), in.ownRecord->writeFailure(),
                                       lines.join(QLatin1Char('\n')))));
        if (code == exitcode::Ok) code = exitcode::NotRecorded;
    }
    if (stoprequest::requested()) code = exitcode::Interrupted;
    return cliout::finish(code, in.json);
}

QString synopsis(const Command& command) {
    QStringList words = {QString::fromLatin1(command.name)};
    if (*command.arguments) words.append(QString::fromUtf8(command.arguments));
    for (const CommandOption& o : command.options) {
        const cliopt::Option* option = cliopt::find(QLatin1String(o.key));
        QString word = cliopt::dashed(cliopt::names(*option).first());
        if (option->valueName) word += QLatin1Char(' ') + QString::fromUtf8(option->valueName);
        if (o.repeatable) word += QStringLiteral(" …");
        words.append(o.required ? word : QStringLiteral("[%1]").arg(word));
    }
    return words.join(QLatin1Char(' '));
}

QString misfit(const Command& command, const CommandLine& line) {
    const QString name = QString::fromLatin1(command.name);
    for (const QString& key : line.given()) {
        const CommandOption* o = commandOption(command, key);
        if (!o && !cliopt::common().contains(key))
            return QStringLiteral("Die Option „%1“ gehört nicht zum Befehl %2.").arg(briefly(key), name);
        if (o && o->needs && !line.isSet(QLatin1String(o->needs)))
            return QStringLiteral("Die Option „%1“ gilt beim Befehl %2 nur zusammen mit „%3“.")
                .arg(briefly(key), name, briefly(QLatin1String(o->needs)));
        if (line.values(key).size() > 1 && !(o && o->repeatable))
            return QStringLiteral("Die Option „%1“ ist mehrfach angegeben.").arg(briefly(key));
    }
    for (const CommandOption& o : command.options) {
        const QString key = QLatin1String(o.key);
        const bool storedPort = key == QLatin1String("port") && line.isSet(QStringLiteral("use-settings"));
        if (o.required && !line.isSet(key) && !storedPort)
            return QStringLiteral("Der Befehl %1 braucht „%2“.").arg(name, spelledKey(key));
    }
    const int given = line.positionalArguments().size() - 1; // the command's own name first
    // -1: the command checks its arguments itself.
    if (command.argumentCount >= 0 && given != command.argumentCount)
        return command.argumentCount == 0
                   ? QStringLiteral("Der Befehl %1 nimmt keine Argumente („%2“).")
                         .arg(name, line.positionalArguments().mid(1).join(QLatin1Char(' ')))
                   : QStringLiteral("Der Befehl %1 braucht %2 als Argument%3.")
                         .arg(name, QString::fromUtf8(command.arguments),
                              command.argumentCount > 1 ? QStringLiteral("e") : QString());
    return {};
}
