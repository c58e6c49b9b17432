#include "support/AppFixture.h"
#include "ui/QtPrompter.h"
#include "ui/RadioGroupBox.h"
#include "ui/TMain.h"

#include <QAction>
#include <QDir>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

// A fully configured window for every model: no two shown groups overlap and
// every shown group lies inside the panel's content. With TRK_SCREENSHOT_DIR
// set, each window is also saved as a picture to look at.
TEST(TMainScreens, EveryModelFullyConfiguredHasNoOverlaps) {
    const QString shots = qEnvironmentVariable("TRK_SCREENSHOT_DIR");
    for (const ModelEntry* e = catalogue::begin(); e != catalogue::end(); ++e) {
        AppFixture f;
        f.preset(QStringLiteral("Schnittstelle"), QStringLiteral("ComPort"), QStringLiteral("1"));
        MainHandlers& h = f.start();
        h.FormActivate();
        QtPrompter prompter;
        TMain main(h, prompter);
        main.show();
        auto click = [&](const char* group, int index) {
            QRadioButton* b = qobject_cast<RadioGroupBox*>(main.widget(QLatin1String(group)))->button(index);
            ASSERT_NE(b, nullptr) << group << " " << index;
            QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, b->height() / 2));
        };
        main.action(QLatin1String(e->menuItem))->trigger();
        click("rgInput", 0);
        click("rgSensor", 0);
        MainWindowModel& m = f.model;
        // Switching output and alarm where there are both, else a two-point controller;
        // the three-point step controller where it is offered.
        if (m.rgOutput.visible)
            click("rgOutput", e->outputList == OutputList::Full && !e->hasPidController ? 3 : 1);
        if (m.rgReglerFunktion.visible)
            click("rgReglerFunktion", m.rgReglerFunktion.items.size() > 2 ? 2 : 0);
        EXPECT_TRUE(m.miDatenspeichern.enabled) << e->designation;

        QList<Control*> groups = {&m.rgInput,         &m.rgOutput,        &m.rgReglerFunktion, &m.rgSensor,
                                  &m.gpAnzeigeElemente, &m.gpOut1Parameter, &m.gpOut2Parameter,  &m.gpAnalogOut1,
                                  &m.gpPIDRegler,     &m.lMainCaption,    &m.gb_ErweiterteKonfiguration};
        for (int i = 0; i < groups.size(); ++i) {
            const Control* a = groups[i];
            if (!a->visible)
                continue;
            const QRect ra(a->geometry.left, a->geometry.top, a->geometry.width, a->geometry.height);
            EXPECT_TRUE(QRect(QPoint(0, 0), main.panelContent()->size()).contains(ra))
                << e->designation << " " << a->name.toStdString();
            for (int j = i + 1; j < groups.size(); ++j) {
                const Control* b = groups[j];
                if (!b->visible)
                    continue;
                const QRect rb(b->geometry.left, b->geometry.top, b->geometry.width, b->geometry.height);
                EXPECT_FALSE(ra.intersects(rb))
                    << e->designation << ": " << a->name.toStdString() << " overlaps " << b->name.toStdString();
            }
        }
        if (!shots.isEmpty()) {
            QDir().mkpath(shots);
            main.grab().save(QDir(shots).filePath(QString::fromLatin1(e->menuItem) + QStringLiteral(".png")));
        }
    }
}
