#include "app/LinePlanWindow.h"

#include "app/FieldList.h"
#include "app/SettingsStore.h"
#include "bus/BusConstants.h"
#include "bus/BusPort.h"
#include "bus/Instrument.h"
#include "config/ModelCatalogue.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <memory>

namespace {

const char* const kTitles[] = {"Adresse", "Seriennummer (Plan)", "Seriennummer (Gerät)", "Bezeichnung",
                               "Ergebnis"};
const QString kPlanFilter = QStringLiteral("Anlagenplan (*.json)");
const QString kPlanSuffix = QStringLiteral("json");
constexpr int16_t kNoAnswer = -2;

// The prompter of the instruments' runs: the user asked for the whole line, so the window's
// questions on the way are answered here and its boxes kept back; what went wrong stands in the
// row. The file dialogs return the instrument's d20 file; the reason for programming is asked
// once per run.
class LinePrompter : public Prompter {
  public:
    explicit LinePrompter(Prompter& user) : user(user) {}
    QString file;
    std::optional<QString> reason;

    Button message(const Message& m) override {
        if (m.caption == QLatin1String("Programmieren?") || m.caption == QLatin1String("Diese Datei laden?"))
            return Button::Yes;
        return m.defaultButton;
    }
    void beep(Beep) override {}
    QString openFileName(const QString&, const QString&, const QString&) override { return file; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return file; }
    bool openDocument(const QString& path) override { return user.openDocument(path); }
    // The comment window of a save closes as it is: a plan's files carry no comment.
    void showModal(ModalWindow&) override {}
    std::optional<QString> textLine(const QString& text, const QString& caption, const QString& preset) override {
        if (!reason) reason = user.textLine(text, caption, preset).value_or(QString());
        return reason;
    }

  private:
    Prompter& user;
};

// The main window's handlers over a copy of its model, at one address of the line.
struct Instrument {
    MainWindowModel m;
    MainHandlers h;
    Instrument(const MainWindowModel& base, const MainEnvironment& env, int16_t port, int16_t converter,
               int16_t address)
        : m(base), h(m, env) {
        m.comPort = port;
        m.converterCode = converter;
        m.busAddress = address;
        m.addressChosen = true; // the line's address stands, 0 included: no address query
    }
    bool load(LinePrompter& p, const QString& d20) {
        p.file = d20;
        h.lesen1Click();
        p.file.clear();
        return h.lastFileOutcome().done();
    }
    QString loadFailure() const {
        const QString reason = h.lastFileOutcome().reason;
        return reason.isEmpty() ? m.StatusBar1.panels[2] : reason;
    }
};

QString fileName(const QString& path) {
    return QDir::toNativeSeparators(path);
}

} // namespace

// The bus of the plan's port for the engine, with the window's progress and "Abbrechen".
// Loading a d20 file moves the configuration folder as a file dialog would: it is put back.
class LineRun : public line::LineAccess {
  public:
    LineRun(LinePlanWindow& w, int16_t port, int16_t converter)
        : LineAccess([&w] { return w.env.makeLibrary(BusLibrary::allEntries()); }, *w.env.clock, port, converter),
          w(w), prompter(*w.env.prompter), folder(w.env.settings->configFolder()) {
        env = w.env;
        env.prompter = &prompter;
        env.callLog = nullptr; // the main window's handlers already listen to the log
        w.running = true;
        w.cancelling = false;
        w.updateButtons();
    }
    // The line's instruments in the order the run takes them: the bar shows how far it got.
    QList<int16_t> instruments;
    void step(int16_t address, const QString& text) {
        w.showProgress(int(std::max<qsizetype>(0, instruments.indexOf(address))), int(instruments.size()), text);
    }

    ~LineRun() override {
        if (w.env.settings->configFolder() != folder)
            w.env.settings->writeFolderSetting(folder, SettingsStore::kConfig1Path);
        w.running = false;
        w.progressTotal = 0;
        w.progressText.clear();
        w.updateButtons();
        if (w.closeAfterRun) w.closeRequested = true;
    }

