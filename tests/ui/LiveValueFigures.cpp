// Screenshots and figures of the live value window for scripts/bench.sh, not part of the suite
// (disabled): the window over the real bus library, a sine with failed polls, a loop check
// passed, a controller's process settling; the poll rate at the fastest interval with the wire
// time on, the processor's share at 1 s, and the memory over a day at 0.2 s.

#include "integration/LiveBus.h"

#include "app/LiveValueSession.h"
#include "ui/LiveValueDialog.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>

using namespace livebus;

namespace {

class LiveValueFigures : public LiveBus {
  protected:
    void TearDown() override {
        qunsetenv("TRAXBUS_SIGNALSTEP");
        LiveBus::TearDown();
    }
    // A main window on port 10 talking to the instrument at `address`.
    std::unique_ptr<Window> line10(int address, ModelId model) {
        createRoster();
        QSettings ini(iniPath(), QSettings::IniFormat);
        ini.setValue(QStringLiteral("Schnittstelle/ComPort"), QStringLiteral("10"));
        ini.setValue(QStringLiteral("Schnittstelle/PegelWandler"), QStringLiteral("6"));
        ini.sync();
        auto w = std::make_unique<Window>(iniPath(), dir.path(), sep);
        w->model(model);
        w->m.busAddress = int16_t(address);
        w->m.addressChosen = true;
        return w;
    }
    static QString shotFolder() {
        const QString folder = qEnvironmentVariable("LIVE_SHOTS", QDir::currentPath());
        QDir().mkpath(folder);
        return folder;
    }
    static void save(LiveValueDialog& dialog, const char* name) {
        dialog.resize(700, 640);
        dialog.render();
        const QString path = shotFolder() + QLatin1Char('/') + QLatin1String(name);
        ASSERT_TRUE(dialog.grab().save(path));
        std::printf("Bild: %s\n", qPrintable(path));
    }
};

// Ticks the session on its own clock (ms) with the wall time running along.
void run(LiveValueSession& live, qint64& ms, int polls, qint64 stepMs) {
    const QDateTime start = QDateTime::currentDateTime();
    for (int i = 0; i < polls; ++i) {
        live.tick(ms, start.addMSecs(ms));
        ms += stepMs;
    }
}

double cpuSeconds() {
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) + double(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

long rssKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

} // namespace

TEST_F(LiveValueFigures, DISABLED_Screenshots) {
    qputenv("TRAXBUS_WIRETIME", "off");
    qputenv("TRAXBUS_SIGNALSTEP", "1");
    {
        // Tank Ost: a sine 500 ± 200 over 60 s; its answers stop after four minutes.
        auto w = line10(17, ModelId::TRK520);
        setInstrument(10, QStringLiteral("faults"),
                      QJsonArray{QJsonObject{{QStringLiteral("fn"), QStringLiteral("GetMeasurement")},
                                             {QStringLiteral("after"), 240},
                                             {QStringLiteral("status"), -2},
                                             {QStringLiteral("count"), -1}}},
                      17);
        w->input(0, 0);
        w->dp(1);
        w->type(w->m.neAnzeigeLow, "0");
        w->type(w->m.neAnzeigeHigh, "1000");
        w->output(3);
        w->type(w->m.neOut1Einschaltpunkt, "650");
        w->type(w->m.neOut1Ausschaltpunkt, "600");
        w->type(w->m.neOut2Einschaltpunkt, "350");
        w->type(w->m.neOut2Ausschaltpunkt, "320");
        w->handlers->MainMenueExtras_MesswertAnzeigenClick();
        LiveValueSession& live = *w->handlers->liveValues();
        LiveValueDialog dialog(live, w->prompter, dir.path());
        qint64 ms = 0;
        run(live, ms, 250, 1000);
        save(dialog, "messwert-sinus-ausfall.png");
    }
    {
        // Relais Tor: the input steps from 200 to 800 after 30 s, the loop check takes both ends.
        auto w = line10(239, ModelId::TRK520);
        w->input(0, 0);
        w->type(w->m.neAnzeigeLow, "200");
        w->type(w->m.neAnzeigeHigh, "800");
        w->output(1);
        w->type(w->m.neOut1Einschaltpunkt, "700");
        w->type(w->m.neOut1Ausschaltpunkt, "650");
        w->handlers->MainMenueExtras_MesswertAnzeigenClick();
        LiveValueSession& live = *w->handlers->liveValues();
        LiveValueDialog dialog(live, w->prompter, dir.path());
        live.setSpan(0);
        qint64 ms = 0;
        live.startLoopCheck(0.5);
        live.loopApplied();
        run(live, ms, 8, 1000);
        while (live.polls < 32)
            run(live, ms, 1, 1000);
        live.loopApplied();
        run(live, ms, 8, 1000);
        EXPECT_EQ(live.state.loopCheck.step(), LoopCheck::Step::Passed) << live.state.loopCheck.prompt().toStdString();
        save(dialog, "messwert-schleifentest.png");
    }
    {
        // Kessel Nord: the controller brings the process from 20 to its set point 500.
        qputenv("TRAXBUS_SIGNALSTEP", "2");
        auto w = line10(0, ModelId::TRK520PID);
        w->input(2, 1); // Pt100 in whole degrees
        w->output(1);
        w->controller(0);
        w->type(w->m.nePID_SP1, "500");
        w->handlers->MainMenueExtras_MesswertAnzeigenClick();
        LiveValueSession& live = *w->handlers->liveValues();
        LiveValueDialog dialog(live, w->prompter, dir.path());
        live.setSpan(2);
        qint64 ms = 0;
        run(live, ms, 450, 2000);
        save(dialog, "messwert-pid.png");
    }
}

TEST_F(LiveValueFigures, DISABLED_RatesAndMemory) {
    // The fastest interval with the default roster's 4800 baud: polls a second against the line's
    // rate, while a timer of the window's every 20 ms notes how late it came.
    qunsetenv("TRAXBUS_WIRETIME");
    auto w = line10(17, ModelId::TRK520);
    w->handlers->MainMenueExtras_MesswertAnzeigenClick();
    LiveValueSession& live = *w->handlers->liveValues();
    const auto measure = [&](int interval, int seconds, qint64& late) {
        live.setInterval(interval);
        LiveValueDialog dialog(live, w->prompter, dir.path());
        dialog.show();
        QTimer probe;
        QElapsedTimer since;
        late = 0;
        since.start();
        QObject::connect(&probe, &QTimer::timeout, [&] {
            late = std::max(late, since.elapsed() - 20);
            since.restart();
        });
        probe.start(20);
        const int before = live.polls;
        const double cpu = cpuSeconds();
        QEventLoop loop;
        QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
        loop.exec();
        dialog.close();
        return std::pair<int, double>(live.polls - before, (cpuSeconds() - cpu) / seconds);
    };
    qint64 late = 0;
    const std::pair<int, double> fast = measure(0, 10, late);
    const double lineRate = 1000.0 / (8 * 10 * 2 * 1000.0 / 4800 + 5);
    std::printf("Messwert so schnell wie möglich: %.1f Abfragen/s, Leitung erlaubt %.1f/s: %.0f %%; "
                "Fenster antwortet spätestens nach %lld ms\n",
                fast.first / 10.0, lineRate, 100.0 * fast.first / 10.0 / lineRate, late);
    const std::pair<int, double> slow = measure(3, 20, late);
    std::printf("Messwert jede Sekunde: %d Abfragen in 20 s, Prozessor %.2f %% eines Kerns\n", slow.first,
                100.0 * slow.second);

    // A day at 0.2 s on a compressed clock: 432,000 polls through the library without wire time.
    qputenv("TRAXBUS_WIRETIME", "off");
    qputenv("TRAXBUS_SIGNALSTEP", "0.2");
    live.close();
    w->handlers->MainMenueExtras_MesswertAnzeigenClick();
    live.setInterval(1);
    QElapsedTimer steady;
    steady.start();
    qint64 ms = steady.msecsSinceReference() + 1000; // after the polls above, on the window's clock
    QElapsedTimer took;
    took.start();
    const QDateTime start = QDateTime::currentDateTime();
    for (int hour = 0; hour < 24; ++hour) {
        for (int i = 0; i < 18000; ++i, ms += 200)
            live.tick(ms, start.addMSecs(ms));
        if (hour % 6 == 5 || hour == 0)
            std::printf("Messwert nach %2d h bei 0,2 s: %zu Trendpunkte, RSS %ld KiB\n", hour + 1,
                        live.state.trend.size(), rssKiB());
    }
    LiveValueDialog dialog(live, w->prompter, dir.path());
    live.setSpan(4);
    QElapsedTimer draw;
    draw.start();
    dialog.render();
    dialog.grab();
    std::printf("Messwert: 24 h in %.1f s gerafft, Trend über 24 h gezeichnet in %lld ms\n", took.elapsed() / 1000.0,
                draw.elapsed());
}
