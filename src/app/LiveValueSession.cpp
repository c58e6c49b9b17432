#include "app/LiveValueSession.h"

#include "bus/BusPort.h"
#include "bus/Reach.h"
#include "files/CsvTable.h"
#include "files/FileWriter.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<qint64, 5> kIntervalsMs = {0, 200, 500, 1000, 5000};
constexpr std::array<qint64, 5> kSpansMs = {60'000, 300'000, 1'800'000, 7'200'000, LiveValueSession::kKeepMs};
// While a run has the bus the window looks again this often.
constexpr qint64 kBusyRetryMs = 100;
// Polls without an answer in a row after which the port is opened anew.
constexpr int kReopenAfter = 3;

} // namespace

LiveValueSession::LiveValueSession(std::unique_ptr<BusLibrary> library, BusGuard& busGuard, Clock& clockSeam)
    : lib(std::move(library)), guard(busGuard), clock(clockSeam) {
    // Loaded for as long as the window exists, so the port can stay open between polls.
    lib->load();
    guard.letGo = [this] { letGo(); };
}

LiveValueSession::~LiveValueSession() {
    guard.letGo = nullptr;
    close();
    lib->unload();
}

void LiveValueSession::configure(const Place& place, const LiveView& view) {
    const bool other = place.comPort != where.comPort || place.address != where.address ||
                       place.converterCode != where.converterCode;
    shownAs = view;
    if (!other && lastPollMs) return;
    letGo();
    where = place;
    address = place.address;
    identity = 0;
    state = LiveValueWindow{};
    lastPollMs.reset();
    polls = failedPolls = failedInRow = 0;
    failure.clear();
}

void LiveValueSession::close() {
    shown = false;
    stopRecording();
    state.loopCheck.cancel();
    letGo();
}

qint64 LiveValueSession::tick(qint64 ms, const QDateTime& now) {
    paused = guard;
    if (paused) return kBusyRetryMs;
    if (lastPollMs) {
        const qint64 due = *lastPollMs + intervalMs();
        if (ms < due) return due - ms;
    }
    poll(ms, now);
    // Polls keep to their schedule however long an answer took; a late one goes at once.
    return std::max<qint64>(0, *lastPollMs + intervalMs() - ms);
}

void LiveValueSession::poll(qint64 ms, const QDateTime& now) {
    if (!lastPollMs) wallOffsetMs = now.toMSecsSinceEpoch() - ms;
    // A late poll does not make the next ones come sooner to catch up.
    lastPollMs = lastPollMs && ms - *lastPollMs < 2 * intervalMs() ? *lastPollMs + intervalMs() : ms;
    newestMs = ms;
    bus::Reading reading;
    reading.status = portOpen ? int16_t(0) : reach();
    if (reading.status >= 0) reading = bus::readMeasurement(*lib, address);
    ++polls;
    if (reading.value) {
        state.lastStatus = reading.status;
        state.lastValue = reading.value;
        state.lastAnswerMs = ms;
        failure.clear();
        failedInRow = 0;
        state.trend.add(ms, reading);
        state.loopCheck.add(ms, reading);
    } else {
        ++failedPolls;
        failure = bus::errorText(*lib, reading.status).trimmed();
        state.lastStatus = reading.status < 0 ? reading.status : int16_t(-1);
        state.trend.add(ms, reading);
        state.loopCheck.add(ms, reading);
        // After a few in a row the port is opened anew: a converter pulled and put back
        // recovers too. A single miss keeps the port.
        if (++failedInRow >= kReopenAfter) letGo();
    }
    if (recording()) record(now, reading);
    const LoopCheck::Step step = state.loopCheck.step();
    // Told once: the check stays at its result until it is started again.
    if ((step == LoopCheck::Step::Passed || step == LoopCheck::Step::Failed) && !loopTold) {
        loopTold = true;
        if (loopFinished) loopFinished(state.loopCheck);
    }
}

int16_t LiveValueSession::reach() {
    bus::ReachPlan plan;
    plan.comPort = where.comPort;
    plan.converterCode = where.converterCode;
    plan.clock = &clock;
    plan.askAddress = address < 0;
    plan.clearOperands = true;
    bus::Operands ops;
    const bus::Reached reached = bus::reachInstrument(*lib, plan, address, ops);
    if (reached.ok()) {
        portOpen = true;
        identity = ops.integer;
    } else if (reached.opened >= 0) {
        // Opened, but the instrument was not reached: the next poll starts from the port again.
        lib->TBCloseCom();
    }
    return reached.status();
}

