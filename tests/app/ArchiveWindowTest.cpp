// The archive window over a real record: what a technician looks up months later, and an
// old configuration brought back into the window or into a file.

#include "app/ArchiveWindow.h"
#include "app/FieldList.h"
#include "files/D20Writer.h"
#include "support/AppFixture.h"

#include <gtest/gtest.h>

#include <QFile>

namespace {

using Event = RecordEntry::Event;

RecordEntry entryOf(const char* serial, Event event, int minute, const QByteArray& d20) {
    RecordEntry e;
    e.serial = QLatin1String(serial);
    e.event = event;
    e.time = QDateTime(QDate(2026, 3, 2), QTime(8, minute), Qt::UTC);
    e.port = 1;
    e.address = 3;
    e.configuration = d20;
    return e;
}

struct ArchiveFixture : ::testing::Test {
    AppFixture f;
    MainHandlers* h = nullptr;
    MainWindowModel& m = f.model;
    QStringList reports;
    std::unique_ptr<InstrumentRecord> record;

    void start(const QString& file) {
        record =
            std::make_unique<InstrumentRecord>(file, [this](const QString& text) { reports.append(text); });
        f.record = record.get();
        h = &f.start();
        h->FormActivate();
    }
    void model(ModelId id) { h->menuModelClick(QLatin1String(catalogue::entry(id).menuItem)); }
    // The window's configuration as a save of today writes it.
    QByteArray saved() {
        return D20Writer(m, f.separator)
            .contents({QDate(2026, 3, 2), QStringLiteral(" "), QStringLiteral("tester")});
    }
    // Opens the archive from the menu; `act` is the user in the window.
    void open(const std::function<void(ArchiveWindow&)>& act) {
        f.prompter.onModal = [&act](ModalWindow& w) {
            ASSERT_EQ(QByteArray(w.windowClass()), "TGeraetearchiv");
            act(static_cast<ArchiveWindow&>(w));
        };
        f.prompter.modalWindows.clear();
        h->MainMenueExtras_GeraetearchivClick();
        ASSERT_EQ(f.prompter.modalWindows.size(), 1);
    }
};

TEST_F(ArchiveFixture, HistoryComparesLoadsAsOneUndoStepAndSavesTheRecordedBytes) {
    start(f.dir.filePath(QStringLiteral("archiv/Geraetearchiv.sqlite")));
    // Two configurations of a controller, one field apart, and one of another model.
    model(ModelId::TRK520PID);
    h->config().radioItemClick(m.rgInput, 0);
    h->config().radioItemClick(m.rgSensor, 0);
    NumericField& field = m.neAnzeigeHigh.visible ? m.neAnzeigeHigh : m.neAnzeigeLow;
    ASSERT_TRUE(field.visible);
    field.text = QStringLiteral("100");
    h->config().numericFieldExit();
    const QString low = field.text;
    const QByteArray first = saved();
    field.text = QStringLiteral("250");
    h->config().numericFieldExit();
    const QString high = field.text;
    const QByteArray second = saved();
    model(ModelId::DVN20TB);
    const QByteArray other = saved();

    RecordEntry programmed = entryOf("08150001", Event::Programming, 1, second);
    for (const FieldDifference& d : differences(h->recordedFields(first), h->recordedFields(second)))
        programmed.changes.append({d.group, d.label, d.a, d.b});
    ASSERT_EQ(programmed.changes.size(), 1);
    programmed.reason = QStringLiteral("Abnahme");
    RecordEntry named = entryOf("08150001", Event::Readout, 2, second);
    named.name = QStringLiteral("Kessel");
    named.model = QStringLiteral("TRK 520 PID");
    RecordEntry furnace = entryOf("08150002", Event::Readout, 3, other);
    furnace.model = QStringLiteral("DVN 20 TB");
    for (const RecordEntry& e : {entryOf("08150001", Event::Readout, 0, first), programmed, furnace, named})
        ASSERT_TRUE(record->add(e));

    // The window starts elsewhere: another model, so loading must switch it back.
    model(ModelId::DVN500);
    const MainWindowModel before = m;
    const QString saveAs = f.dir.filePath(QStringLiteral("eintrag.d20"));
    f.prompter.saveAnswers = {saveAs};

    open([&](ArchiveWindow& w) {
        ASSERT_TRUE(w.listsVisible());
        ASSERT_EQ(w.instruments.size(), 2);
        // Name and model as the newest entry has them; the first instrument's history is shown.
        EXPECT_EQ(w.instrumentCells(0).mid(0, 3),
                  (QStringList{QStringLiteral("08150001"), QStringLiteral("Kessel"),
                               QStringLiteral("TRK 520 PID")}));
        EXPECT_EQ(w.instrumentCells(0).at(ArchiveWindow::Eintraege), QStringLiteral("3"));
        ASSERT_EQ(w.entries.size(), 3);
        EXPECT_EQ(w.entries[0].id, 4);
        EXPECT_EQ(w.entries[1].id, 2);
        EXPECT_EQ(w.entries[2].id, 1);
        // The list holds no configurations: they are read when one is used.
        EXPECT_TRUE(w.entries[0].configuration.isEmpty());
        EXPECT_EQ(w.entryCells(1).at(ArchiveWindow::Aenderungen),
                  programmed.changes[0].group + QStringLiteral(": ") + programmed.changes[0].label);
        EXPECT_EQ(w.entryCells(1).at(ArchiveWindow::Grund), QStringLiteral("Abnahme"));
        EXPECT_EQ(w.entryCells(2).at(ArchiveWindow::Aenderungen), QStringLiteral("(erster Eintrag)"));

        // One entry: its changes in the compare listing.
        w.entriesChosen({1});
        ASSERT_EQ(w.rows.size(), 1);
        EXPECT_EQ(w.rows[0].a, low);
        EXPECT_EQ(w.rows[0].b, high);
        // Two entries side by side, the older on the left whichever was picked first.
        w.entriesChosen({0, 2});
        EXPECT_FALSE(w.b_Laden.enabled);
        ASSERT_EQ(w.rows.size(), 1);
        EXPECT_EQ(w.rows[0].label, programmed.changes[0].label);
        EXPECT_EQ(w.rows[0].a, low);
        EXPECT_EQ(w.rows[0].b, high);
        EXPECT_TRUE(w.leftTitle.startsWith(QStringLiteral("Eintrag 1 ")));

        // The filter finds the other instrument by its model and shows its history.
        w.e_FilterChange(QStringLiteral("dvn"));
        ASSERT_EQ(w.instruments.size(), 1);
        EXPECT_EQ(w.instruments[0].serial, QStringLiteral("08150002"));
        ASSERT_EQ(w.entries.size(), 1);
        EXPECT_EQ(w.entries[0].id, 3);
        w.e_FilterChange(QString());
        ASSERT_EQ(w.instruments.size(), 2);

        // The newest entry as a file: the recorded bytes, not a save of today.
        w.instrumentClick(0);
        w.entriesChosen({0});
        w.b_SpeichernClick();
        QFile file(saveAs);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), second);

        // The oldest into the window, which closes to show it.
        w.entriesChosen({2});
        w.b_LadenClick();
        EXPECT_TRUE(w.closeRequested);
    });
    EXPECT_EQ(m.checkedModel()->id, ModelId::TRK520PID);
    EXPECT_EQ(field.text, low);
    EXPECT_EQ(saved(), first);
    EXPECT_EQ(m.StatusBar1.panels[2], QStringLiteral("Eintrag 1 aus dem Gerätearchiv geladen"));
    EXPECT_TRUE(f.prompter.shown.isEmpty()) << f.prompter.texts().join(QLatin1Char('\n')).toStdString();

    // One step back is the window as it was before, model and all.
    h->miRueckgaengigClick();
    EXPECT_EQ(m.checkedModel()->id, ModelId::DVN500);
    EXPECT_EQ(shownFields(m).size(), shownFields(before).size());
    MainWindowModel expected = before;
    expected.StatusBar1 = m.StatusBar1;
    expected.t_StatusLeisteEnabled = m.t_StatusLeisteEnabled;
    expected.miRueckgaengig = m.miRueckgaengig;
    expected.miWiederholen = m.miWiederholen;
    EXPECT_TRUE(m == expected);
    EXPECT_TRUE(m.miWiederholen.enabled);
    EXPECT_TRUE(reports.isEmpty());
}

// Nothing to list says so in a sentence; a record that cannot be opened says why.
TEST_F(ArchiveFixture, AnEmptyOrUnreadableArchiveShowsASentenceInsteadOfTheLists) {
    QFile blocker(f.dir.filePath(QStringLiteral("keinordner")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    start(f.dir.filePath(QStringLiteral("keinordner/Geraetearchiv.sqlite")));
    open([](ArchiveWindow& w) {
        EXPECT_FALSE(w.listsVisible());
        EXPECT_TRUE(w.l_Leer.caption.contains(QStringLiteral("kann nicht gelesen werden")))
            << w.l_Leer.caption.toStdString();
        EXPECT_TRUE(w.l_Leer.caption.contains(QStringLiteral("lässt sich nicht anlegen")));
        EXPECT_FALSE(w.b_Laden.enabled);
    });

    AppFixture other;
    InstrumentRecord empty(other.dir.filePath(QStringLiteral("Geraetearchiv.sqlite")), {});
    ArchiveWindow w(empty, *h);
    EXPECT_FALSE(w.listsVisible());
    EXPECT_TRUE(
        w.l_Leer.caption.startsWith(QStringLiteral("Im Gerätearchiv ist noch kein Gerät eingetragen")));
}

} // namespace
