#include "ui/MainWindow.h"
#include "config/ControlTable.h"
#include "support/AppFixture.h"
#include "ui/QtPrompter.h"
#include "ui/RadioGroupBox.h"
#include "ui/ScreenCheck.h"
#include "ui/TNumericEdit.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The main window over scripted handlers, started with a stored port so no
// port window is asked for.
struct Window {
    AppFixture f;
    QtPrompter prompter;
    std::unique_ptr<MainWindow> main;

    Window() {
        f.separator = QLatin1Char(',');
        f.preset(QStringLiteral("Schnittstelle"), QStringLiteral("ComPort"), QStringLiteral("1"));
        MainHandlers& h = f.start();
        h.FormActivate();
        main = std::make_unique<MainWindow>(h, prompter);
        main->show();
    }

    template <typename T> T* w(const QString& name) { return qobject_cast<T*>(main->widget(name)); }

    void clickItem(const QString& group, int index) {
        QRadioButton* b = w<RadioGroupBox>(group)->button(index);
        ASSERT_NE(b, nullptr);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, b->height() / 2));
    }

    // Every control shows what the model holds.
    void expectWidgetsMatchModel() {
        MainWindowModel& m = f.model;
        for (Control* c : m.controls()) {
            QWidget* widget = main->widget(c->name);
            if (!widget) continue;
            EXPECT_EQ(widget->isHidden(), !c->visible) << c->name.toStdString();
            if (c->visible) {
                EXPECT_EQ(widget->geometry(),
                          QRect(c->geometry.left, c->geometry.top, c->geometry.width, c->geometry.height))
                    << c->name.toStdString();
            }
        }
        for (NumericField* n : m.numericFields())
            EXPECT_EQ(w<TNumericEdit>(n->name)->text(), n->text) << n->name.toStdString();
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(main->statusPanel(i)->text(), m.StatusBar1.panels[i]);
    }
};

} // namespace

TEST(MainWindowTest, ModelInputSensorAndATypedValueAgreeWithTheModel) {
    Window win;
    MainWindowModel& m = win.f.model;
    EXPECT_EQ(win.main->windowTitle(), QStringLiteral("TRK/DVN-Konfigurationsprogramm"));
    EXPECT_EQ(win.main->centralWidget()->size(), QSize(732, 507));

    win.main->action(QStringLiteral("MainMenueSchnittstelleItemTRK520"))->trigger();
    EXPECT_TRUE(m.isChecked(ModelId::TRK520));
    EXPECT_TRUE(win.main->action(QStringLiteral("MainMenueSchnittstelleItemTRK520"))->isChecked());
    EXPECT_FALSE(win.main->action(QStringLiteral("MainMenueSchnittstelleItemDVN20TB"))->isChecked());
    EXPECT_EQ(win.w<QLabel>(QStringLiteral("lMainCaption"))->text(), QStringLiteral("TRK 520"));
    EXPECT_EQ(win.w<RadioGroupBox>(QStringLiteral("rgInput"))->items().size(), 10);

    win.clickItem(QStringLiteral("rgInput"), 0);
    EXPECT_EQ(m.rgInput.itemIndex, 0);
    EXPECT_TRUE(m.rgSensor.visible);
    win.clickItem(QStringLiteral("rgSensor"), 0);
    EXPECT_EQ(m.rgSensor.itemIndex, 0);
    ASSERT_TRUE(m.gpAnzeigeElemente.visible);
    EXPECT_TRUE(win.w<QWidget>(QStringLiteral("gpAnzeigeElemente"))->isVisible());
    EXPECT_TRUE(win.w<QWidget>(QStringLiteral("cpAnzeigeDp"))->isVisible());
    EXPECT_TRUE(win.w<QWidget>(QStringLiteral("cbLimit"))->isVisible());
    EXPECT_TRUE(win.w<QWidget>(QStringLiteral("teFilter"))->isVisible());
    EXPECT_EQ(win.w<QLabel>(QStringLiteral("lAnzeigeHigh"))->text(), QStringLiteral("Anzeige bei 10V"));
    win.expectWidgetsMatchModel();

    // Typing into display high: letters and a second number of digits are refused.
    TNumericEdit* high = win.w<TNumericEdit>(QStringLiteral("neAnzeigeHigh"));
    high->setFocus();
    high->selectAll();
    QTest::keyClicks(high, QStringLiteral("12a,3456"));
    EXPECT_EQ(high->text(), QStringLiteral("1234"));
    EXPECT_EQ(m.neAnzeigeHigh.text, QStringLiteral("1234"));

    // Leaving the field refreshes the form; a sign typed before it survives the clamp.
    QTest::keyClick(high, Qt::Key_Minus);
    EXPECT_EQ(high->text(), QStringLiteral("-1234"));
    win.w<TNumericEdit>(QStringLiteral("neAnzeigeLow"))->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(m.neAnzeigeHigh.text, QStringLiteral("-1234"));

    // Two decimals narrow display high to the display counts.

    auto* dp = win.w<QComboBox>(QStringLiteral("cpAnzeigeDp"));
    dp->setCurrentIndex(2);
    emit dp->activated(2);
    EXPECT_EQ(m.cpAnzeigeDp.itemIndex, 2);
    EXPECT_EQ(m.neAnzeigeHigh.text, QStringLiteral("-19,99"));
    EXPECT_EQ(high->text(), QStringLiteral("-19,99"));
    win.expectWidgetsMatchModel();
}

