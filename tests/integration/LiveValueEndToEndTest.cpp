// The live value window over the real bus library: the loop check against a simulated input,
// and polling beside the main window's runs.

#include "LiveBus.h"

#include "app/LiveValueSession.h"
#include "bus/CallLog.h"
#include "record/InstrumentRecord.h"

#include <gtest/gtest.h>

#include <QThread>

using namespace livebus;

namespace {

class LiveValues : public LiveBus {
  protected:
    void TearDown() override {
        qunsetenv("TRAXBUS_SIGNALSTEP");
        LiveBus::TearDown();
    }
};

// Ticks the window's clock in whole seconds until the loop check leaves the step it is at.
void settle(LiveValueSession& live, qint64& ms) {
    const LoopCheck::Step at = live.state.loopCheck.step();
    for (int i = 0; i < 20 && live.state.loopCheck.step() == at; ++i)
        live.tick(ms += 1000, QDateTime::currentDateTime());
}

} // namespace

// The input steps from its low end (0) to its high end (1000) at the eleventh poll. Shown as
// 0 to 1000 the loop passes; shown as 0 to 900 the high end fails. Both go into the record.
TEST_F(LiveValues, LoopCheckPassesAndFailsAgainstTheInputAndIsRecorded) {
    const Scenario& s = scenarioOnPort(6);
    createRoster();
    setInstrument(6, QStringLiteral("signal"),
                  QJsonObject{{QStringLiteral("step"), QJsonObject{{QStringLiteral("before"), 0},
                                                                   {QStringLiteral("after"), 1000},
                                                                   {QStringLiteral("at"), 10}}}});
    qputenv("TRAXBUS_SIGNALSTEP", "1");
    InstrumentRecord record(dir.filePath(QStringLiteral("archiv.sqlite")), {});
    settings(s);
    Window w(iniPath(), dir.path(), sep, nullptr, {}, nullptr, &record);
    w.model(s.model);
    w.input(0, 0); // 0 - 10 V
    w.type(w.m.neAnzeigeLow, "0");
    w.type(w.m.neAnzeigeHigh, "1000");

    qint64 ms = 0;
    const auto check = [&](LiveValueSession& live) {
        const int opened = live.polls; // the first poll after opening the port sees 0 s
        live.startLoopCheck(0.5);
        EXPECT_TRUE(live.state.loopCheck.prompt().contains(QStringLiteral("0 V"))) << live.state.loopCheck.prompt().toStdString();
        live.loopApplied();
        settle(live, ms);
        EXPECT_EQ(live.state.loopCheck.step(), LoopCheck::Step::ApplyHigh);
        EXPECT_TRUE(live.state.loopCheck.prompt().contains(QStringLiteral("10 V")));
        // The technician turns the source up: the step comes with the eleventh poll.
        while (live.polls - opened < 11)
            live.tick(ms += 1000, QDateTime::currentDateTime());
        live.loopApplied();
        settle(live, ms);
    };

    w.handlers->MainMenueExtras_MesswertAnzeigenClick();
    LiveValueSession* live = w.handlers->liveValues();
    ASSERT_NE(live, nullptr);
    ASSERT_TRUE(live->canCheckLoop());
    check(*live);
    ASSERT_EQ(live->state.loopCheck.step(), LoopCheck::Step::Passed) << live->pollState().toStdString();
    // A poll a little after it was due still belongs to the span shown: its statistics hold
    // every reading, the newest (the value shown large) too.
    live->tick(ms += 1007, QDateTime::currentDateTime());
    EXPECT_EQ(live->shownStats().readings, live->polls);
    EXPECT_EQ(live->state.loopCheck.prompt(),
              QStringLiteral("Schleifentest bestanden. 0 V: 0 (Soll 0), 10 V: 1000 (Soll 1000)"));

    // The window shows 0 to 900 now; opened again, the input starts at its low end again.
    w.type(w.m.neAnzeigeHigh, "900");
    live->close();
    w.handlers->MainMenueExtras_MesswertAnzeigenClick();
    check(*live);
    ASSERT_EQ(live->state.loopCheck.step(), LoopCheck::Step::Failed);
    EXPECT_TRUE(live->state.loopCheck.low().ok);
    EXPECT_FALSE(live->state.loopCheck.high().ok);
    EXPECT_EQ(live->state.loopCheck.prompt(),
              QStringLiteral("Schleifentest nicht bestanden. 0 V: 0 (Soll 0), 10 V: 1000 (Soll 900)"));

    // Read before: the record knows the instrument by the identity the window polled.
    const QList<RecordedInstrument> instruments = record.instruments();
    ASSERT_EQ(instruments.size(), 1);
    const QList<RecordEntry> history = record.history(instruments[0].serial);
    ASSERT_EQ(history.size(), 2);
    EXPECT_EQ(history[0].event, RecordEntry::Event::LoopCheck);
    EXPECT_EQ(history[1].event, RecordEntry::Event::LoopCheck);
    EXPECT_TRUE(history[0].verification.startsWith(QStringLiteral("Schleifentest nicht bestanden")));
    EXPECT_TRUE(history[1].verification.startsWith(QStringLiteral("Schleifentest bestanden")));
}