    bus::ScanResult scan(const QList<int16_t>& known, const bus::ScanCallbacks&) override {
        bus::ScanResult r = LineAccess::scan(
            known, {{},
                    [this](const bus::ScanProgress& p) {
                        w.showProgress(p.done, p.total, QStringLiteral("Bus: ") + p.text());
                    },
                    [this] { return w.cancelling; }});
        if (r.cancelled) r.status = LinePlanWindow::kCancelled;
        // A new plan reads what the scan found, in rising addresses.
        if (instruments.isEmpty()) {
            for (const bus::ScanRow& row : r.rows)
                instruments.append(row.address);
            std::sort(instruments.begin(), instruments.end());
        }
        return r;
    }
    bool stopRequested() override { return w.cancelling; }
    int16_t poll(int16_t address, int32_t& identity) override {
        return w.cancelling ? LinePlanWindow::kCancelled : LineAccess::poll(address, identity);
    }
    int16_t moveTo(int32_t identity, int16_t address) override {
        return w.cancelling ? LinePlanWindow::kCancelled : LineAccess::moveTo(identity, address);
    }
    QString errorText(int16_t status) override {
        return status == LinePlanWindow::kCancelled ? QStringLiteral("abgebrochen") : LineAccess::errorText(status);
    }

    line::Compared compare(int16_t address, const QString& d20) override {
        line::Compared c;
        if (w.cancelling) {
            c.failure = QStringLiteral("abgebrochen");
            return c;
        }
        step(address, QStringLiteral("Adresse %1: Gerät wird gelesen …").arg(address));
        // A check reads, it does not change anything worth an entry of the instrument record.
        MainEnvironment e = env;
        e.record = nullptr;
        Instrument file(w.window, e, port(), converter(), address);
        if (!file.load(prompter, d20)) {
            c.fileFailed = true;
            c.failure = file.loadFailure();
            return c;
        }
        Instrument device(file.m, e, port(), converter(), address);
        device.h.Konfigurationlesen1Click();
        if (device.h.lastBusStatus() < 0) {
            c.failure = device.m.StatusBar1.panels[2];
            return c;
        }
        c.ok = true;
        c.identity = device.m.deviceIdentity;
        c.differences = differences(shownFields(file.m), shownFields(device.m));
        return c;
    }

    // "Programmieren" with the read-back after it, as the main window does it.
    line::Programmed program(int16_t address, const QString& d20) override {
        using O = line::Programmed::Outcome;
        if (w.cancelling) return {O::Stopped, QStringLiteral("nicht programmiert (abgebrochen)"), {}};
        step(address, QStringLiteral("Adresse %1: Gerät wird programmiert …").arg(address));
        Instrument device(w.window, env, port(), converter(), address);
        if (!device.load(prompter, d20)) return {O::FileFailed, device.loadFailure(), {}};
        device.m.miPruefenNachProgrammieren.checked = true;
        device.h.miKonfigurationprogrammieren1Click();
        if (device.h.lastBusStatus() < 0) return {O::Failed, device.m.StatusBar1.panels[2], {}};
        const MainHandlers::Verification& back = device.h.lastVerification();
        if (!back.done)
            return {O::Failed,
                    QStringLiteral("Rücklesen fehlgeschlagen: ") +
                        (back.failure.isEmpty() ? device.m.StatusBar1.panels[2] : back.failure),
                    {}};
        if (!back.differences.isEmpty())
            return {O::Differs, QStringLiteral("%1 Abweichungen").arg(back.differences.size()), back.differences};
        return {O::Verified, QStringLiteral("programmiert und geprüft"), {}};
    }

    const ModelEntry* fittingModel(int16_t address, int32_t identity, int16_t& status) override {
        if (w.cancelling) {
            status = LinePlanWindow::kCancelled;
            return nullptr;
        }
        step(address, QStringLiteral("Adresse %1: Gerät wird gelesen …").arg(address));
        return LineAccess::fittingModel(address, identity, status);
    }
    bool save(int16_t address, const ModelEntry& model, const QString& d20, QString& failure, bool& fileFailed) override {
        if (w.cancelling) {
            failure = QStringLiteral("abgebrochen");
            return false;
        }
        Instrument device(w.window, env, port(), converter(), address);
        device.h.menuModelClick(QLatin1String(model.menuItem));
        device.m.busAddress = address;
        device.h.Konfigurationlesen1Click();
        if (device.h.lastBusStatus() < 0) {
            failure = device.m.StatusBar1.panels[2];
            return false;
        }
        prompter.file = d20;
        device.h.miDatenspeichernClick();
        prompter.file.clear();
        if (!device.h.lastFileOutcome().done()) {
            failure = device.loadFailure();
            fileFailed = true;
            return false;
        }
        return true;
    }

