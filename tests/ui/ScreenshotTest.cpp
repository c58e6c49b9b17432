#include "app/ComPortWindow.h"
#include "support/AppFixture.h"
#include "ui/ComPortDialog.h"
#include "ui/MainWindow.h"
#include "ui/QtPrompter.h"
#include "ui/RadioGroupBox.h"
#include "ui/ScreenCheck.h"

#include <QAction>
#include <QFontInfo>
#include <QMessageBox>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// The main window with every group a model offers, each with the most rows it can have.
struct ConfiguredWindow {
    AppFixture f;
    QtPrompter prompter;
    std::unique_ptr<MainWindow> main;

    explicit ConfiguredWindow(const ModelEntry& e) {
        f.preset(QStringLiteral("Schnittstelle"), QStringLiteral("ComPort"), QStringLiteral("12"));
        MainHandlers& h = f.start();
        h.FormActivate();
        main = std::make_unique<MainWindow>(h, prompter);
        main->show();
        main->action(QLatin1String(e.menuItem))->trigger();
        click("rgInput", 0);
        click("rgSensor", 0);
        // Switching output and alarm where there are both, else a two-point controller;
        // the three-point step controller where it is offered.
        if (f.model.rgOutput.visible)
            click("rgOutput", e.outputList == OutputList::Full && !e.hasPidController ? 3 : 1);
        if (f.model.rgReglerFunktion.visible)
            click("rgReglerFunktion", f.model.rgReglerFunktion.items.size() > 2 ? 2 : 0);
    }

    void click(const char* group, int index) {
        QRadioButton* b = qobject_cast<RadioGroupBox*>(main->widget(QLatin1String(group)))->button(index);
        ASSERT_NE(b, nullptr) << group << " " << index;
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, b->height() / 2));
    }
};

} // namespace

// A fully configured window for every model, then with the extended configuration
// shown above its groups: no two shown groups overlap, every group lies whole in
// the panel's view (the window grows rather than scroll) and every text is shown whole.
TEST(MainWindowScreens, EveryModelFullyConfiguredHasNoOverlapsAndNothingCut) {
    for (const ModelEntry* e = catalogue::begin(); e != catalogue::end(); ++e) {
        ConfiguredWindow win(*e);
        MainWindowModel& m = win.f.model;
        EXPECT_TRUE(m.miDatenspeichern.enabled) << e->designation;
        auto* panel = win.main->findChild<QScrollArea*>(m.Panel1.name);
        auto* caption = qobject_cast<QLabel*>(win.main->widget(m.lMainCaption.name));

        auto expectAllShown = [&](const std::string& state) {
            QApplication::processEvents(); // scroll bars come and go through queued events
            EXPECT_FALSE(panel->horizontalScrollBar()->isVisible()) << state;
            // The window grows with its groups instead of scrolling them.
            EXPECT_FALSE(panel->verticalScrollBar()->isVisible()) << state;
            QList<Control*> groups = {&m.rgInput,           &m.rgOutput,
                                      &m.rgReglerFunktion,  &m.rgSensor,
                                      &m.gpAnzeigeElemente, &m.gpOut1Parameter,
                                      &m.gpOut2Parameter,   &m.gpAnalogOut1,
                                      &m.gpPIDRegler,       &m.gb_ErweiterteKonfiguration};
            groups.removeIf([](const Control* c) { return !c->visible; });
            for (int i = 0; i < groups.size(); ++i) {
                const Geometry& a = groups[i]->geometry;
                const QRect ra(a.left, a.top, a.width, a.height);
                const QPoint shown = win.main->panelContent()->mapTo(panel->viewport(), ra.topLeft());
                EXPECT_TRUE(shown.x() >= 0 && shown.x() + ra.width() <= panel->viewport()->width())
                    << state << " " << groups[i]->name.toStdString();
                for (int j = i + 1; j < groups.size(); ++j) {
                    const Geometry& b = groups[j]->geometry;
                    EXPECT_FALSE(ra.intersects(QRect(b.left, b.top, b.width, b.height)))
                        << state << ": " << groups[i]->name.toStdString() << " overlaps "
                        << groups[j]->name.toStdString();
                }
            }
            // The fixed frame lets the designation's label reach under the extended group;
            // its text keeps clear of it.
            const int textRight =
                caption->x() +
                (caption->width() + caption->fontMetrics().horizontalAdvance(caption->text())) / 2;
            EXPECT_LE(textRight, m.gb_ErweiterteKonfiguration.geometry.left) << state;
            expectTextsWhole(*win.main, QString::fromStdString(state));
        };
        expectAllShown(e->designation);
        saveScreen(*win.main, QLatin1String(e->menuItem));

        if (e->family == kFamilyDvn20) continue; // the extended words are never used with it
        // The hidden unlock, as the user gives it: Ctrl+E in the limit box, then "Ja".
        win.f.prompter.script = {Prompter::Button::Yes};
        QTest::keyClick(win.main->widget(QStringLiteral("cbLimit")), Qt::Key_E, Qt::ControlModifier);
        ASSERT_TRUE(m.gb_ErweiterteKonfiguration.visible) << e->designation;
        expectAllShown(std::string(e->designation) + " extended");
        saveScreen(*win.main, QLatin1String(e->menuItem) + QStringLiteral("-extended"));
    }
}

