// The instrument record on real SQLite files: what a technician reads back months later,
// two programs writing at once, and a file that is damaged or cannot be written.

#include "record/InstrumentRecord.h"
#include "support/SmallDisk.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>

namespace {

using Event = RecordEntry::Event;

RecordEntry entryOf(const QString& serial, Event event, const QDateTime& time, const QByteArray& d20) {
    RecordEntry e;
    e.serial = serial;
    e.event = event;
    e.time = time;
    e.port = 1;
    e.address = 3;
    e.model = QStringLiteral("TRK 520 PID");
    e.firmware = QStringLiteral("23");
    e.configuration = d20;
    return e;
}

QByteArray bytesOf(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class InstrumentRecordTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QStringList messages;
    InstrumentRecord::Report collect = [this](const QString& text) { messages.append(text); };
    QString file() const { return dir.filePath(QStringLiteral("Geraetearchiv.sqlite")); }
};

TEST_F(InstrumentRecordTest, ReadProgramReadGivesThreeEntriesNewestFirstAndSurvivesAReopen) {
    const QDateTime t0 = QDateTime(QDate(2026, 3, 2), QTime(8, 0), Qt::UTC);
    // The d20 bytes go in as written: Windows-1252 and CR LF.
    const QByteArray first("<BEGIN>\r\nKessel \xe4\r\n</BEGIN>\r\n1\r\n20\r\n", 36);
    const QByteArray second("<BEGIN>\r\n</BEGIN>\r\n1\r\n25\r\n");
    const RecordChange limit{QStringLiteral("Grenzwert 1"), QStringLiteral("Schaltpunkt"), QStringLiteral("20"),
                             QStringLiteral("25")};
    // Started without a login environment (a service, a container): the entries still name the user.
    const QByteArray user = qgetenv("USER"), logname = qgetenv("LOGNAME");
    qunsetenv("USER");
    qunsetenv("LOGNAME");
    {
        InstrumentRecord record(file(), collect);
        EXPECT_TRUE(record.add(entryOf(QStringLiteral("0815"), Event::Readout, t0, first)));
        RecordEntry programmed = entryOf(QStringLiteral("0815"), Event::Programming, t0.addSecs(60), second);
        programmed.changes = {limit};
        programmed.verification = QStringLiteral("geprüft, keine Abweichungen");
        programmed.reason = QStringLiteral("Abnahme 3/2026");
        programmed.name = QStringLiteral("Kessel 2");
        EXPECT_TRUE(record.add(programmed));
        // Another instrument between them must not mix in.
        EXPECT_TRUE(record.add(entryOf(QStringLiteral("0999"), Event::Readout, t0.addSecs(90), first)));
        EXPECT_TRUE(record.add(entryOf(QStringLiteral("0815"), Event::Readout, t0.addSecs(120), second)));
    }
    if (!user.isEmpty()) qputenv("USER", user);
    if (!logname.isEmpty()) qputenv("LOGNAME", logname);
    InstrumentRecord record(file(), collect);
    const QList<RecordEntry> history = record.history(QStringLiteral("0815"));
    ASSERT_EQ(history.size(), 3);
    EXPECT_EQ(history[0].event, Event::Readout);
    EXPECT_EQ(history[0].time, t0.addSecs(120));
    EXPECT_TRUE(history[0].changes.isEmpty());
    EXPECT_EQ(history[1].event, Event::Programming);
    EXPECT_EQ(history[1].changes, QList<RecordChange>{limit});
    EXPECT_EQ(history[1].verification, QStringLiteral("geprüft, keine Abweichungen"));
    EXPECT_EQ(history[1].reason, QStringLiteral("Abnahme 3/2026"));
    EXPECT_EQ(history[2].configuration, first);
    EXPECT_FALSE(history[2].user.isEmpty());
    EXPECT_FALSE(history[2].computer.isEmpty());

    const std::optional<RecordEntry> byId = record.entry(history[1].id);
    ASSERT_TRUE(byId);
    EXPECT_EQ(byId->configuration, second);
    EXPECT_EQ(byId->name, QStringLiteral("Kessel 2"));
    EXPECT_EQ(record.latest(QStringLiteral("0815"))->id, history[0].id);

    const QList<RecordedInstrument> instruments = record.instruments();
    ASSERT_EQ(instruments.size(), 2);
    EXPECT_EQ(instruments[0].serial, QStringLiteral("0815"));
    EXPECT_EQ(instruments[0].entries, 3);
    EXPECT_EQ(instruments[0].name, QStringLiteral("Kessel 2")); // the newest readout knows no name
    EXPECT_EQ(instruments[0].lastSeen, t0.addSecs(120));
    EXPECT_EQ(instruments[1].entries, 1);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
}

TEST_F(InstrumentRecordTest, TwoWritersAtOnceLoseNothing) {
    constexpr int kEach = 150;
    auto writer = [this](const QString& serial, QStringList* reports) {
        InstrumentRecord record(file(), [reports](const QString& text) { reports->append(text); });
        for (int i = 0; i < kEach; ++i)
            record.add(entryOf(serial, Event::Readout, {}, QByteArray(2000, char('a' + i % 26))));
        reports->append(QStringLiteral("offen: %1").arg(record.pending()));
    };
    QStringList a, b;
    // Qt's own threads: a thread Qt does not know keeps its per-thread data after it ends.
    std::unique_ptr<QThread> first(QThread::create(writer, QStringLiteral("A"), &a));
    std::unique_ptr<QThread> second(QThread::create(writer, QStringLiteral("B"), &b));
    first->start();
    second->start();
    first->wait();
    second->wait();
    EXPECT_EQ(a, QStringList{QStringLiteral("offen: 0")}) << a.join(u"|").toStdString();
    EXPECT_EQ(b, QStringList{QStringLiteral("offen: 0")}) << b.join(u"|").toStdString();
    InstrumentRecord record(file(), collect);
    EXPECT_EQ(record.history(QStringLiteral("A")).size(), kEach);
    EXPECT_EQ(record.history(QStringLiteral("B")).size(), kEach);
}

TEST_F(InstrumentRecordTest, DamagedFileOfOursIsMovedAsideWithItsPermissionsAndANewOneStarted) {
    {
        InstrumentRecord record(file(), collect);
        ASSERT_TRUE(record.add(entryOf(QStringLiteral("0815"), Event::Readout, {}, "alt")));
    }
    // Its own mark stays, everything behind the header is gone.
    QByteArray damaged;
    {
        QFile f(file());
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        damaged = f.read(100) + QByteArray("kein Archiv ").repeated(700);
        f.seek(0);
        f.write(damaged);
        f.resize(damaged.size());
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    InstrumentRecord record(file(), collect);
    ASSERT_EQ(messages.size(), 1) << messages.join(u'\n').toStdString();
    const QStringList aside = QDir(dir.path()).entryList({QStringLiteral("Geraetearchiv.beschaedigt-*.sqlite")});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_TRUE(messages[0].contains(QDir::toNativeSeparators(dir.filePath(aside[0]))));
    EXPECT_EQ(bytesOf(dir.filePath(aside[0])), damaged);
    EXPECT_TRUE(record.add(entryOf(QStringLiteral("0815"), Event::Readout, {}, "x")));
    EXPECT_EQ(record.history(QStringLiteral("0815")).size(), 1);
    const QFile::Permissions kept = QFile::permissions(file());
    EXPECT_TRUE(kept & QFile::ReadOwner);
    EXPECT_FALSE(kept & (QFile::ReadGroup | QFile::ReadOther));
}

TEST_F(InstrumentRecordTest, FailedWritesAreReportedOnceAndWrittenWhenTheFileCanBeWrittenAgain) {
    // A folder that is a regular file stops root as well.
    const QString folder = dir.filePath(QStringLiteral("daten"));
    QFile(folder).open(QIODevice::WriteOnly);
    const QString path = folder + QStringLiteral("/Geraetearchiv.sqlite");
    InstrumentRecord record(path, collect);
    EXPECT_FALSE(record.add(entryOf(QStringLiteral("0815"), Event::Readout, {}, "1")));
    EXPECT_FALSE(record.add(entryOf(QStringLiteral("0815"), Event::Programming, {}, "2")));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("kann nicht geschrieben werden")));
    EXPECT_EQ(record.pending(), 2);

