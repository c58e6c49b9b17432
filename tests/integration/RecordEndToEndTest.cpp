// Readout and programming through the real bus library, recorded in the instrument record:
// the question before programming, the read-back after it, and the entries they leave.

#include "LiveBus.h"

#include "app/FieldList.h"
#include "record/InstrumentRecord.h"

#include <gtest/gtest.h>

using namespace livebus;

TEST_F(LiveBus, ProgrammingShowsTheChangeBeforeVerifiesAfterAndRecordsEveryRun) {
    const Scenario& s = kScenarios[0];
    createRoster();
    QStringList reports;
    InstrumentRecord record(dir.filePath(QStringLiteral("archiv.sqlite")),
                            [&reports](const QString& text) { reports.append(text); });

    settings(s);
    auto w = std::make_unique<Window>(iniPath(), dir.path(), sep, nullptr, std::function<void()>{}, nullptr, &record);
    w->model(s.model);
    w->handlers->Konfigurationlesen1Click();
    ASSERT_GE(w->handlers->lastBusStatus(), 0) << w->m.StatusBar1.panels[2].toStdString();
    const QString serial = record.instruments().value(0).serial;
    ASSERT_FALSE(serial.isEmpty());

    // One field changed in the window: the question lists exactly that one, and "Ja" programs.
    const QList<ShownField> before = shownFields(w->m);
    NumericField* changed = nullptr;
    for (NumericField* f : {&w->m.neAnzeigeHigh, &w->m.neAnzeigeLow})
        if (!changed && f->visible) changed = f;
    ASSERT_NE(changed, nullptr);
    w->type(*changed, "123");
    const QList<FieldDifference> edit = differences(before, shownFields(w->m));
    ASSERT_FALSE(edit.isEmpty());
    w->prompter.shown.clear();
    w->handlers->miKonfigurationprogrammieren1Click();
    ASSERT_GE(w->handlers->lastBusStatus(), 0) << w->m.StatusBar1.panels[2].toStdString();
    ASSERT_FALSE(w->prompter.shown.isEmpty());
    const Prompter::Message& question = w->prompter.shown.first().message;
    EXPECT_EQ(question.caption, QStringLiteral("Programmieren?"));
    EXPECT_EQ(question.defaultButton, Prompter::Button::Yes);
    // Head line and one line per changed field: instrument's value, then the window's.
    EXPECT_EQ(question.text.count(QStringLiteral(" | ")), 3 * (1 + edit.size())) << question.text.toStdString();
    for (const FieldDifference& d : edit)
        EXPECT_TRUE(question.text.contains(QStringLiteral("%1 | %2 | %3 | %4").arg(d.group, d.label, d.a, d.b)))
            << question.text.toStdString();
    EXPECT_TRUE(w->handlers->lastVerification().done);
    EXPECT_TRUE(w->handlers->lastVerification().differences.isEmpty());

    w->handlers->Konfigurationlesen1Click();
    const QList<RecordEntry> history = record.history(serial);
    ASSERT_EQ(history.size(), 3);
    EXPECT_EQ(history[2].event, RecordEntry::Event::Readout);
    EXPECT_TRUE(history[2].changes.isEmpty());
    EXPECT_EQ(history[1].event, RecordEntry::Event::Programming);
    ASSERT_EQ(history[1].changes.size(), edit.size());
    for (int i = 0; i < edit.size(); ++i)
        EXPECT_EQ(history[1].changes[i], (RecordChange{edit[i].group, edit[i].label, edit[i].a, edit[i].b}));
    EXPECT_EQ(history[1].verification, QStringLiteral("geprüft, keine Abweichungen"));
    // Read again: the instrument is as programmed, nothing changed.
    EXPECT_EQ(history[0].event, RecordEntry::Event::Readout);
    EXPECT_TRUE(history[0].changes.isEmpty());
    EXPECT_TRUE(reports.isEmpty());
}
