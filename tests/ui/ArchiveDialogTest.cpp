#include "ui/ArchiveDialog.h"
#include "app/ArchiveWindow.h"
#include "integration/LiveBus.h"
#include "support/AppFixture.h"
#include "ui/ScreenCheck.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTableWidget>

#include <cstdio>

using namespace livebus;

// Read, program one changed field, read again: the archive window shows the instrument's three
// entries with the programming's change, and choosing rows in the list reaches the window.
TEST_F(LiveBus, ArchiveDialogShowsTheHistoryOfAReadProgramRead) {
    const Scenario& s = kScenarios[0];
    createRoster();
    InstrumentRecord record(dir.filePath(QStringLiteral("archiv.sqlite")), {});
    settings(s);
    Window w(iniPath(), dir.path(), sep, nullptr, {}, nullptr, &record);
    w.model(s.model);
    // Nothing recorded yet: a sentence, not an empty grid.
    w.prompter.onModal = [](ModalWindow& mw) {
        ArchiveDialog dialog(static_cast<ArchiveWindow&>(mw));
        dialog.show();
        EXPECT_FALSE(dialog.instrumentTable()->isVisible());
        EXPECT_TRUE(dialog.findChild<QLabel*>(QStringLiteral("l_Leer"))->isVisible());
        saveScreen(dialog, QStringLiteral("archive-empty"));
    };
    w.handlers->MainMenueExtras_GeraetearchivClick();

    w.handlers->Konfigurationlesen1Click();
    NumericField& field = w.m.neAnzeigeHigh.visible ? w.m.neAnzeigeHigh : w.m.neAnzeigeLow;
    w.type(field, "123");
    w.prompter.textAnswers = {QStringLiteral("Abnahme Kessel 2")};
    w.handlers->miKonfigurationprogrammieren1Click();
    w.handlers->Konfigurationlesen1Click();
    ASSERT_GE(w.handlers->lastBusStatus(), 0);

    w.prompter.onModal = [](ModalWindow& mw) {
        auto& archive = static_cast<ArchiveWindow&>(mw);
        archive.entriesChosen({1}); // the programming
        ArchiveDialog dialog(archive);
        dialog.show();
        QTableWidget* history = dialog.historyTable();
        ASSERT_EQ(history->rowCount(), 3);
        EXPECT_EQ(history->item(1, ArchiveWindow::Ereignis)->text(), QStringLiteral("Programmieren"));
        EXPECT_EQ(history->selectionModel()->selectedRows().size(), 1);
        expectTextsWhole(dialog, QStringLiteral("Gerätearchiv"));
        saveScreen(dialog, QStringLiteral("archive-history"));
        history->selectionModel()->select(history->model()->index(2, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
        EXPECT_EQ(archive.chosen, (QList<int>{1, 2}));
        EXPECT_FALSE(archive.b_Laden.enabled);
        saveScreen(dialog, QStringLiteral("archive-compare"));
    };
    w.handlers->MainMenueExtras_GeraetearchivClick();
    EXPECT_EQ(w.prompter.modalWindows.last(), QStringLiteral("TGeraetearchiv"));
}

// Figures for scripts/bench.sh, not part of the suite (disabled): the archive window opened over
// 10,000 entries of 500 instruments, from the menu's handler to the dialog's first paint.
TEST(ArchiveBench, DISABLED_OpensOverTenThousandEntriesOfFiveHundredInstruments) {
    // Beside the build, on the disk a user's data folder is on.
    QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/archive-bench-XXXXXX"));
    InstrumentRecord record(dir.filePath(QStringLiteral("Geraetearchiv.sqlite")), {});
    {
        RecordEntry e;
        e.model = QStringLiteral("TRK 520 PID");
        e.configuration = QByteArray(1400, 'x'); // about a d20 file's size
        e.changes = {{QStringLiteral("Anzeige"), QStringLiteral("Anzeige max."), QStringLiteral("1000"),
                      QStringLiteral("400")}};
        for (int i = 0; i < 10000; ++i) {
            e.serial = QStringLiteral("0781%1").arg(i % 500, 4, 10, QLatin1Char('0'));
            e.name = QStringLiteral("Kessel %1").arg(i % 500);
            e.event = i % 2 ? RecordEntry::Event::Programming : RecordEntry::Event::Readout;
            ASSERT_TRUE(record.add(e));
        }
    }
    AppFixture f;
    f.record = &record;
    MainHandlers& h = f.start();
    double headless = 0, shown = 0;
    QElapsedTimer t;
    f.prompter.onModal = [&](ModalWindow& mw) {
        auto& archive = static_cast<ArchiveWindow&>(mw);
        headless = t.nsecsElapsed() / 1e6;
        ArchiveDialog dialog(archive);
        dialog.show();
        dialog.grab();
        shown = t.nsecsElapsed() / 1e6;
        ASSERT_EQ(archive.instruments.size(), 500);
        ASSERT_EQ(archive.entries.size(), 20);
    };
    t.start();
    h.MainMenueExtras_GeraetearchivClick();
    std::printf(
        "Archivfenster öffnen (500 Geräte, 10.000 Einträge): Listen %.1f ms, bis zum ersten Bild %.1f ms\n",
        headless, shown);
    EXPECT_LT(shown, 200.0);
}