// The window polls as fast as the line allows, records to CSV, and a readout of the main window
// comes in between: the window lets go of the port before the run opens it, takes no poll while
// the run lasts, and goes on afterwards with the signal where it was. A poll without an answer
// is a gap and an empty value in the file, and the next poll recovers.
TEST_F(LiveValues, PollsWaitForTheMainWindowsRunAndGoOnAfterIt) {
    const Scenario& s = scenarioOnPort(6);
    createRoster();
    setInstrument(6, QStringLiteral("signal"),
                  QJsonObject{{QStringLiteral("ramp"), QJsonObject{{QStringLiteral("from"), 0},
                                                                   {QStringLiteral("to"), 1000},
                                                                   {QStringLiteral("period"), 100}}}});
    settings(s);
    CallLog log;
    LiveValueSession* live = nullptr;
    qint64 ms = 0;
    int ticksInRun = 0;
    int pollsInRun = 0;
    const auto betweenCalls = [&] {
        if (!live) return;
        const int before = live->polls;
        live->tick(ms += 50, QDateTime::currentDateTime());
        ++ticksInRun;
        pollsInRun += live->polls - before;
        EXPECT_TRUE(live->waiting());
    };
    Window w(iniPath(), dir.path(), sep, &log, betweenCalls);
    w.model(s.model);
    w.handlers->MainMenueExtras_MesswertAnzeigenClick();
    live = w.handlers->liveValues();
    ASSERT_NE(live, nullptr);
    live->setInterval(0);
    const QString csv = dir.filePath(QStringLiteral("messwerte.csv"));
    ASSERT_TRUE(live->startRecording(csv)) << live->recordProblem.toStdString();

    for (int i = 0; i < 3; ++i) {
        live->tick(ms += 40, QDateTime::currentDateTime());
        if (i == 0) QThread::msleep(300); // the ramp, started with the first open, is above 3 then
    }
    ASSERT_EQ(live->polls, 3);
    ASSERT_FALSE(live->failed()) << live->pollState().toStdString();
    const double before = *live->state.lastValue;
    EXPECT_GT(before, 3.0);

    // The next poll after the run gets no answer.
    setFault(6, QJsonObject{{QStringLiteral("fn"), QStringLiteral("GetMeasurement")},
                            {QStringLiteral("status"), -2},
                            {QStringLiteral("count"), 1}});
    w.handlers->Konfigurationlesen1Click();
    ASSERT_GE(w.handlers->lastBusStatus(), 0) << w.m.StatusBar1.panels[2].toStdString();
    EXPECT_GT(ticksInRun, 10);
    EXPECT_EQ(pollsInRun, 0);

    live->tick(ms += 40, QDateTime::currentDateTime());
    EXPECT_TRUE(live->failed());
    EXPECT_FALSE(live->waiting());
    EXPECT_TRUE(live->pollState().startsWith(QStringLiteral("Keine Antwort")));
    EXPECT_EQ(*live->state.lastValue, before); // kept, never replaced by a made-up value
    live->tick(ms += 40, QDateTime::currentDateTime());
    ASSERT_FALSE(live->failed()) << live->pollState().toStdString();
    // The signal went on through the run's open and close instead of starting again.
    EXPECT_GE(*live->state.lastValue, before);
    EXPECT_EQ(live->state.trend.failures(0, ms).size(), 1);
    EXPECT_EQ(live->state.trend.lines(0, ms, live->breakMs()).size(), 2);
    live->stopRecording();

    // One port open at a time: every open is closed before the next one, the readout's too.
    int open = 0;
    bool runSeen = false;
    for (const TraceLine& line : readTrace(tracePath())) {
        if (line.fn == QLatin1String("TBOpenCom") && line.status >= 0) {
            EXPECT_EQ(open, 0) << "a port opened while another was open";
            open = 1;
        } else if (line.fn == QLatin1String("TBCloseCom")) {
            open = 0;
        } else if (line.fn == QLatin1String("TBTransmit") && line.command == 254) {
            runSeen = true; // the readout asks for the version
        }
    }
    EXPECT_TRUE(runSeen);

    // Head and one line per poll; the unanswered one has no value and says why.
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), 1 + 5 + 1) << file.fileName().toStdString(); // the last after CR LF is empty
    EXPECT_TRUE(lines[0].endsWith("Zeit;Wert;Status\r"));
    const QList<QByteArray> failed = lines[4].split(';');
    ASSERT_EQ(failed.size(), 3);
    EXPECT_TRUE(failed[1].isEmpty());
    EXPECT_NE(failed[2], "ok\r");
    EXPECT_TRUE(lines[5].endsWith(";ok\r"));
}

