#include "ui/BusMonitorDialog.h"
#include "app/BusMonitorWindow.h"
#include "bus/CallLog.h"
#include "integration/LiveBus.h"
#include "ui/MainWindow.h"
#include "ui/QtPrompter.h"
#include "ui/ScreenCheck.h"

#include <QAction>
#include <QApplication>
#include <QProgressBar>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

using namespace livebus;

// The window over the replacement library, as the program wires it: a readout keeps the
// window painting between its calls with the progress bar up, a second click on "&Einlesen"
// inside the run starts nothing, and the monitor shows the run's calls at their end.
// With TRK_SCREENSHOT_DIR set the run takes its real wire time and is pictured mid-run.
TEST_F(LiveBus, WindowShowsProgressDuringAReadoutAndTheMonitorItsCalls) {
    const bool pictures = !qEnvironmentVariable("TRK_SCREENSHOT_DIR").isEmpty();
    if (pictures) qputenv("TRAXBUS_WIRETIME", "on");
    settings(scenarioOnPort(1));
    CallLog log;
    MainWindow* main = nullptr;
    int between = 0;
    int runs = 0;
    bool barShown = true;
    QString midRun = QStringLiteral("main-during-readout");
    Window w(iniPath(), dir.path(), sep, &log, [&] {
        if (!main) return;
        main->betweenCalls();
        if (!w.handlers->busRunning()) return;
        ++between;
        barShown = barShown && main->progressBar()->isVisible();
        if (between == 1) main->action(QStringLiteral("Konfigurationlesen1"))->trigger();
        if (w.m.pbBusRun.position == 30) saveScreen(*main, midRun); // the last run of a kind wins
    });
    QtPrompter prompter;
    MainWindow window(*w.handlers, prompter);
    main = &window;
    window.show();
    w.model(scenarioOnPort(1).model);
    window.render();
    const int before = log.size();

    QObject::connect(window.action(QStringLiteral("Konfigurationlesen1")), &QAction::triggered,
                     [&] { ++runs; });
    window.action(QStringLiteral("Konfigurationlesen1"))->trigger();
    EXPECT_EQ(runs, 2); // both clicks arrived ...
    int opened = 0;     // ... yet the port was opened once
    for (int i = before; i < log.size(); ++i)
        opened += QLatin1String(log.at(i).fn) == QLatin1String("TBOpenCom");
    EXPECT_EQ(opened, 1);
    EXPECT_GT(between, 20);
    EXPECT_TRUE(barShown);
    EXPECT_FALSE(window.progressBar()->isVisible());
    ASSERT_TRUE(w.m.StatusBar1.panels[2].contains(QStringLiteral("Seriennummer")));

    window.action(QStringLiteral("MainMenueExtras_Busmonitor"))->trigger();
    BusMonitorDialog* monitor = window.monitorDialog();
    ASSERT_NE(monitor, nullptr);
    EXPECT_TRUE(monitor->isVisible());
    EXPECT_EQ(monitor->table()->model()->rowCount(), log.size());
    QScrollBar* bar = monitor->table()->verticalScrollBar();
    QApplication::processEvents();
    EXPECT_EQ(bar->value(), bar->maximum()); // the newest call in sight
    saveScreen(*monitor, QStringLiteral("busmonitor-after-readout"));

    // Scrolled up, the table stays where the user put it when new calls come in.
    bar->setValue(0);
    w.handlers->Konfigurationlesen1Click();
    monitor->render();
    EXPECT_FALSE(w.handlers->busMonitor()->follow);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(monitor->table()->model()->rowCount(), log.size());

    // Programmed, then read from an instrument that falls silent: the failures stand out.
    midRun = QStringLiteral("main-during-programming");
    window.action(QStringLiteral("miKonfigurationprogrammieren1"))->trigger();
    ASSERT_TRUE(w.m.StatusBar1.panels[2].endsWith(QStringLiteral("erfolgreich")))
        << w.m.StatusBar1.panels[2].toStdString();
    // Its restarts leave polls unanswered on purpose: shown as expected, not as failures,
    // with the whole text in the tooltip.
    monitor->render();
    BusMonitorWindow& calls = *w.handlers->busMonitor();
    int expectedPolls = 0;
    for (int r = 0; r < calls.rowCount(); ++r) {
        if (!calls.expected(r)) continue;
        ++expectedPolls;
        EXPECT_FALSE(calls.failed(r));
        const QModelIndex text = monitor->table()->model()->index(r, BusMonitorWindow::Text);
        EXPECT_FALSE(text.data(Qt::BackgroundRole).isValid());
        EXPECT_TRUE(text.data(Qt::ToolTipRole).toString().startsWith(QStringLiteral("erwartet")));
    }
    EXPECT_GT(expectedPolls, 0);
    silenceAfter(1, 20);
    window.action(QStringLiteral("Konfigurationlesen1"))->trigger();
    bar->setValue(bar->maximum());
    monitor->render();
    EXPECT_TRUE(w.handlers->busMonitor()->follow);
    // The failed exchange, then the program asking for its text, then the port closed.
    const int last = monitor->table()->model()->rowCount() - 1;
    EXPECT_TRUE(monitor->table()->model()->index(last - 2, 0).data(Qt::BackgroundRole).isValid());
    EXPECT_FALSE(monitor->table()->model()->index(last, 0).data(Qt::BackgroundRole).isValid());
    saveScreen(*monitor, QStringLiteral("busmonitor-failures"));
    if (pictures) qunsetenv("TRAXBUS_WIRETIME");

    // Escape closes the monitor.
    QTest::keyClick(monitor, Qt::Key_Escape);
    EXPECT_FALSE(monitor->isVisible());
    EXPECT_FALSE(calls.shown);
}


// A window opened beside the main window lands wholly on the screen, and never in a strip too
// low for it: with the main window in the middle of a 1280×1024 screen only the strips above and below are
// wide enough, but the live value window needs more height than they have.
TEST(WindowPlacement, ASideTooSmallForTheWindowIsPassedOver) {
    const QRect screen(0, 0, 1280, 1024);
    const QRect main(275, 259, 734, 550);
    const QRect monitor = BusMonitorWindow::placeBeside(main, screen, QSize(640, 600));
    EXPECT_FALSE(monitor.intersects(main));
    const QRect live = BusMonitorWindow::placeBeside(main, screen, QSize(640, 600), QSize(500, 420));
    EXPECT_TRUE(screen.contains(live)) << live.x() << "," << live.y() << " " << live.width() << "x" << live.height();
    EXPECT_GE(live.height(), 420);
    EXPECT_GE(live.width(), 500);
}
