// Figures for scripts/bench.sh, not part of the suite (disabled): a record of 10,000 entries
// for 500 instruments, each written as the program writes one, then opened as the archive
// window opens it.

#include "record/InstrumentRecord.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

TEST(RecordBench, DISABLED_TenThousandEntriesForFiveHundredInstruments) {
    // Beside the build, on the disk a user's data folder is on.
    QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/record-bench-XXXXXX"));
    const QString file = dir.filePath(QStringLiteral("Geraetearchiv.sqlite"));
    std::vector<double> adds;
    {
        InstrumentRecord record(file, {});
        RecordEntry e;
        e.model = QStringLiteral("TRK 520 PID");
        e.configuration = QByteArray(1400, 'x'); // about a d20 file's size
        e.changes = {{QStringLiteral("Anzeige"), QStringLiteral("Anzeige max."), QStringLiteral("1000"),
                      QStringLiteral("400")}};
        QElapsedTimer t;
        for (int i = 0; i < 10000; ++i) {
            e.serial = QStringLiteral("0781%1").arg(i % 500, 4, 10, QLatin1Char('0'));
            e.event = i % 2 ? RecordEntry::Event::Programming : RecordEntry::Event::Readout;
            t.start();
            ASSERT_TRUE(record.add(e));
            adds.push_back(t.nsecsElapsed() / 1e6);
        }
    }
    std::sort(adds.begin(), adds.end());
    QElapsedTimer t;
    t.start();
    InstrumentRecord record(file, {});
    const QList<RecordedInstrument> instruments = record.instruments();
    const double listed = t.nsecsElapsed() / 1e6;
    const QList<RecordEntry> history = record.history(QStringLiteral("07810042"));
    const double opened = t.nsecsElapsed() / 1e6;
    ASSERT_EQ(instruments.size(), 500);
    ASSERT_EQ(history.size(), 20);
    std::printf("Eintrag schreiben: Median %.2f ms, 95 %% %.2f ms, höchstens %.2f ms\n", adds[adds.size() / 2],
                adds[adds.size() * 95 / 100], adds.back());
    std::printf("Archiv öffnen: 500 Geräte %.1f ms, mit dem Verlauf eines Geräts (20 Einträge) %.1f ms\n", listed,
                opened);
    EXPECT_LT(adds[adds.size() / 2], 5.0);
    EXPECT_LT(opened, 200.0);
}