// A measurement that fails with anything but "no answer" is no reading either: the value shown
// stays, the trend has a gap. The third poll in a row without a reading lets the port go, so the
// fourth opens it anew.
TEST_F(LiveValues, FailedMeasurementsAreGapsAndTheThirdInARowReopensThePort) {
    const Scenario& s = scenarioOnPort(6);
    createRoster();
    setFault(6, QJsonObject{{QStringLiteral("fn"), QStringLiteral("GetMeasurement")},
                            {QStringLiteral("after"), 1},
                            {QStringLiteral("status"), -38},
                            {QStringLiteral("count"), 3}});
    settings(s);
    Window w(iniPath(), dir.path(), sep);
    w.model(s.model);
    w.handlers->MainMenueExtras_MesswertAnzeigenClick();
    LiveValueSession* live = w.handlers->liveValues();
    ASSERT_NE(live, nullptr);
    live->setInterval(0);
    const auto opened = [this] {
        const QList<TraceLine> lines = readTrace(tracePath());
        return std::count_if(lines.begin(), lines.end(), [](const TraceLine& l) {
            return l.fn == QLatin1String("TBOpenCom") && l.status >= 0;
        });
    };
    const auto before = opened();
    qint64 ms = 0;
    live->tick(ms += 40, QDateTime::currentDateTime());
    ASSERT_FALSE(live->failed()) << live->pollState().toStdString();
    const std::optional<double> first = live->state.lastValue;
    for (int i = 0; i < 3; ++i)
        live->tick(ms += 40, QDateTime::currentDateTime());
    EXPECT_TRUE(live->failed());
    EXPECT_EQ(live->state.lastValue, first);
    EXPECT_EQ(live->state.trend.stats(0, ms).readings, 1);
    EXPECT_EQ(opened(), before + 1);
    live->tick(ms += 40, QDateTime::currentDateTime());
    EXPECT_FALSE(live->failed()) << live->pollState().toStdString();
    EXPECT_EQ(opened(), before + 2);
}
