// Undo and redo over the real bus library: a readout is one step of the window (one that
// failed half-way is none: it leaves the window as it was), and going back and forth never
// reaches the bus.

#include "LiveBus.h"

#include "config/UndoHistory.h"

#include <gtest/gtest.h>

using namespace livebus;

TEST_F(LiveBus, ReadoutsAreUndoneAndRedoneInTheWindowOnly) {
    const Scenario& s = kScenarios[0]; // TRK 520 PID on port 1
    createRoster();
    silenceAfter(s.port, 30);
    auto w = window(s);
    MainHandlers& h = *w->handlers;
    h.commitEdits();
    const MainWindowModel before = w->m;
    const int steps = h.undoHistory().undoCount();

    h.Konfigurationlesen1Click();
    ASSERT_TRUE(w->m.StatusBar1.panels[2].startsWith(QStringLiteral("(Fehler -2)")));
    EXPECT_TRUE(UndoHistory::sameConfiguration(w->m, before));
    EXPECT_EQ(h.undoHistory().undoCount(), steps);

    QFile::remove(rosterPath()); // the instrument answers again
    h.Konfigurationlesen1Click();
    ASSERT_TRUE(w->m.StatusBar1.panels[2].contains(QStringLiteral("Seriennummer")));
    MainWindowModel read = w->m;
    const qsizetype calls = readTrace(tracePath()).size();
    h.miRueckgaengigClick();
    EXPECT_TRUE(UndoHistory::sameConfiguration(w->m, before));
    h.miWiederholenClick();
    EXPECT_EQ(w->m.StatusBar1.panels[2], QStringLiteral("Wiederholen: Einlesen"));
    EXPECT_TRUE(UndoHistory::sameConfiguration(w->m, read));
    expectSameWindow(read, w->m);
    EXPECT_EQ(readTrace(tracePath()).size(), calls);
}