TEST(MainWindowTest, FilterTextFieldTakesKeysThroughItsRules) {
    Window win;
    win.main->action(QStringLiteral("MainMenueSchnittstelleItemTRK520"))->trigger();
    win.clickItem(QStringLiteral("rgInput"), 0);
    win.clickItem(QStringLiteral("rgSensor"), 0);
    auto* filter = win.w<QLineEdit>(QStringLiteral("teFilter"));
    filter->setFocus();
    filter->clear();
    win.f.model.teFilter.text.clear();
    QTest::keyClicks(filter, QStringLiteral("7x"));
    EXPECT_EQ(filter->text(), QStringLiteral("2,00"));
    EXPECT_EQ(win.f.model.teFilter.text, QStringLiteral("2,00"));

    // A selected value is typed over, as the user expects after selecting it; a key the
    // rules drop keeps the selection; Backspace removes just the selection.
    filter->selectAll();
    QTest::keyClick(filter, Qt::Key_X);
    EXPECT_EQ(filter->text(), QStringLiteral("2,00"));
    EXPECT_TRUE(filter->hasSelectedText());
    QTest::keyClick(filter, Qt::Key_1);
    EXPECT_EQ(filter->text(), QStringLiteral("1,"));
    EXPECT_EQ(win.f.model.teFilter.text, QStringLiteral("1,"));
    QTest::keyClicks(filter, QStringLiteral("25"));
    filter->setSelection(2, 2);
    QTest::keyClick(filter, Qt::Key_Backspace);
    EXPECT_EQ(filter->text(), QStringLiteral("1,"));
    EXPECT_EQ(win.f.model.teFilter.text, QStringLiteral("1,"));
}

TEST(MainWindowTest, StatusBarTimerFollowsTheModel) {
    Window win;
    MainHandlers& h = *win.f.handlers;
    win.f.model.StatusBar1.panels[2] = QStringLiteral("Meldung");
    h.startStatusTimer();
    win.main->render();
    EXPECT_EQ(win.main->statusPanel(2)->text(), QStringLiteral("Meldung"));
    QTRY_COMPARE_WITH_TIMEOUT(win.main->statusPanel(2)->text(), win.f.model.lMainCaption.caption, 4000);
    EXPECT_FALSE(win.f.model.t_StatusLeisteEnabled);
}