    ASSERT_TRUE(QFile::remove(folder));
    EXPECT_TRUE(record.add(entryOf(QStringLiteral("0815"), Event::Readout, {}, "3")));
    EXPECT_EQ(record.pending(), 0);
    EXPECT_EQ(record.history(QStringLiteral("0815")).size(), 3);
    EXPECT_EQ(messages.size(), 1);
}

TEST_F(InstrumentRecordTest, FullDiskKeepsTheEntriesUntilThereIsRoomAgain) {
    SmallDisk disk("1m"); // the record's journal and its index take more than a small file
    if (!disk.ok()) GTEST_SKIP() << "no right to mount a small file system";
    InstrumentRecord record(disk.file("Geraetearchiv.sqlite"), collect);
    ASSERT_TRUE(record.add(entryOf(QStringLiteral("0815"), Event::Readout, {}, "1"))) << messages.join(u'\n').toStdString();
    ASSERT_TRUE(disk.fill());
    for (int i = 0; i < 5; ++i)
        record.add(entryOf(QStringLiteral("0815"), Event::Readout, {}, QByteArray(1500, 'x')));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("voll"))) << messages[0].toStdString();
    ASSERT_TRUE(QFile::remove(disk.file("filler")));
    EXPECT_TRUE(record.add(entryOf(QStringLiteral("0815"), Event::Readout, {}, "7")));
    EXPECT_EQ(record.history(QStringLiteral("0815")).size(), 7);
}

} // namespace