  private:
    LinePlanWindow& w;
    LinePrompter prompter;
    MainEnvironment env;
    QString folder;
};

QString LinePlanWindow::columnTitle(int column) {
    return column >= 0 && column < ColumnCount ? QString::fromUtf8(kTitles[column]) : QString();
}

LinePlanWindow::LinePlanWindow(const MainWindowModel& w, const MainEnvironment& e) : window(w), env(e) {
    const auto button = [](Button& b, const char* name, const char* caption) {
        b.name = QLatin1String(name);
        b.caption = QString::fromUtf8(caption);
    };
    l_Plan.name = QStringLiteral("l_Plan");
    l_Status.name = QStringLiteral("l_Status");
    button(b_PlanOeffnen, "b_PlanOeffnen", "Plan öffnen…");
    button(b_PlanAnlegen, "b_PlanAnlegen", "Plan anlegen…");
    button(b_Pruefen, "b_Pruefen", "Anlage prüfen");
    button(b_Programmieren, "b_Programmieren", "Anlage programmieren");
    button(b_Ersatz, "b_Ersatz", "Als Ersatz übernehmen");
    button(b_Abbrechen, "b_Abbrechen", "Abbrechen");
    button(b_Schliessen, "b_Schliessen", "Schließen");
    FormShow();
}

LinePlanWindow::~LinePlanWindow() = default;

void LinePlanWindow::FormShow() {
    if (!plan)
        l_Plan.caption = QStringLiteral("Kein Anlagenplan geöffnet. Port COM%1").arg(window.comPort);
    else
        l_Plan.caption = QStringLiteral("Anlagenplan %1 – COM%2, %3 Geräte")
                             .arg(fileName(planPath))
                             .arg(plan->port)
                             .arg(plan->instruments.size());
    updateButtons();
}

void LinePlanWindow::updateButtons() {
    b_PlanOeffnen.enabled = !running;
    b_PlanAnlegen.enabled = !running;
    b_Pruefen.enabled = !running && plan.has_value();
    b_Programmieren.enabled = b_Pruefen.enabled;
    b_Abbrechen.enabled = running && !cancelling;
    b_Schliessen.enabled = !running;
    QString offer;
    if (checked && plan && selectedRow >= 0 && selectedRow < lines.size()) {
        const int r = lines.at(selectedRow).checkRow;
        if (r >= 0 && r < lastCheck.rows.size()) offer = line::replacementOffer(*plan, lastCheck.rows.at(r));
    }
    b_Ersatz.caption = offer.isEmpty() ? QStringLiteral("Als Ersatz übernehmen") : offer;
    b_Ersatz.enabled = !running && !offer.isEmpty();
}

void LinePlanWindow::rowSelected(int row) {
    selectedRow = row >= 0 && row < lines.size() ? row : -1;
    updateButtons();
}

QString LinePlanWindow::cell(int row, int column) const {
    if (row < 0 || row >= lines.size()) return {};
    const Line& l = lines.at(row);
    switch (column) {
    case Adresse: return QString::number(l.address);
    case Plan: return l.planned;
    case Geraet: return l.serial;
    case Bezeichnung: return l.name;
    case Ergebnis: return l.result;
    default: return {};
    }
}

QString LinePlanWindow::details() const {
    if (selectedRow < 0 || selectedRow >= lines.size()) return {};
    const Line& l = lines.at(selectedRow);
    if (l.differences.isEmpty()) return {};
    return QStringLiteral("Adresse %1:\n").arg(l.address) +
           differenceListing(l.differences, QStringLiteral("Datei"), QStringLiteral("Gerät"));
}

void LinePlanWindow::showProgress(int done, int total, const QString& text) {
    progressDone = done;
    progressTotal = total;
    progressText = text;
    if (repaint) repaint();
}

void LinePlanWindow::b_PlanOeffnenClick() {
    if (running) return;
    const QString path = env.prompter->openFileName(env.settings->configFolder(), kPlanFilter, kPlanSuffix);
    if (!path.isEmpty()) openPlan(path);
}

