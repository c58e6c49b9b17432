// Over the real bus library: a readout that fails half-way takes nothing of the user's
// window away.

#include "LiveBus.h"

#include "config/UndoHistory.h"

#include <gtest/gtest.h>

using namespace livebus;

TEST_F(LiveBus, FailedReadoutLeavesTheUsersWindowAndSaysWhatItWasReading) {
    const Scenario& s = kScenarios[0]; // TRK 520 PID on port 1
    createRoster();
    silenceAfter(s.port, 12);
    auto w = window(s);
    s.configure(*w); // the user's edits, not yet programmed or saved
    w->handlers->commitEdits();
    MainWindowModel before = w->m;
    const int steps = w->handlers->undoHistory().undoCount();
    w->prompter.shown.clear();

    w->handlers->Konfigurationlesen1Click();
    EXPECT_LT(w->handlers->lastBusStatus(), 0);
    EXPECT_TRUE(UndoHistory::sameConfiguration(w->m, before)) << "the failed readout changed the window";
    expectSameWindow(before, w->m);
    EXPECT_EQ(w->handlers->undoHistory().undoCount(), steps);
    ASSERT_EQ(w->prompter.shown.size(), 1);
    const Prompter::Message& box = w->prompter.shown[0].message;
    EXPECT_EQ(box.caption, QStringLiteral("Fehler"));
    EXPECT_TRUE(box.text.startsWith(QStringLiteral("Das Einlesen ist fehlgeschlagen.")));
    EXPECT_TRUE(box.text.contains(QStringLiteral("(Fehler -2) Keine Antwort vom Gerät (Zeitüberschreitung)")))
        << box.text.toStdString();
    EXPECT_TRUE(box.text.endsWith(
        QStringLiteral("Gelesen wurde gerade: Einstellwerte: Anzeige bei 0V (Befehl 200)")))
        << box.text.toStdString();
}