// An archive the first version wrote (no mark, version 1) is read as it is by `history` and
// taken into this version by the first command that writes: nothing of it is lost, and from
// then on it carries the program's mark; the journal finds an unfinished run again.
TEST_F(InstrumentRecordTest, FirstVersionArchiveIsReadAndCarriedOver) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("first-version"));
        db.setDatabaseName(file());
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        for (const char* statement :
             {"PRAGMA journal_mode=WAL",
              "CREATE TABLE entry (id INTEGER PRIMARY KEY AUTOINCREMENT, time TEXT NOT NULL, event TEXT NOT NULL, "
              "user TEXT NOT NULL, computer TEXT NOT NULL, port INTEGER NOT NULL, address INTEGER NOT NULL, "
              "identity INTEGER NOT NULL, serial TEXT NOT NULL, model TEXT NOT NULL, firmware TEXT NOT NULL, "
              "name TEXT NOT NULL, configuration BLOB NOT NULL, changes TEXT NOT NULL, verification TEXT NOT NULL, "
              "reason TEXT NOT NULL)",
              "INSERT INTO entry VALUES (NULL, '2025-03-01T08:00:00.000Z', 'programming', 'alt', 'pc', 1, 3, 1, "
              "'0815', 'TRK 520', '23', '', x'41', '[]', '', 'Abnahme')",
              "PRAGMA user_version=1"})
            ASSERT_TRUE(q.exec(QLatin1String(statement))) << statement;
    }
    QSqlDatabase::removeDatabase(QStringLiteral("first-version"));
    const QByteArray before = bytesOf(file());
    {
        InstrumentRecord reading(file(), collect, InstrumentRecord::Access::Read);
        const QList<RecordEntry> old = reading.history(QStringLiteral("0815"));
        ASSERT_EQ(old.size(), 1) << reading.readFailure().toStdString();
        EXPECT_EQ(old[0].reason, QStringLiteral("Abnahme"));
        EXPECT_TRUE(old[0].intended.isEmpty());
    }
    EXPECT_EQ(bytesOf(file()), before);
    InstrumentRecord writing(file(), collect);
    ProgrammingJournal run;
    run.serial = QStringLiteral("0815");
    run.target = "B";
    const qint64 open = writing.beginProgramming(run);
    ASSERT_NE(open, 0) << writing.writeFailure().toStdString();
    EXPECT_EQ(writing.unsettled(QStringLiteral("0815")).size(), 1);
    EXPECT_EQ(writing.history(QStringLiteral("0815")).size(), 1);
    EXPECT_TRUE(bytesOf(file()).mid(68, 4) == QByteArray::fromHex("54726b44"));
    writing.endProgramming(open, true, {});
    EXPECT_TRUE(writing.unsettled().isEmpty());
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
}