bool LinePlanWindow::openPlan(const QString& path) {
    lineplan::ReadResult read = lineplan::read(path);
    if (!read.plan) {
        env.prompter->show(QStringLiteral("Der Anlagenplan konnte nicht geladen werden.\n\n%1").arg(read.reason), QStringLiteral("Anlage"), Prompter::Icon::Warning);
        return false;
    }
    plan = std::move(read.plan);
    planPath = QFileInfo(path).absoluteFilePath();
    checked = false;
    lastCheck = {};
    lines.clear();
    selectedRow = -1;
    QStringList unusable;
    for (const LinePlanEntry& e : plan->instruments) {
        Line l;
        l.address = e.address;
        l.planned = e.identity ? bus::serialText(*e.identity) : QStringLiteral("-");
        l.name = e.name;
        if (const lineplan::D20File d20 = lineplan::d20File(planPath, e); d20.problem.isEmpty()) {
            l.result = QStringLiteral("nicht geprüft");
        } else {
            l.result = d20.problem;
            l.tone = Tone::Bad;
            unusable.append(d20.problem);
        }
        lines.append(l);
    }
    l_Status.caption = QStringLiteral("Anlagenplan geladen");
    FormShow();
    if (!unusable.isEmpty())
        env.prompter->show(
            QStringLiteral("Diese Geräte des Plans können weder geprüft noch programmiert werden, weil ihre "
                           "d20-Datei fehlt oder nicht verwendet werden darf:\n\n%1")
                .arg(unusable.join(QLatin1Char('\n'))),
            QStringLiteral("Anlage"), Prompter::Icon::Warning);
    return true;
}

void LinePlanWindow::b_PlanAnlegenClick() {
    if (running) return;
    if (window.comPort <= 0) {
        env.prompter->show(QStringLiteral("Bitte zuerst im Menü „Schnittstelle“ den Port der Anlage wählen."), QStringLiteral("Anlage"), Prompter::Icon::Warning);
        return;
    }
    const QString chosen = env.prompter->saveFileName(env.settings->configFolder(), kPlanFilter, kPlanSuffix);
    if (chosen.isEmpty()) return;
    const QString path = QFileInfo(chosen).absoluteFilePath();
    // The plan open so far stays open unless a new one is written.
    const std::optional<LinePlan> before = plan;
    plan.reset();
    checked = false;
    lines.clear();
    selectedRow = -1;
    l_Plan.caption = QStringLiteral("Anlagenplan %1 wird angelegt – COM%2").arg(fileName(path)).arg(window.comPort);
    l_Status.caption.clear(); // the last check's result belongs to the plan left behind
    const auto overwrite = [this](const QList<line::ExistingFile>& existing) {
        QStringList names;
        for (const line::ExistingFile& file : existing)
            names.append(file.shown());
        Prompter::Message question;
        question.caption = QStringLiteral("Anlage");
        question.icon = Prompter::Icon::Warning;
        question.text = QStringLiteral("Im Ordner des Plans liegen schon diese d20-Dateien; sie werden mit "
                                       "den gelesenen Konfigurationen überschrieben:\n\n%1\n\nÜberschreiben?")
                            .arg(names.join(QLatin1Char('\n')));
        question.buttons = {Prompter::Button::Yes, Prompter::Button::No};
        question.defaultButton = Prompter::Button::No;
        return env.prompter->message(question) == Prompter::Button::Yes;
    };
    const auto each = [this](const line::Taken& t) {
        Line l;
        l.address = t.address;
        l.planned = t.model.isEmpty() ? QStringLiteral("-") : bus::serialText(t.identity);
        l.serial = t.identity != 0 ? bus::serialText(t.identity) : QString();
        l.name = t.name;
        l.result = t.model.isEmpty() ? (cancelling ? QStringLiteral("abgebrochen") : t.failure)
                                     : QStringLiteral("%1, gespeichert als %2").arg(t.model, t.d20File);
        l.tone = t.model.isEmpty() ? Tone::Bad : Tone::Good;
        lines.append(l);
        if (repaint) repaint();
    };
    line::MadePlan made;
    bool cancelled = false;
    QString why;
    {
        LineRun run(*this, window.comPort, window.converterCode);
        made = line::makePlan(run, path, overwrite, each);
        cancelled = cancelling;
        if (made.scanStatus < 0) why = run.errorText(made.scanStatus);
    }
    if (made.scanStatus < 0 && made.scanStatus != kCancelled) {
        l_Status.caption = QStringLiteral("Fehler: ") + why;
        env.prompter->show(made.failedAt < 0
                               ? QStringLiteral("Der Port COM%1 konnte nicht geöffnet werden: %2").arg(made.plan.port).arg(why)
                               : QStringLiteral("Die Suche auf COM%1 ist an Adresse %2 fehlgeschlagen: %3")
                                     .arg(made.plan.port)
                                     .arg(made.failedAt)
                                     .arg(why), QStringLiteral("Anlage"), Prompter::Icon::Warning);
    } else if (made.scanStatus == kCancelled || cancelled) {
        l_Status.caption = QStringLiteral("Abgebrochen, kein Plan angelegt");
    } else if (made.kept) {
        l_Status.caption = QStringLiteral("Kein Plan angelegt");
    } else if (!made.complete()) {
        l_Status.caption = QStringLiteral("Kein Plan angelegt");
        env.prompter->show(
            made.answered == 0
                ? QStringLiteral("Kein Gerät antwortet auf COM%1; es wurde kein Plan angelegt.")
                      .arg(made.plan.port)
            : made.readFailedAt >= 0
                ? QStringLiteral(
                      "Das Gerät an Adresse %1 antwortete bei der Suche, konnte aber nicht eingelesen "
                      "werden: %2\n\nEs wurde kein Plan angelegt; ohne dieses Gerät wäre er unvollständig.")
                      .arg(made.readFailedAt)
                      .arg(made.readFailure)
                : QStringLiteral(
                      "Kein Gerät auf COM%1 konnte in den Plan übernommen werden; es wurde kein Plan "
                      "angelegt.")
                      .arg(made.plan.port),
            QStringLiteral("Anlage"), Prompter::Icon::Warning);
    } else if (const filewriter::Result written = lineplan::write(path, made.plan); !written.ok) {
        l_Status.caption = QStringLiteral("Der Anlagenplan wurde nicht geschrieben");
        env.prompter->show(QStringLiteral("Der Anlagenplan konnte nicht geschrieben werden.\n\n%1").arg(written.reason), QStringLiteral("Anlage"), Prompter::Icon::Warning);
    } else {
        plan = made.plan;
        planPath = path;
        l_Status.caption = QStringLiteral("Anlagenplan mit %1 Geräten angelegt").arg(made.plan.instruments.size());
    }
    if (!plan) plan = before;
    FormShow();
}

