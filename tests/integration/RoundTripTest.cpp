// Program a configuration into a simulated instrument through the real bus library,
// then read it back in a fresh main window: both windows must show the same.

#include "LiveBus.h"

#include "config/UndoHistory.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

using namespace livebus;

namespace {

class RoundTrip : public LiveBus, public ::testing::WithParamInterface<std::tuple<int, QChar>> {};

std::string roundTripName(const ::testing::TestParamInfo<std::tuple<int, QChar>>& info) {
    return std::string(kScenarios[std::get<0>(info.param)].name) +
           (std::get<1>(info.param) == QChar(u',') ? "_Comma" : "_Point");
}

} // namespace

// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

TEST_P(RoundTrip, ProgrammedConfigurationReadsBackIntoTheSameWindow) {
    const Scenario& s = kScenarios[std::get<0>(GetParam())];
    sep = std::get<1>(GetParam());

    auto programmed = window(s);
    s.configure(*programmed);
    ASSERT_TRUE(programmed->m.miKonfigurationprogrammieren1.enabled) << "configuration incomplete";
    programmed->handlers->miKonfigurationprogrammieren1Click();
    const QString report = programmed->m.StatusBar1.panels[2];
    ASSERT_TRUE(report.endsWith(QStringLiteral(" Daten Senden war erfolgreich"))) << report.toStdString();
    EXPECT_TRUE(programmed->m.t_StatusLeisteEnabled);

    auto readBack = window(s);
    readBack->handlers->Konfigurationlesen1Click();
    const QString result = readBack->m.StatusBar1.panels[2];
    EXPECT_TRUE(result.contains(QStringLiteral(" Seriennummer: "))) << result.toStdString();
    EXPECT_EQ(report, result + QStringLiteral(" Daten Senden war erfolgreich"));
    EXPECT_TRUE(readBack->m.t_StatusLeisteEnabled);
    EXPECT_TRUE(readBack->handlers->library().isLoaded());
    expectSameWindow(programmed->m, readBack->m);
    for (const auto& shown : readBack->prompter.shown)
        EXPECT_EQ(shown.message.caption, QStringLiteral("Hinweis")) << shown.message.text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(DefaultRoster, RoundTrip,
                         ::testing::Combine(::testing::Range(0, int(std::size(kScenarios))),
                                            ::testing::Values(QChar(u','), QChar(u'.'))),
                         roundTripName);

// Pt100 and Pt1000 share one sensor code; the decimals tell them apart. A Pt1000 programmed over a
// Pt100 with tenths must not read back as that Pt100.
TEST_F(LiveBus, Pt1000ProgrammedOverPt100TenthsReadsBackAsPt1000) {
    const Scenario& s = scenarioOnPort(6); // Pt100, 0.1K
    auto programmed = window(s);
    s.configure(*programmed);
    programmed->handlers->miKonfigurationprogrammieren1Click();
    programmed->m.rgSensor.itemIndex = 2;
    programmed->a().rgSensorClick();
    programmed->handlers->miKonfigurationprogrammieren1Click();
    ASSERT_TRUE(programmed->m.StatusBar1.panels[2].endsWith(QStringLiteral(" Daten Senden war erfolgreich")));

    auto readBack = window(s);
    readBack->handlers->Konfigurationlesen1Click();
    EXPECT_EQ(readBack->m.rgSensor.selectedText(), QStringLiteral("Pt1000"));
    expectSameWindow(programmed->m, readBack->m);
}

TEST_F(LiveBus, InstrumentFallingSilentDuringReadoutIsReportedAndTheWindowStaysUsable) {
    const Scenario& s = kScenarios[0];
    createRoster();
    silenceAfter(s.port, 12);
    auto w = window(s);
    s.configure(*w); // the user's edits, not yet programmed or saved
    w->handlers->commitEdits();
    MainWindowModel before = w->m;
    const int steps = w->handlers->undoHistory().undoCount();
    w->handlers->Konfigurationlesen1Click();
    EXPECT_TRUE(w->m.StatusBar1.panels[2].startsWith(QStringLiteral("(Fehler -2)")))
        << w->m.StatusBar1.panels[2].toStdString();
    // The window is as the user had it, and a box says what failed while reading what.
    EXPECT_TRUE(UndoHistory::sameConfiguration(w->m, before));
    expectSameWindow(before, w->m);
    EXPECT_EQ(w->handlers->undoHistory().undoCount(), steps);
    ASSERT_EQ(w->prompter.shown.size(), 1);
    EXPECT_EQ(
        w->prompter.shown[0].message.text,
        QStringLiteral("Das Einlesen ist fehlgeschlagen. Das Fenster zeigt wieder die Konfiguration von vor "
                       "dem Einlesen.\n\n(Fehler -2) Keine Antwort vom Gerät (Zeitüberschreitung)\n\n"
                       "Gelesen wurde gerade: Einstellwerte: Anzeige bei 0V (Befehl 200)"));
    EXPECT_EQ(readTrace(tracePath()).last().fn, QStringLiteral("TBCloseCom"));

    // The user goes on: the window still reacts, and a readout after the fault works.
    w->input(0, 0);
    EXPECT_TRUE(w->m.gpAnzeigeElemente.visible);
    QFile::remove(rosterPath());
    w->handlers->Konfigurationlesen1Click();
    EXPECT_TRUE(w->m.StatusBar1.panels[2].contains(QStringLiteral("Seriennummer")));
}

TEST_F(LiveBus, InstrumentFallingSilentDuringProgrammingIsReportedAndStillTakenOver) {
    const Scenario& s = scenarioOnPort(5); // DVN 20 TB
    createRoster();
    silenceAfter(s.port, 20);
    auto w = window(s);
    s.configure(*w);
    w->handlers->miKonfigurationprogrammieren1Click();
    const QString panel = w->m.StatusBar1.panels[2];
    EXPECT_TRUE(panel.startsWith(QStringLiteral("(Fehler -2)"))) << panel.toStdString();
    ASSERT_FALSE(w->prompter.shown.isEmpty());
    EXPECT_EQ(w->prompter.shown.last().message.text, panel);
    EXPECT_EQ(w->prompter.shown.last().message.caption, QStringLiteral("Fehler Aufgetreten"));
    // After the failing write: the take-over (parameter 122), a restart and three unanswered polls.
    const auto lines = readTrace(tracePath());
    ASSERT_GE(lines.size(), 6);
    EXPECT_EQ(lines.last().fn, QStringLiteral("TBCloseCom"));
    const TraceLine& takeOver = lines[lines.size() - 6];
    EXPECT_EQ(takeOver.command, 248);
    EXPECT_EQ(takeOver.value, 256 + 122);
    EXPECT_EQ(takeOver.integer, 253);
    EXPECT_EQ(commandsSentAfter(5), (QList<int>{241, 12, 12, 12}));

    w->input(0, 0);
    EXPECT_TRUE(w->m.gpAnzeigeElemente.visible);
}

TEST_F(LiveBus, Dvn20OutputDelayGoesOutAgainWithItsOwnCommand) {
    const Scenario& s = scenarioOnPort(5);
    auto w = window(s);
    s.configure(*w);
    w->handlers->miKonfigurationprogrammieren1Click();
    const auto lines = readTrace(tracePath());
    qsizetype at = -1;
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (lines[i].command == 248 && lines[i].value == 256 + 22) at = i;
    ASSERT_GE(at, 0);
    EXPECT_EQ(lines[at].status, -44);
    ASSERT_LT(at + 1, lines.size());
    EXPECT_EQ(lines[at + 1].command, 104);
    EXPECT_EQ(lines[at + 1].value, 150);
    EXPECT_EQ(lines[at + 1].integer, 1);
    EXPECT_EQ(lines[at + 1].status, 0);
}
