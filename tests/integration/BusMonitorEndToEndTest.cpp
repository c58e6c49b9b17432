#include "LiveBus.h"

#include "app/BusMonitorWindow.h"
#include "bus/CallLog.h"

#include <cstring>

using namespace livebus;

namespace {

bool isExchange(const BusCall& c) {
    return std::strcmp(c.fn, "TBTransmit") == 0 || std::strcmp(c.fn, "TBTransmitString") == 0;
}

} // namespace

// A readout through the program's call log: the log sees what the library saw, the progress
// bar counts the exchanges between the calls, and the monitor shows, filters and saves them.
TEST_F(LiveBus, ReadoutThroughTheCallLogFeedsProgressAndMonitor) {
    const Scenario& s = scenarioOnPort(1);
    settings(s);
    CallLog log;
    Window* live = nullptr;
    QList<int> positions;
    int maxAtStart = -1;
    int outsideRun = 0;
    auto w = std::make_unique<Window>(iniPath(), dir.path(), sep, &log, [&] {
        if (!live || !live->handlers->busRunning()) {
            ++outsideRun;
            return;
        }
        const auto& bar = live->m.pbBusRun;
        EXPECT_TRUE(bar.visible);
        if (positions.isEmpty()) maxAtStart = bar.max;
        positions.append(bar.position);
    });
    live = w.get();
    w->model(s.model);
    QFile::remove(tracePath());
    log.clear();
    outsideRun = 0;

    w->handlers->Konfigurationlesen1Click();
    ASSERT_TRUE(w->m.StatusBar1.panels[2].contains(QStringLiteral(" Seriennummer: ")))
        << w->m.StatusBar1.panels[2].toStdString();
    EXPECT_FALSE(w->m.pbBusRun.visible);
    EXPECT_FALSE(w->handlers->busRunning());
    EXPECT_EQ(maxAtStart, 0) << "the first run of a kind cannot know its length";

    // The program's log holds every exchange the library traced, in order, with its status.
    QList<const BusCall*> exchanges;
    for (int i = 0; i < log.size(); ++i)
        if (isExchange(log.at(i))) exchanges.append(&log.at(i));
    QList<TraceLine> traced;
    for (const TraceLine& line : readTrace(tracePath()))
        if (line.fn == QLatin1String("TBTransmit") || line.fn == QLatin1String("TBTransmitString"))
            traced.append(line);
    ASSERT_GT(exchanges.size(), 20);
    ASSERT_EQ(exchanges.size(), traced.size());
    for (int i = 0; i < exchanges.size(); ++i) {
        EXPECT_EQ(exchanges[i]->command, traced[i].command) << "exchange " << i;
        EXPECT_EQ(exchanges[i]->status, traced[i].status) << "exchange " << i;
        EXPECT_EQ(exchanges[i]->port, 1);
    }
    for (int i = 1; i < log.size(); ++i)
        EXPECT_GE(log.at(i).atUs, log.at(i - 1).atUs + log.at(i - 1).tookUs);

    // Progress counted each exchange once.
    ASSERT_FALSE(positions.isEmpty());
    EXPECT_EQ(positions.last(), exchanges.size());
    EXPECT_EQ(outsideRun, 0);

    // The instrument goes quiet halfway through the next run, which knows its length from the last.
    silenceAfter(1, 12);
    positions.clear();
    w->handlers->Konfigurationlesen1Click();
    EXPECT_EQ(maxAtStart, exchanges.size());
    int failures = 0;
    for (int i = 0; i < log.size(); ++i) {
        if (!log.at(i).failed) continue;
        ++failures;
        EXPECT_FALSE(log.at(i).errorText.trimmed().isEmpty()) << log.at(i).fn;
    }
    ASSERT_GT(failures, 0);

    // The monitor: every call a row, the filter keeps the failures, CSV for a German spreadsheet.
    w->handlers->MainMenueExtras_BusmonitorClick();
    BusMonitorWindow* monitor = w->handlers->busMonitor();
    ASSERT_NE(monitor, nullptr);
    EXPECT_TRUE(monitor->shown);
    EXPECT_EQ(monitor->rowCount(), log.size());
    const int last = monitor->rowCount() - 1;
    EXPECT_EQ(monitor->cell(last, BusMonitorWindow::Aufruf), QStringLiteral("TBCloseCom"));
    monitor->cbNurFehlerClick(true);
    EXPECT_EQ(monitor->rowCount(), failures);
    for (int r = 0; r < monitor->rowCount(); ++r) {
        EXPECT_TRUE(monitor->failed(r));
        EXPECT_FALSE(monitor->cell(r, BusMonitorWindow::Text).isEmpty());
        EXPECT_TRUE(monitor->cell(r, BusMonitorWindow::Zeit).contains(sep));
    }
    log.add([] {
        BusCall odd;
        odd.fn = "TBTransmit";
        odd.status = -9;
        odd.failed = true;
        odd.errorText = QStringLiteral("Text mit ; und \"Zeichen\"");
        return odd;
    }());
    EXPECT_TRUE(monitor->refresh());
    const QString csvPath = dir.filePath(QStringLiteral("monitor.csv"));
    w->prompter.saveAnswers = {csvPath};
    monitor->bSpeichernClick();
    QFile csv(csvPath);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = csv.readAll().split('\n');
    ASSERT_EQ(lines.size(), monitor->rowCount() + 2); // header, rows, nothing after the last CR LF
    EXPECT_EQ(lines.first(),
              QByteArray("\xEF\xBB\xBFZeit;Aufruf;Adresse;Befehl;Parameter;Wert;Status;Text\r"));
    EXPECT_TRUE(lines[lines.size() - 2].endsWith(";-9;\"Text mit ; und \"\"Zeichen\"\"\"\r"));

    monitor->bLeerenClick();
    EXPECT_EQ(monitor->rowCount(), 0);
    EXPECT_EQ(log.size(), 0);
}

// Over a long session the log keeps the newest calls and its memory stays the same.
TEST(CallLogRing, KeepsTheNewestCallsOnly) {
    CallLog log(5);
    for (int i = 0; i < 12; ++i) {
        BusCall c;
        c.command = i;
        log.add(c);
    }
    ASSERT_EQ(log.size(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(log.at(i).command, 7 + i);
        EXPECT_EQ(log.at(i).serial, quint64(8 + i));
    }
}

// A measurement rather than a check (run with --gtest_also_run_disabled_tests): the resident
// memory while readouts fill the monitor's log past its capacity and keep going.
TEST_F(LiveBus, DISABLED_MemoryStaysFlatOverManyReadouts) {
    const auto rssKb = [] {
        QFile status(QStringLiteral("/proc/self/status"));
        if (!status.open(QIODevice::ReadOnly)) return -1;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toInt();
        return -1;
    };
    qunsetenv("TRAXBUS_TRACE");
    settings(scenarioOnPort(1));
    CallLog log;
    Window w(iniPath(), dir.path(), sep, &log);
    w.model(scenarioOnPort(1).model);
    w.handlers->MainMenueExtras_BusmonitorClick();
    for (int i = 1; i <= 400; ++i) {
        w.handlers->Konfigurationlesen1Click();
        w.handlers->busMonitor()->refresh();
        if (i == 1 || i == 100 || i == 200 || i == 400)
            std::printf("nach %3d Einlesungen: %5d Aufrufe im Log (%llu insgesamt), RSS %d kB\n", i,
                        log.size(), static_cast<unsigned long long>(log.at(log.size() - 1).serial), rssKb());
    }
}