void LinePlanWindow::b_PruefenClick() {
    if (running || !plan) return;
    {
        LineRun run(*this, plan->port, plan->converter);
        run.instruments = plan->addresses();
        lastCheck = line::check(run, *plan, planPath);
    }
    checked = lastCheck.scanStatus != kCancelled && !(lastCheck.scanStatus < 0 && lastCheck.rows.isEmpty());
    showCheck();
}

void LinePlanWindow::showCheck() {
    lines.clear();
    selectedRow = -1;
    const line::CheckResult& r = lastCheck;
    if (r.scanStatus == kCancelled) {
        l_Status.caption = QStringLiteral("Abgebrochen; die Anlage wurde nicht vollständig geprüft");
        checked = false;
        FormShow();
        return;
    }
    for (int i = 0; i < r.rows.size(); ++i) {
        const line::Row& row = r.rows.at(i);
        Line l;
        l.address = row.address;
        l.planned = row.planned ? bus::serialText(*row.planned) : QStringLiteral("-");
        l.serial = row.found != 0 ? bus::serialText(row.found) : QString();
        l.name = row.name;
        l.result = row.text;
        l.differences = row.differences;
        l.checkRow = i;
        switch (row.state) {
        case line::State::Same: l.tone = Tone::Good; break;
        case line::State::Differs: l.tone = Tone::Differs; break;
        case line::State::Unplanned: l.tone = row.replaces >= 0 ? Tone::Bad : Tone::Neutral; break;
        default: l.tone = Tone::Bad; break;
        }
        if (const QString offer = line::replacementOffer(*plan, row); !offer.isEmpty())
            l.result += QStringLiteral(" – ") + offer + QStringLiteral(" möglich");
        lines.append(l);
    }
    if (r.scanStatus < 0) {
        l_Status.caption = QStringLiteral("Fehler: ") + r.scanFailure;
        env.prompter->show(QStringLiteral("Die Anlage auf COM%1 konnte nicht geprüft werden: %2").arg(plan->port).arg(r.scanFailure), QStringLiteral("Anlage"), Prompter::Icon::Warning);
    } else {
        const auto same = std::count_if(r.rows.begin(), r.rows.end(),
                                        [](const line::Row& row) { return row.state == line::State::Same; });
        l_Status.caption = r.clean() ? QStringLiteral("Alle %1 Geräte wie geplant").arg(same)
                                     : QStringLiteral("%1 von %2 Geräten wie geplant")
                                           .arg(same)
                                           .arg(plan->instruments.size());
    }
    FormShow();
}

