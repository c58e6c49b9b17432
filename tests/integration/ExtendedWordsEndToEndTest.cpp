// Over the real bus library: programming never switches off silently what the instrument
// was read with.

#include "LiveBus.h"

#include <gtest/gtest.h>

using namespace livebus;

TEST_F(LiveBus, SwitchingOffWhatTheInstrumentWasReadWithIsAskedFirst) {
    Scenario s = kScenarios[0]; // TRK 520 PID on port 1, its PID function on (Schaltfunktion 1 = 16)
    s.extendedWords = true;
    createRoster();
    auto w = window(s);
    MainHandlers& h = *w->handlers;
    h.MainMenueExtras_ErweiterteKonfigurationClick(); // in use, as the model came after start-up
    h.Konfigurationlesen1Click();
    ASSERT_GE(h.lastBusStatus(), 0) << w->m.StatusBar1.panels[2].toStdString();
    ASSERT_EQ(w->m.e_erw_Schaltfunktion1.text, QStringLiteral("16"));
    // Off and on again: the words start from 0.
    h.MainMenueExtras_ErweiterteKonfigurationClick();
    h.MainMenueExtras_ErweiterteKonfigurationClick();
    ASSERT_EQ(w->m.e_erw_Schaltfunktion1.text, QStringLiteral("0"));

    const qsizetype sent = readTrace(tracePath()).size();
    w->prompter.shown.clear();
    h.miKonfigurationprogrammieren1Click(); // the question's default: "Nein"
    ASSERT_EQ(w->prompter.shown.size(), 1);
    const Prompter::Message& question = w->prompter.shown[0].message;
    EXPECT_EQ(question.buttons, (QList<Prompter::Button>{Prompter::Button::Yes, Prompter::Button::No}));
    EXPECT_EQ(question.defaultButton, Prompter::Button::No);
    EXPECT_TRUE(question.text.contains(QStringLiteral("\nSchaltfunktion 1: Bit 4 (Wert 16)\n")))
        << question.text.toStdString();
    EXPECT_LT(h.lastBusStatus(), 0);
    EXPECT_EQ(w->m.StatusBar1.panels[2],
              QStringLiteral("Daten wurden nicht programmiert, Abbruch durch Benutzer"));
    const QList<TraceLine> trace = readTrace(tracePath());
    for (qsizetype i = sent; i < trace.size(); ++i) {
        const TraceLine& t = trace[i];
        const bool read =
            t.command == 12 || t.command == 14 || t.command == 254 || (t.command == 248 && t.value < 256);
        EXPECT_TRUE(t.fn != QLatin1String("TBTransmit") || read)
            << "sent command " << t.command << " value " << t.value;
    }

    // "Ja" switches it off as asked.
    w->prompter.script = {Prompter::Button::Yes};
    h.miKonfigurationprogrammieren1Click();
    // The read-back after it may not identify the instrument any more (its PID function is off).
    EXPECT_TRUE(w->m.StatusBar1.panels[2].contains(QStringLiteral(" Daten Senden war erfolgreich")))
        << w->m.StatusBar1.panels[2].toStdString();
}