TEST(MainWindowTest, TallConfigurationsAreWholeInTheWindow) {
    Window win;
    MainWindowModel& m = win.f.model;
    win.main->action(QStringLiteral("MainMenueSchnittstelleItemTRK520PID"))->trigger();
    win.clickItem(QStringLiteral("rgInput"), 4);
    win.clickItem(QStringLiteral("rgSensor"), 0);
    win.clickItem(QStringLiteral("rgOutput"), 1);
    win.clickItem(QStringLiteral("rgReglerFunktion"), 2);
    ASSERT_TRUE(m.gpPIDRegler.visible);
    win.expectWidgetsMatchModel();
    int bottom = 0;
    for (Control* c : {static_cast<Control*>(&m.rgReglerFunktion), static_cast<Control*>(&m.gpPIDRegler),
                       static_cast<Control*>(&m.gpAnzeigeElemente)})
        if (c->visible) bottom = std::max(bottom, c->geometry.bottom());
    EXPECT_GE(win.main->panelContent()->height(), bottom);
    // The panel shows it all; it does not scroll.
    EXPECT_GE(win.main->panelContent()->parentWidget()->height(), bottom);
}

TEST(MainWindowTest, CtrlEInTheLimitBoxUnlocksAndWordFieldsFilterKeys) {
    Window win;
    MainWindowModel& m = win.f.model;
    win.main->action(QStringLiteral("MainMenueSchnittstelleItemTRK520"))->trigger();
    win.clickItem(QStringLiteral("rgInput"), 0);
    win.clickItem(QStringLiteral("rgSensor"), 0);
    auto* limit = win.w<QComboBox>(QStringLiteral("cbLimit"));
    limit->setFocus();
    win.f.prompter.script = {Prompter::Button::Yes};
    QTest::keyClick(limit, Qt::Key_E, Qt::ControlModifier);
    ASSERT_EQ(win.f.prompter.captions().last(), QStringLiteral("Erweiterte Konfiguration freischalten?"));
    EXPECT_TRUE(m.extendedConfigUnlocked);
    EXPECT_TRUE(win.main->action(QStringLiteral("MainMenueExtras_ErweiterteKonfiguration"))->isVisible());
    ASSERT_TRUE(m.gb_ErweiterteKonfiguration.visible);
    EXPECT_EQ(m.rgInput.geometry.top, 80);

    auto* word = win.w<QLineEdit>(QStringLiteral("e_erw_Alarm"));
    word->setFocus();
    word->selectAll();
    QTest::keyClicks(word, QStringLiteral("9x99"));
    EXPECT_EQ(word->text(), QStringLiteral("99"));
    EXPECT_EQ(m.e_erw_Alarm.text, QStringLiteral("99"));

    // Tab is no typed character: it moves on in the tab order, from the word fields and the
    // filter text field alike.
    QTest::keyClick(word, Qt::Key_Tab);
    EXPECT_EQ(win.main->focusWidget(), win.w<QWidget>(QStringLiteral("e_erw_Schaltfunktion2")));
    auto* filter = win.w<QLineEdit>(QStringLiteral("teFilter"));
    filter->setFocus();
    QTest::keyClick(filter, Qt::Key_Tab);
    EXPECT_NE(win.main->focusWidget(), filter);
}