void LinePlanWindow::b_ProgrammierenClick() {
    if (running || !plan) return;
    line::ProgramResult result;
    {
        LineRun run(*this, plan->port, plan->converter);
        run.instruments = plan->addresses();
        result = line::program(run, *plan, planPath, false);
    }
    // What was found before stands for the replacement offers until the next check.
    lastCheck = result.before;
    checked = false;
    showProgramming(result);
}

void LinePlanWindow::showProgramming(const line::ProgramResult& result) {
    lines.clear();
    selectedRow = -1;
    if (result.before.scanStatus < 0 && result.before.scanStatus != kCancelled) {
        l_Status.caption = QStringLiteral("Fehler: ") + result.before.scanFailure;
        env.prompter->show(QStringLiteral("Die Anlage auf COM%1 konnte nicht programmiert werden: %2")
                 .arg(plan->port)
                 .arg(result.before.scanFailure), QStringLiteral("Anlage"), Prompter::Icon::Warning);
        FormShow();
        return;
    }
    int done = 0;
    int failed = 0;
    for (const line::ProgramRow& row : result.rows) {
        Line l;
        l.address = row.address;
        const LinePlanEntry* entry = plan->at(row.address);
        l.planned = entry && entry->identity ? bus::serialText(*entry->identity) : QStringLiteral("-");
        l.serial = row.serial;
        l.name = entry ? entry->name : QString();
        l.result = row.result;
        l.differences = row.differences;
        using O = line::Programmed::Outcome;
        const bool written = row.outcome == O::Verified && row.result.startsWith(QLatin1String("programmiert"));
        if (written) ++done;
        l.tone = row.outcome == O::Verified ? Tone::Good : row.outcome == O::Differs ? Tone::Differs : Tone::Bad;
        if (row.outcome != O::Verified) ++failed;
        lines.append(l);
    }
    l_Status.caption = result.before.scanStatus == kCancelled
                           ? QStringLiteral("Abgebrochen; %1 Geräte programmiert und geprüft").arg(done)
                           : QStringLiteral("%1 Geräte programmiert und geprüft, %2 nicht wie geplant")
                                 .arg(done)
                                 .arg(failed);
    FormShow();
}

