#include "support/AppFixture.h"

#include <gtest/gtest.h>

namespace {

// The main window's handlers after start-up with a stored port; `edit` acts as the window
// does for a control event: the handler, then the end of the event.
struct UndoWindow {
    AppFixture f;
    MainHandlers* h = nullptr;
    MainWindowModel& m = f.model;

    UndoWindow() {
        f.preset(QStringLiteral("Schnittstelle"), QStringLiteral("ComPort"), QStringLiteral("1"));
        h = &f.start();
        h->FormActivate();
    }
    void edit(const std::function<void()>& change) {
        change();
        h->commitEdits();
    }
    void type(NumericField& field, const char* text) {
        field.text = QString::fromLatin1(text); // typing reaches the model at once
        edit([this] { h->config().numericFieldExit(); });
    }
    void click(RadioGroup& group, int index) {
        edit([&] { h->config().radioItemClick(group, index); });
    }
    // The window after an undo or redo: `state` with the status bar of now (it reports the
    // step) and the undo items as they are expected.
    MainWindowModel after(MainWindowModel state, bool undo, bool redo) {
        state.StatusBar1 = m.StatusBar1;
        state.t_StatusLeisteEnabled = true;
        state.miRueckgaengig.enabled = undo;
        state.miWiederholen.enabled = redo;
        return state;
    }
};

} // namespace

// Select a model, configure it, "&Neu", then back and forth: every state comes back whole,
// the bus address chosen in between stays, and a new edit ends the redo list.
TEST(Undo, NewIsUndoneToTheWholeConfigurationAndRedoneAgain) {
    UndoWindow w;
    MainWindowModel& m = w.m;
    EXPECT_FALSE(m.miRueckgaengig.enabled);
    EXPECT_FALSE(m.miWiederholen.enabled);
    const MainWindowModel started = m;

    w.h->menuModelClick(QStringLiteral("MainMenueSchnittstelleItemTRK520PID"));
    w.click(m.rgInput, 0);
    w.click(m.rgSensor, 1);
    w.edit([&] {
        m.cpAnzeigeDp.setItemIndex(1);
        w.h->config().cpAnzeigeDpChange();
    });
    w.type(m.neAnzeigeHigh, "150,0");
    w.type(m.neAnzeigeLow, "-20,5");
    w.click(m.rgOutput, 1);
    w.click(m.rgReglerFunktion, 2);
    w.type(m.nePID_SP1, "50,5");
    ASSERT_TRUE(m.gpPIDRegler.visible);
    ASSERT_TRUE(m.miKonfigurationprogrammieren1.enabled);
    const MainWindowModel configured = m;
    ASSERT_EQ(w.h->undoHistory().undoCount(), 9);

    m.busAddress = 7; // "Adresse wählen": where the instrument is, no step
    w.h->Datenlesen1Click();
    ASSERT_FALSE(m.gpPIDRegler.visible);
    ASSERT_FALSE(m.miKonfigurationprogrammieren1.enabled);
    const MainWindowModel renewed = m;

    w.h->miRueckgaengigClick();
    EXPECT_EQ(m.StatusBar1.panels[2], QStringLiteral("Rückgängig: Neu"));
    MainWindowModel expected = w.after(configured, true, true);
    expected.busAddress = 7;
    EXPECT_TRUE(m == expected);
    EXPECT_EQ(m.neAnzeigeHigh.text, QStringLiteral("150,0"));

    w.h->miWiederholenClick();
    EXPECT_EQ(m.StatusBar1.panels[2], QStringLiteral("Wiederholen: Neu"));
    EXPECT_TRUE(m == w.after(renewed, true, false));

    // Back past every edit to the model change: the window as start-up left it.
    for (int i = 0; i < 10; ++i)
        w.h->miRueckgaengigClick();
    EXPECT_EQ(m.StatusBar1.panels[2], QStringLiteral("Rückgängig: Modellwechsel"));
    EXPECT_FALSE(m.miRueckgaengig.enabled);
    MainWindowModel initial = w.after(started, false, true);
    initial.busAddress = 7;
    // Programming may have to bring the instrument back to the restored input kind.
    initial.inputKindChanged = true;
    EXPECT_TRUE(m == initial);
    EXPECT_TRUE(m.isChecked(ModelId::DVN20TB));

    // Typing not yet ended is undone first; a new edit drops what could be redone.
    w.h->miWiederholenClick();
    EXPECT_TRUE(m.isChecked(ModelId::TRK520PID));
    m.neAnzeigeHigh.text = QStringLiteral("99");
    w.h->miRueckgaengigClick();
    EXPECT_EQ(m.StatusBar1.panels[2], QStringLiteral("Rückgängig: Eingabe"));
    EXPECT_NE(m.neAnzeigeHigh.text, QStringLiteral("99"));
    EXPECT_TRUE(m.isChecked(ModelId::TRK520PID));
    w.click(m.rgInput, 1);
    EXPECT_FALSE(m.miWiederholen.enabled);
    w.h->miWiederholenClick();
    EXPECT_EQ(m.rgInput.itemIndex, 1);
}

// The history keeps the last hundred steps; an event that changes nothing is none.
TEST(Undo, HistoryIsBoundedAndSkipsEventsWithoutChange) {
    UndoWindow w;
    MainWindowModel& m = w.m;
    w.h->menuModelClick(QStringLiteral("MainMenueSchnittstelleItemTRK520"));
    w.click(m.rgInput, 6); // counter: whole numbers up to 9999
    w.click(m.rgSensor, 0);
    for (int i = 1; i <= 105; ++i)
        w.type(m.neAnzeigeHigh, QByteArray::number(i).constData());
    w.edit([] {});
    w.h->commitEdits();
    EXPECT_EQ(w.h->undoHistory().undoCount(), 100);

    int undone = 0;
    while (m.miRueckgaengig.enabled) {
        w.h->miRueckgaengigClick();
        ++undone;
    }
    EXPECT_EQ(undone, 100);
    // The oldest state left is the one after the fifth value.
    EXPECT_EQ(m.neAnzeigeHigh.text, QStringLiteral("5"));
    EXPECT_TRUE(m.miWiederholen.enabled);
}