void LiveValueSession::letGo() {
    if (!portOpen) return;
    portOpen = false;
    lib->TBCloseCom();
}

QStringList LiveValueSession::intervalTexts() {
    return {QStringLiteral("so schnell wie möglich"), QStringLiteral("0,2 s"), QStringLiteral("0,5 s"),
            QStringLiteral("1 s"), QStringLiteral("5 s")};
}

void LiveValueSession::setInterval(int index) {
    interval = std::clamp(index, 0, int(kIntervalsMs.size()) - 1);
}

qint64 LiveValueSession::intervalMs() const {
    return kIntervalsMs[std::size_t(interval)];
}

QStringList LiveValueSession::spanTexts() {
    return {QStringLiteral("1 min"), QStringLiteral("5 min"), QStringLiteral("30 min"), QStringLiteral("2 h"),
            QStringLiteral("24 h")};
}

void LiveValueSession::setSpan(int index) {
    span = std::clamp(index, 0, int(kSpansMs.size()) - 1);
    backMs = std::clamp<qint64>(backMs, 0, kKeepMs - spanMs());
}

qint64 LiveValueSession::spanMs() const {
    return kSpansMs[std::size_t(span)];
}

qint64 LiveValueSession::shownUntilMs() const {
    // Up to the newest reading: a poll goes a little after it was due, and the span shown must
    // hold the value shown large.
    return (lastPollMs ? newestMs : 0) - std::clamp<qint64>(backMs, 0, kKeepMs - spanMs());
}

QDateTime LiveValueSession::wallTime(qint64 ms) const {
    return QDateTime::fromMSecsSinceEpoch(ms + wallOffsetMs);
}

qint64 LiveValueSession::breakMs() const {
    return std::max<qint64>(2000, 3 * intervalMs());
}

LiveTrend::Stats LiveValueSession::shownStats() const {
    return state.trend.stats(shownFromMs(), shownUntilMs());
}

QString LiveValueSession::valueText() const {
    return state.lastValue ? shownAs.number(*state.lastValue) : QStringLiteral("–");
}

QString LiveValueSession::answerText() const {
    if (!state.lastAnswerMs) return QStringLiteral("Noch keine Antwort");
    return QStringLiteral("Letzte Antwort: ") + wallTime(*state.lastAnswerMs).toString(QStringLiteral("HH:mm:ss"));
}

QString LiveValueSession::pollState() const {
    if (paused) return QStringLiteral("Bus belegt – die Abfrage wartet");
    if (polls == 0) return QStringLiteral("Verbinde …");
    if (failed()) return QStringLiteral("Keine Antwort: ") + failure;
    return QStringLiteral("ok");
}

QString LiveValueSession::statsText() const {
    const LiveTrend::Stats s = shownStats();
    if (!s.mean) return QStringLiteral("Min –   Max –   Mittel –");
    return QStringLiteral("Min %1   Max %2   Mittel %3")
        .arg(shownAs.number(*s.min), shownAs.number(*s.max), shownAs.number(*s.mean));
}

bool LiveValueSession::startRecording(const QString& path) {
    stopRecording();
    recordProblem.clear();
    const filewriter::Result written = filewriter::replace(path, liveCsvHead());
    if (!written.ok) {
        recordProblem = written.reason;
        return false;
    }
    recordPath = path;
    recordedLines = 0;
    return true;
}

void LiveValueSession::bAufzeichnenClick(Prompter& prompter, const QString& folder) {
    if (recording()) {
        stopRecording();
        return;
    }
    const QString path = prompter.saveFileName(folder, QStringLiteral("CSV-Dateien (*.csv)"), QStringLiteral("csv"));
    if (!path.isEmpty()) startRecording(path);
}

void LiveValueSession::stopRecording() {
    recordPath.clear();
}

void LiveValueSession::record(const QDateTime& now, const bus::Reading& reading) {
    const QStringList fields = {now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")),
                                reading.value ? shownAs.number(*reading.value) : QString(),
                                reading.value ? QStringLiteral("ok") : failure};
    const filewriter::Result written = filewriter::append(recordPath, csvtable::line(fields));
    if (!written.ok) {
        recordProblem = written.reason;
        recordPath.clear();
        return;
    }
    ++recordedLines;
}

void LiveValueSession::startLoopCheck(double tolerancePercent) {
    if (!shownAs.loop) return;
    LoopCheck::Settings settings = *shownAs.loop;
    settings.tolerancePercent = tolerancePercent;
    state.loopCheck.start(settings);
    loopTold = false;
}