void LinePlanWindow::b_ErsatzClick() {
    if (running || !plan || !checked || selectedRow < 0 || selectedRow >= lines.size()) return;
    const int checkRow = lines.at(selectedRow).checkRow;
    if (checkRow < 0 || checkRow >= lastCheck.rows.size()) return;
    const line::Row row = lastCheck.rows.at(checkRow);
    if (row.replaces < 0) return;
    const LinePlanEntry planned = plan->instruments.at(row.replaces);
    Prompter::Message question;
    question.caption = QStringLiteral("Anlage");
    question.icon = Prompter::Icon::Question;
    question.text = QStringLiteral("Das Gerät %1 an Adresse %2 übernimmt den Platz von %3: es bekommt die Adresse "
                                   "%4 und die Konfiguration aus %5.\n\nÜbernehmen?")
                        .arg(bus::serialText(row.found))
                        .arg(row.address)
                        .arg(line::entryTitle(planned))
                        .arg(planned.address)
                        .arg(planned.d20File);
    question.buttons = {Prompter::Button::Yes, Prompter::Button::No};
    question.defaultButton = Prompter::Button::Yes;
    if (env.prompter->message(question) != Prompter::Button::Yes) return;

    line::ProgramRow done;
    bool refused = false;
    {
        LineRun run(*this, plan->port, plan->converter);
        // The planned address must still be free: two instruments there could not be told apart.
        if (row.address != planned.address) {
            int32_t identity = 0;
            const int16_t status = run.poll(planned.address, identity);
            if (status != kNoAnswer) {
                refused = true;
                env.prompter->show(status >= 0 || status == -7
                         ? QStringLiteral("An Adresse %1 antwortet inzwischen ein Gerät. Bitte die Anlage neu prüfen.")
                               .arg(planned.address)
                         : QStringLiteral("Adresse %1 konnte nicht abgefragt werden: %2")
                               .arg(planned.address)
                               .arg(run.errorText(status)), QStringLiteral("Anlage"), Prompter::Icon::Warning);
            }
        }
        if (!refused) done = line::takeOver(run, *plan, planPath, row);
    }
    if (refused) return;
    const bool verified = done.outcome == line::Programmed::Outcome::Verified;
    // The matrix follows: the planned row now holds the instrument, its old row is gone.
    int at = checkRow;
    for (int i = 0; i < lastCheck.rows.size(); ++i)
        if (lastCheck.rows.at(i).planIndex == row.replaces) at = i;
    line::Row& target = lastCheck.rows[at];
    if (verified || row.address == planned.address || done.address == planned.address) {
        target.found = row.found;
        target.planned = plan->instruments.at(row.replaces).identity;
        target.state = verified ? line::State::Same : line::State::Failed;
        target.text = done.result;
        target.replaces = -1;
        target.differences = done.differences;
        if (row.address != planned.address) lastCheck.rows.removeAt(checkRow);
    } else {
        lastCheck.rows[checkRow].text = done.result;
    }
    for (line::Row& r : lastCheck.rows)
        if (r.replaces == row.replaces) r.replaces = -1;
    showCheck();
    if (verified) {
        writePlan();
        l_Status.caption = done.result;
    } else {
        l_Status.caption = QStringLiteral("Nicht übernommen: ") + done.result;
        env.prompter->show(QStringLiteral("Das Gerät %1 wurde nicht als Ersatz für %2 übernommen: %3")
                 .arg(bus::serialText(row.found), line::entryTitle(planned), done.result), QStringLiteral("Anlage"), Prompter::Icon::Warning);
    }
    updateButtons();
}

void LinePlanWindow::writePlan() {
    if (const filewriter::Result written = lineplan::write(planPath, *plan); !written.ok)
        env.prompter->show(QStringLiteral("Die neue Seriennummer steht nicht im Anlagenplan: er konnte nicht geschrieben "
                            "werden.\n\n%1")
                 .arg(written.reason), QStringLiteral("Anlage"), Prompter::Icon::Warning);
}

void LinePlanWindow::b_AbbrechenClick() {
    if (!running) return;
    cancelling = true;
    progressText = QStringLiteral("Wird abgebrochen …");
    updateButtons();
}

void LinePlanWindow::b_SchliessenClick() {
    if (!running) closeRequested = true;
}

bool askStopAfterInstrument(Prompter& prompter, const QString& caption, const QString& text) {
    Prompter::Message question;
    question.caption = caption;
    question.icon = Prompter::Icon::Warning;
    question.text = text;
    question.buttons = {Prompter::Button::Yes, Prompter::Button::No};
    question.buttonTexts.insert(Prompter::Button::Yes, QStringLiteral("Nach diesem Gerät abbrechen"));
    question.buttonTexts.insert(Prompter::Button::No, QStringLiteral("Weiterarbeiten"));
    question.defaultButton = Prompter::Button::Yes;
    return prompter.message(question) == Prompter::Button::Yes;
}

bool LinePlanWindow::FormCloseQuery() {
    if (!running) return true;
    if (closeAfterRun) return false;
    const QString text = QStringLiteral("Die Anlage wird gerade bearbeitet. Ein Abbruch mitten im Schreiben ließe ein "
                                        "Gerät unvollständig programmiert zurück.\n\nNach diesem Gerät abbrechen: das "
                                        "Gerät in Arbeit wird fertig programmiert und geprüft, kein weiteres begonnen, "
                                        "dann schließt das Fenster.");
    if (askStopAfterInstrument(*env.prompter, QStringLiteral("Anlage"), text)) stopAfterInstrument();
    return false;
}

void LinePlanWindow::stopAfterInstrument() {
    if (!running) return;
    closeAfterRun = true;
    b_AbbrechenClick();
}