// "Rückgängig" and "Wiederholen" close the configuration menu; their keys reach them from
// an edit field, where typing not yet ended is what goes back first.
TEST(MainWindowTest, UndoAndRedoKeysStepThroughTheWindowsConfigurations) {
    Window win;
    MainWindowModel& m = win.f.model;
    auto* menu = win.main->findChild<QMenu*>(QStringLiteral("mmKonfiguration"));
    ASSERT_NE(menu, nullptr);
    QStringList items;
    for (const QAction* a : menu->actions())
        items << a->text() + QLatin1Char('|') + a->shortcut().toString(QKeySequence::PortableText);
    EXPECT_EQ(items, (QStringList{"&Neu|", "&Einlesen|", "&Programmieren|", "|", "Rückgängig|Ctrl+Z",
                                  "Wiederholen|Ctrl+Y", "|", "Nach dem Programmieren prüfen|"}));
    QAction* undo = win.main->action(QStringLiteral("miRueckgaengig"));
    EXPECT_FALSE(undo->isEnabled());

    win.main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(win.main.get()));
    win.main->action(QStringLiteral("MainMenueSchnittstelleItemTRK520"))->trigger();
    win.clickItem(QStringLiteral("rgInput"), 0);
    win.clickItem(QStringLiteral("rgSensor"), 0);
    EXPECT_TRUE(undo->isEnabled());
    const MainWindowModel configured = m;

    TNumericEdit* high = win.w<TNumericEdit>(QStringLiteral("neAnzeigeHigh"));
    high->setFocus();
    high->selectAll();
    QTest::keyClicks(high, QStringLiteral("12"));
    QTest::keyClick(high, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(m.StatusBar1.panels[2], QStringLiteral("Rückgängig: Eingabe"));
    EXPECT_EQ(high->text(), configured.neAnzeigeHigh.text);

    win.main->action(QStringLiteral("Datenlesen1"))->trigger();
    EXPECT_FALSE(win.w<QWidget>(QStringLiteral("gpAnzeigeElemente"))->isVisible());
    QTest::keyClick(win.main.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(win.main->statusPanel(2)->text(), QStringLiteral("Rückgängig: Neu"));
    EXPECT_TRUE(UndoHistory::sameConfiguration(m, configured));
    EXPECT_TRUE(win.w<QWidget>(QStringLiteral("gpAnzeigeElemente"))->isVisible());
    win.expectWidgetsMatchModel();
    saveScreen(*win.main, QStringLiteral("UndoneNew"));

    QTest::keyClick(win.main.get(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(m.StatusBar1.panels[2], QStringLiteral("Wiederholen: Neu"));
    EXPECT_FALSE(m.gpAnzeigeElemente.visible);
    EXPECT_FALSE(win.main->action(QStringLiteral("miWiederholen"))->isEnabled());

    menu->popup(win.main->mapToGlobal(QPoint(0, 0)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    saveScreen(*menu, QStringLiteral("KonfigurationMenu"));
    menu->hide();
}

// The window builds its controls from the control table: each one of its kind in its group,
// and nothing on the panel or in a group that the table does not name.
TEST(MainWindowTest, EveryControlOfTheTableHasItsWidgetAndNoOtherIsBuilt) {
    Window win;
    QWidget* content = win.main->panelContent();
    auto ofKind = [](const QWidget* w, ControlKind kind) -> bool {
        switch (kind) {
        case ControlKind::Label:
            return qobject_cast<const QLabel*>(w);
        case ControlKind::Group:
            return qobject_cast<const QGroupBox*>(w) && !qobject_cast<const RadioGroupBox*>(w);
        case ControlKind::Radio:
            return qobject_cast<const RadioGroupBox*>(w);
        case ControlKind::List:
            return qobject_cast<const QComboBox*>(w);
        case ControlKind::Numeric:
            return qobject_cast<const TNumericEdit*>(w);
        case ControlKind::Text:
            return qobject_cast<const QLineEdit*>(w) && !qobject_cast<const TNumericEdit*>(w);
        case ControlKind::Button:
            return qobject_cast<const QPushButton*>(w);
        case ControlKind::Frame:
            return true;
        }
        return false;
    };
    QList<QWidget*> parents = {content};
    for (const ControlSpec& s : controltable::all()) {
        const QString name = QLatin1String(s.name);
        if (s.kind == ControlKind::Frame) {
            EXPECT_NE(win.main->findChild<QWidget*>(name), nullptr) << s.name;
            continue;
        }
        QWidget* w = win.main->widget(name);
        ASSERT_NE(w, nullptr) << s.name;
        EXPECT_EQ(w->objectName(), name);
        EXPECT_TRUE(ofKind(w, s.kind)) << s.name;
        EXPECT_EQ(w->parentWidget(), s.group ? win.main->widget(QLatin1String(s.group)) : content) << s.name;
        if (s.kind == ControlKind::Group) parents.append(w);
    }
    for (QWidget* parent : parents) {
        for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            EXPECT_NE(controltable::find(child->objectName()), nullptr)
                << "not in the table: " << child->metaObject()->className() << " '"
                << child->objectName().toStdString() << "' in " << parent->objectName().toStdString();
    }
}
