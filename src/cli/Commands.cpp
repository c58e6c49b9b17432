#include "cli/Commands.h"

#include "app/ComPortWindow.h"
#include "bus/BusPort.h"
#include "app/FieldList.h"
#include "cli/Instrument.h"
#include "tools/FlowCalculatorWindow.h"
#include "tools/Tf_AdresseSetzen.h"
#include "tools/Tf_GeraeteNamenAendern.h"
#include "ui/SheetPainter.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cstdio>
#include <unistd.h>

namespace {

void out(const QString& line) {
    std::fprintf(stdout, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
}

void err(const QString& line) {
    if (isatty(fileno(stderr))) std::fputs("\r\033[K", stderr); // over a progress line
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

void outJson(const QJsonObject& object) {
    out(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
}

const Command* running = nullptr; // the command being run, for its synopsis

// A wrong call: the reason, then how the command is called.
int usage(const QString& reason) {
    err(reason);
    if (running) err(QStringLiteral("Aufruf: trkdvn-cli ") + synopsis(*running));
    return exitcode::Usage;
}

// Exactly one port for the commands that talk to one instrument.
bool onePort(Invocation& in, int16_t& port) {
    if (in.ports.size() == 1) {
        port = in.ports.first();
        return true;
    }
    if (in.ports.isEmpty() && in.common.useSettings) {
        port = 0; // the stored port
        return true;
    }
    return false;
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

QJsonArray fieldsJson(const QList<ShownField>& fields) {
    QJsonArray list;
    for (const ShownField& f : fields)
        list.append(QJsonObject{{QStringLiteral("group"), f.group},
                                {QStringLiteral("label"), f.label},
                                {QStringLiteral("value"), f.value},
                                {QStringLiteral("control"), f.control}});
    return list;
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
                 {QStringLiteral("fields"), fieldsJson(fields)}});
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
        model = modelByName(in.parser.value(QStringLiteral("model")));
        if (!model)
            return usage(
                QStringLiteral("unbekanntes Gerät „%1“").arg(in.parser.value(QStringLiteral("model"))));
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

int runIdentify(Invocation& in) {
    int16_t port = 0;
    onePort(in, port);
    Session s(in.common, port);
    if (!s.started()) return exitcode::BusFailure;
    auto lib = s.libraryFactory()(BusLibrary::allEntries());
    lib->load();
    const InstrumentInfo info = identifyInstrument(*lib, s.clockSeam(), s.model().comPort,
                                                   s.model().converterCode, in.common.address);
    if (info.status < 0) {
        err(CliPrompter::line(QStringLiteral("Fehler"), bus::errorText(*lib, info.status)));
        return exitcode::BusFailure;
    }
    const auto hex = [](int32_t v, int digits) {
        return QStringLiteral("0x%1")
            .arg(static_cast<uint32_t>(v), digits, 16, QLatin1Char('0'))
            .toUpper()
            .replace(QStringLiteral("0X"), QStringLiteral("0x"));
    };
    const QString family = QStringLiteral("0x%1").arg(
        static_cast<uint32_t>(info.identity & kFamilyMask) >> 20, 2, 16, QLatin1Char('0'));
    const QString firmware =
        QString::number(info.firmware, 'f', 1).replace(QLatin1Char('.'), s.actions().separator());
    if (in.json) {
        QJsonObject o{{QStringLiteral("port"), s.model().comPort},
                      {QStringLiteral("address"), info.address},
                      {QStringLiteral("identity"), hex(info.identity, 8)},
                      {QStringLiteral("serial"), bus::serialText(info.identity)},
                      {QStringLiteral("family"), family},
                      {QStringLiteral("type"), info.typeName},
                      {QStringLiteral("firmware"), info.firmware}};
        o.insert(QStringLiteral("name"), info.hasName ? QJsonValue(info.name) : QJsonValue());
        if (info.haveWords) {
            o.insert(QStringLiteral("features"), hex(info.features, 4));
            o.insert(QStringLiteral("options"), hex(info.options, 4));
        }
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

// --- read ---------------------------------------------------------------------------------------

int runRead(Invocation& in) {
    int16_t port = 0;
    onePort(in, port);
    Session s(in.common, port);
    if (!s.started()) return exitcode::BusFailure;
    const ModelEntry* model = nullptr;
    if (const int code = chooseModel(in, s, port, model); code != exitcode::Ok) return code;
    s.chooseModel(*model);
    if (s.readInstrument() < 0) return busFailed(s);
    if (in.parser.isSet(QStringLiteral("output"))) {
        const QString comment = in.parser.value(QStringLiteral("comment"));
        if (!s.saveFile(in.parser.value(QStringLiteral("output")),
                        in.parser.isSet(QStringLiteral("comment")) ? &comment : nullptr))
            return failed(s, exitcode::FileError);
        if (in.json)
            outJson({{QStringLiteral("file"), in.parser.value(QStringLiteral("output"))},
                     {QStringLiteral("model"), modelName(*model)}});
        return exitcode::Ok;
    }
    showConfiguration(in, s, QStringLiteral("COM%1").arg(s.model().comPort));
    return exitcode::Ok;
}

// --- show ---------------------------------------------------------------------------------------

int runShow(Invocation& in) {
    Session s(in.common, 0);
    if (!s.loadFile(in.args.first())) return failed(s, exitcode::FileError);
    showConfiguration(in, s, in.args.first());
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
    auto rank = [](int c) { return c == exitcode::Ok ? 0 : c == exitcode::Differences ? 1 : 2; };
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
                                {QStringLiteral("a"), d.a},
                                {QStringLiteral("b"), d.b}});
    return list;
}

PortResult programPort(Invocation& in, const QString& file, int16_t port, bool verify) {
    PortResult r{port, QString(), QString(), exitcode::Ok, {}};
    Session s(in.common, port);
    r.port = s.model().comPort;
    if (!s.started())
        return {r.port, {}, QStringLiteral("Bus-Bibliothek nicht verfügbar"), exitcode::BusFailure, {}};
    if (!s.loadFile(file)) {
        failed(s, exitcode::FileError);
        return {r.port, {}, QStringLiteral("Datei nicht geladen"), exitcode::FileError, {}};
    }
    const int16_t status = s.programInstrument();
    static const QRegularExpression serial(QStringLiteral("Seriennummer: ([0-9A-F]+)"));
    if (const auto match = serial.match(s.panel()); match.hasMatch()) r.serial = match.captured(1);
    if (status < 0) {
        busFailed(s);
        r.result = s.panel();
        r.code = exitcode::BusFailure;
        return r;
    }
    r.result = QStringLiteral("programmiert");
    if (!verify) return r;

    Session back(in.common, port);
    back.chooseModel(*s.model().checkedModel());
    if (back.readInstrument() < 0) {
        busFailed(back);
        r.result = QStringLiteral("Rücklesen fehlgeschlagen: ") + back.panel();
        r.code = exitcode::BusFailure;
        return r;
    }
    r.differences = differences(shownFields(s.model()), shownFields(back.model()));
    if (r.differences.isEmpty()) {
        r.result = QStringLiteral("programmiert und geprüft");
    } else {
        r.result = QStringLiteral("%1 Abweichungen").arg(r.differences.size());
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
    QList<int16_t> ports = in.ports;
    if (ports.isEmpty()) ports = {0};
    int code = exitcode::Ok;
    QList<PortResult> results;
    for (int16_t port : ports) {
        results.append(programPort(in, file, port, verify));
        code = worse(code, results.last().code);
        if (results.last().code == exitcode::FileError) break; // the same file fails on every port
    }
    for (const PortResult& r : results) {
        if (in.json) {
            outJson({{QStringLiteral("port"), r.port},
                     {QStringLiteral("serial"), r.serial},
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
    const ModelEntry* model = nullptr;
    if (in.parser.isSet(QStringLiteral("model"))) {
        model = modelByName(in.parser.value(QStringLiteral("model")));
        if (!model)
            return usage(
                QStringLiteral("unbekanntes Gerät „%1“").arg(in.parser.value(QStringLiteral("model"))));
    }
    // Both sides named right before either is read.
    for (int i = 0; i < 2; ++i) {
        sides[i].source = in.args.at(i);
        QString portError;
        sides[i].port = cliopt::portSource(sides[i].source, &portError).value_or(0);
        if (!portError.isEmpty()) return usage(portError);
    }
    for (int i = 0; i < 2; ++i) {
        if (sides[i].port > 0) continue;
        sides[i].session = std::make_unique<Session>(in.common, 0);
        if (!sides[i].session->loadFile(sides[i].source)) return failed(*sides[i].session, exitcode::FileError);
        if (!model) model = sides[i].session->model().checkedModel();
    }
    for (Side& side : sides) {
        if (side.port == 0) continue;
        side.session = std::make_unique<Session>(in.common, side.port);
        Session& s = *side.session;
        if (!s.started()) return exitcode::BusFailure;
        if (!model) {
            in.ports = {side.port};
            if (const int code = chooseModel(in, s, side.port, model); code != exitcode::Ok) return code;
        }
        s.chooseModel(*model);
        if (s.readInstrument() < 0) return busFailed(s);
    }
    const QList<FieldDifference> diffs =
        differences(shownFields(sides[0].session->model()), shownFields(sides[1].session->model()));
    if (in.json)
        outJson({{QStringLiteral("a"), sides[0].source},
                 {QStringLiteral("b"), sides[1].source},
                 {QStringLiteral("differences"), differencesJson(diffs)}});
    else if (!diffs.isEmpty())
        printDifferences(diffs, sides[0].source, sides[1].source);
    return diffs.isEmpty() ? exitcode::Ok : exitcode::Differences;
}

// --- sheet --------------------------------------------------------------------------------------

// A file loaded or an instrument read as the window does, then its configuration sheet saved.
// The window's picture comes from the window itself, drawn without a display.
int runSheet(Invocation& in) {
    const QString from = in.args.first();
    QString portError;
    const int16_t port = cliopt::portSource(from, &portError).value_or(0);
    if (!portError.isEmpty()) return usage(portError);
    Session* session = nullptr;
    QtSheetPrinter printer([&session] { return session ? windowPicture(session->handlers()) : QImage(); });
    Session s(in.common, port, &printer);
    session = &s;
    if (port > 0) {
        if (!s.started()) return exitcode::BusFailure;
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
    } else if (!s.loadFile(from)) {
        return failed(s, exitcode::FileError);
    }
    const QString output = in.parser.value(QStringLiteral("output"));
    if (!s.saveSheet(output)) return failed(s, exitcode::FileError);
    if (in.json) {
        const ModelEntry* model = s.model().checkedModel();
        outJson({{QStringLiteral("file"), output},
                 {QStringLiteral("model"), model ? modelName(*model) : QString()},
                 {QStringLiteral("fields"), fieldsJson(shownFields(s.model()))}});
    }
    return exitcode::Ok;
}

// --- set-address, rename ------------------------------------------------------------------------

// A bus tool window worked as the user would: read the information, type the new
// value, press the tool's button, close. Success is what the tool's status bar says.
template <typename Window>
int runTool(Invocation& in, const char* command, const char* windowClass, void (MainHandlers::*open)(),
            void (*act)(Window&, const QString&), const QString& value, const QString& success) {
    int16_t port = 0;
    if (!onePort(in, port))
        return usage(QStringLiteral("trkdvn-cli %1 --port N").arg(QLatin1String(command)));
    Session s(in.common, port);
    if (!s.started()) return exitcode::BusFailure;
    QString result;
    s.prompter().onModal[windowClass] = [&](ModalWindow& w) {
        auto& window = static_cast<Window&>(w);
        window.b_InformationenClick();
        act(window, value);
        result = window.StatusBar1.text;
        window.FormClose();
    };
    (s.handlers().*open)();
    if (result != success) {
        err(CliPrompter::line(QStringLiteral("Status"),
                              result.isEmpty() ? QStringLiteral("Fenster nicht geöffnet") : result));
        return exitcode::BusFailure;
    }
    if (in.json)
        outJson({{QStringLiteral("port"), s.model().comPort}, {QStringLiteral("result"), result}});
    else
        out(result);
    return exitcode::Ok;
}

int runSetAddress(Invocation& in) {
    if (!in.parser.isSet(QStringLiteral("to")) || !in.args.isEmpty())
        return usage(QStringLiteral("trkdvn-cli set-address --port N --to ADRESSE"));
    return runTool<Tf_AdresseSetzen>(
        in, "set-address", "Tf_AdresseSetzen", &MainHandlers::MainMenueExtrasAdresseSetzenClick,
        [](Tf_AdresseSetzen& w, const QString& to) {
            w.eAdresseEdited(to);
            w.b_AdresseSetzenClick();
        },
        in.parser.value(QStringLiteral("to")), QStringLiteral("Adresse erfolgreich geändert"));
}

int runRename(Invocation& in) {
    if (!in.parser.isSet(QStringLiteral("name")) || !in.args.isEmpty())
        return usage(QStringLiteral("trkdvn-cli rename --port N --name TEXT"));
    return runTool<Tf_GeraeteNamenAendern>(
        in, "rename", "Tf_GeraeteNamenAendern", &MainHandlers::mmExtras_GeraeteNamenZuweisenClick,
        [](Tf_GeraeteNamenAendern& w, const QString& name) {
            w.Edit1Edited(name);
            w.b_NamenAendernClick();
        },
        in.parser.value(QStringLiteral("name")), QStringLiteral("Bezeichner erfolgreich geändert."));
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

    Session s(in.common, 0);
    if (isSet("apply") && !s.loadFile(value("apply"))) return failed(s, exitcode::FileError);
    const QChar sep = s.actions().separator();
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
            o.insert(name, text);
        outJson({{QStringLiteral("rows"), o}, {QStringLiteral("usable"), usable}});
    } else if (usable) {
        for (const auto& [name, text] : rows)
            out(QStringLiteral("%1  %2").arg(name, -6).arg(text));
    }
    if (!usable) return exitcode::Usage;
    if (isSet("apply") && !s.saveFile(value("output"), nullptr)) return failed(s, exitcode::FileError);
    return exitcode::Ok;
}

} // namespace

const QList<exitcode::Meaning>& exitcode::meanings() {
    static const QList<Meaning> list = {{Ok, "Erfolg"},
                                        {BusFailure, "das Gerät oder der Bus hat einen Fehler gemeldet"},
                                        {Usage, "falscher Aufruf (auch: Werte des Durchflussrechners nicht verwendbar)"},
                                        {FileError, "Dateifehler"},
                                        {Differences, "Prüfung oder Vergleich hat Abweichungen gefunden"}};
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
        {"read", "", 0,
         "Liest die Konfiguration des Geräts wie „Einlesen“ im Fenster. Ohne -o wird sie angezeigt (wie "
         "show),\n"
         "mit -o als d20-Datei gespeichert, wie „Konfiguration speichern“ sie schreibt. Ohne --model wird "
         "der\n"
         "Gerätetyp durch die Identifikation jedes Typs ermittelt; passen keiner oder mehrere: Exit 2.",
         "trkdvn-cli read --port 1 -o kessel1.d20 --comment \"Abnahme 12/2026\"", &runRead,
         with(instrument, {{.key = "model"}, {.key = "output"}, {.key = "comment", .needs = "output"},
                           {.key = "yes"}})},
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
          {.key = "yes"}}},
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
         "„Einlesen“ gelesen; ohne --model wird der Gerätetyp ermittelt.",
         "trkdvn-cli sheet kessel1.d20 -o kessel1.pdf", &runSheet,
         {{.key = "output", .required = true}, {.key = "model"}, {.key = "converter"}, {.key = "address"}}},
        {"set-address", "", 0,
         "Gibt dem angeschlossenen Gerät eine neue Busadresse, wie „Adresse setzen“ im Menü Extras: "
         "Informationen\n"
         "lesen, Adresse eintragen, setzen. Prüfungen und Meldungen wie im Fenster.",
         "trkdvn-cli set-address --port 1 --to 12", &runSetAddress,
         with(instrument, {{.key = "to", .required = true}})},
        {"rename", "", 0,
         "Schreibt den Gerätenamen (höchstens 16 Zeichen), wie „Gerätenamen zuweisen“ im Menü Extras.",
         "trkdvn-cli rename --port 1 --name \"Kessel 2\"", &runRename,
         with(instrument, {{.key = "name", .required = true}})},
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

QString dashedName(const QString& name) {
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// An option as the user writes it most briefly: "-o", "--port".
QString dashed(const QString& key) {
    const cliopt::Option* o = cliopt::find(key);
    return dashedName(o ? cliopt::names(*o).first() : key);
}

} // namespace

int runCommand(const Command& command, Invocation& in) {
    running = &command;
    return command.run(in);
}

QString synopsis(const Command& command) {
    QStringList words = {QString::fromLatin1(command.name)};
    if (*command.arguments) words.append(QString::fromUtf8(command.arguments));
    for (const CommandOption& o : command.options) {
        const cliopt::Option* option = cliopt::find(QLatin1String(o.key));
        QString word = dashedName(cliopt::names(*option).first());
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
            return QStringLiteral("Die Option „%1“ gehört nicht zum Befehl %2.").arg(dashed(key), name);
        if (o && o->needs && !line.isSet(QLatin1String(o->needs)))
            return QStringLiteral("Die Option „%1“ gilt beim Befehl %2 nur zusammen mit „%3“.")
                .arg(dashed(key), name, dashed(QLatin1String(o->needs)));
        if (line.values(key).size() > 1 && !(o && o->repeatable))
            return QStringLiteral("Die Option „%1“ ist mehrfach angegeben.").arg(dashed(key));
    }
    for (const CommandOption& o : command.options) {
        const QString key = QLatin1String(o.key);
        const bool storedPort = key == QLatin1String("port") && line.isSet(QStringLiteral("use-settings"));
        if (o.required && !line.isSet(key) && !storedPort)
            return QStringLiteral("Der Befehl %1 braucht „%2“.").arg(name, spelledKey(key));
    }
    const int given = line.positionalArguments().size() - 1; // the command's own name first
    if (given != command.argumentCount)
        return command.argumentCount == 0
                   ? QStringLiteral("Der Befehl %1 nimmt keine Argumente („%2“).")
                         .arg(name, line.positionalArguments().mid(1).join(QLatin1Char(' ')))
                   : QStringLiteral("Der Befehl %1 braucht %2 als Argument%3.")
                         .arg(name, QString::fromUtf8(command.arguments),
                              command.argumentCount > 1 ? QStringLiteral("e") : QString());
    return {};
}