// A bus run's report longer than its status panel keeps its start and its outcome,
// and the tooltip holds it whole. Rows take the larger font and titles the window's,
// so the frames of one row of groups line up.
TEST(MainWindowScreens, LongReportKeepsItsOutcomeAndFontsAreNamed) {
    ConfiguredWindow win(catalogue::entry(ModelId::TRK520PIDXAO));
    const QString report =
        QStringLiteral("Gerät: TRK 520 PID XAO020/1, Adresse: 125, Name: WWWWWWWWWWWWWWWW, "
                       "Version: 12.34. Daten Senden war erfolgreich");
    win.f.model.StatusBar1.panels[2] = report;
    win.main->render();
    QLabel* panel = win.main->statusPanel(2);
    EXPECT_EQ(panel->toolTip(), report);
    EXPECT_TRUE(panel->text().startsWith(QStringLiteral("Gerät: TRK 520"))) << panel->text().toStdString();
    EXPECT_TRUE(panel->text().endsWith(QStringLiteral("Daten Senden war erfolgreich")))
        << panel->text().toStdString();
    EXPECT_EQ(win.main->statusPanel(0)->text(), QStringLiteral("COM12"));
    expectTextsWhole(*win.main, QStringLiteral("long report"));
    saveScreen(*win.main, QStringLiteral("MainWindow-long-report"));

    QWidget* row = win.main->widget(QStringLiteral("lAnzeigeHigh"));
    EXPECT_EQ(win.main->widget(QStringLiteral("gpAnzeigeElemente"))->font(),
              win.main->widget(QStringLiteral("rgSensor"))->font());
    EXPECT_EQ(row->font().pointSize(), 10);
    if (QFontDatabase::hasFamily(programfonts::family())) {
        EXPECT_EQ(QFontInfo(win.main->font()).family(), programfonts::family());
        EXPECT_EQ(QFontInfo(row->font()).family(), programfonts::family());
    }
}

// The port window with a port number of three digits, and a message box whose
// caption is far longer than its text: the box is wide enough for its whole title.
TEST(DialogScreens, PortWindowAndAMessageBoxWithALongTitle) {
    AppFixture app;
    auto bus = std::make_unique<ScriptedBus>();
    bus->ports = {1, 12, 256};
    ComPortWindow port(std::move(bus), *app.store);
    port.FormCreate();
    ComPortDialog portDialog(port);
    portDialog.show();
    expectTextsWhole(portDialog, QStringLiteral("Tf_ComPort"));
    saveScreen(portDialog, QStringLiteral("Tf_ComPort"));

    QtPrompter boxes;
    const QString title = QStringLiteral("Erweiterte Konfiguration freischalten?");
    int shownWidth = 0;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shownWidth = box->width();
        expectTextsWhole(*box, QStringLiteral("message box"));
        saveScreen(*box, QStringLiteral("QMessageBox-long-title"));
        box->reject();
    });
    boxes.message({QStringLiteral("Ja?"),
                   title,
                   Prompter::Icon::Warning,
                   {Prompter::Button::Yes, Prompter::Button::No, Prompter::Button::Cancel},
                   Prompter::Button::Cancel});
    // Title bars draw their caption larger and bold, beside an icon and buttons.
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    titleFont.setPointSize(10);
    EXPECT_GE(shownWidth, QFontMetrics(titleFont).horizontalAdvance(title));
}
