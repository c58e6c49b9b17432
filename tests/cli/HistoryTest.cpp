// trkdvn-cli history over a record holding two real readouts of one simulated instrument.

#include "record/InstrumentRecord.h"
#include "support/SmallDisk.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <functional>

namespace {

struct HistoryRun {
    int code = -1;
    QString out;
    QString err;
};

class HistoryTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }

    HistoryRun cli(QStringList args) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), dir.path());
        env.remove(QStringLiteral("XDG_CONFIG_HOME"));
        env.insert(QStringLiteral("TRAXBUS_SIM"), path("roster.json"));
        env.insert(QStringLiteral("TRKDVN_ARCHIVE"), path("archiv.sqlite"));
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(TRAXBUS_LIBDIR "/trkdvn-cli"), args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }
    QByteArray bytes(const char* name) {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // The instrument on port 1 gets another display range behind the program's back.
    void changeDisplayHigh(double high) {
        QFile f(path("roster.json"));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        QJsonObject r = QJsonDocument::fromJson(f.readAll()).object();
        QJsonArray ports = r[QStringLiteral("ports")].toArray();
        QJsonObject port = ports[0].toObject();
        QJsonArray list = port[QStringLiteral("instruments")].toArray();
        QJsonObject one = list[0].toObject();
        one[QStringLiteral("display")] = QJsonObject{{QStringLiteral("low"), 0.0}, {QStringLiteral("high"), high}};
        list[0] = one;
        port[QStringLiteral("instruments")] = list;
        ports[0] = port;
        r[QStringLiteral("ports")] = ports;
        f.resize(0);
        f.write(QJsonDocument(r).toJson());
    }
};

TEST_F(HistoryTest, ListsShowsSavesAndComparesStoredConfigurations) {
    ASSERT_EQ(cli({QStringLiteral("ports")}).code, 0); // writes the default roster
    ASSERT_EQ(cli({QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("1"), QStringLiteral("-o"),
                   path("a.d20"), QStringLiteral("--no-record")}).code, 0);
    changeDisplayHigh(400);
    ASSERT_EQ(cli({QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("1"), QStringLiteral("-o"),
                   path("b.d20"), QStringLiteral("--no-record")}).code, 0);
    qint64 first = 0, second = 0;
    {
        InstrumentRecord record(path("archiv.sqlite"), {});
        RecordEntry e;
        e.serial = QStringLiteral("07810101");
        e.model = QStringLiteral("TRK 520 PID");
        e.configuration = bytes("a.d20");
        e.time = QDateTime::currentDateTimeUtc().addSecs(-60);
        ASSERT_TRUE(record.add(e));
        e.configuration = bytes("b.d20");
        e.time = e.time.addSecs(30);
        e.event = RecordEntry::Event::Programming;
        ASSERT_TRUE(record.add(e));
        const QList<RecordEntry> history = record.history(e.serial);
        ASSERT_EQ(history.size(), 2);
        second = history[0].id;
        first = history[1].id;
    }

    const HistoryRun list = cli({QStringLiteral("history")});
    EXPECT_EQ(list.code, 0) << list.err.toStdString();
    EXPECT_TRUE(list.out.contains(QRegularExpression(QStringLiteral("07810101 .*TRK 520 PID .* 2\n"))))
        << list.out.toStdString();

    const HistoryRun json = cli({QStringLiteral("history"), QStringLiteral("--serial"), QStringLiteral("07810101"),
                          QStringLiteral("--json")});
    const QStringList lines = json.out.trimmed().split(u'\n');
    ASSERT_EQ(lines.size(), 2) << json.out.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(lines[0].toUtf8())[QStringLiteral("id")].toInteger(), second);
    EXPECT_EQ(QJsonDocument::fromJson(lines[0].toUtf8())[QStringLiteral("event")].toString(),
              QStringLiteral("Programmieren"));

    ASSERT_EQ(cli({QStringLiteral("history"), QStringLiteral("show"), QString::number(first), QStringLiteral("-o"),
                   path("wieder.d20")}).code, 0);
    EXPECT_EQ(bytes("wieder.d20"), bytes("a.d20"));

    const HistoryRun diff = cli({QStringLiteral("history"), QStringLiteral("diff"), QString::number(first),
                          QString::number(second)});
    EXPECT_EQ(diff.code, 4) << diff.err.toStdString();
    EXPECT_TRUE(diff.out.contains(QStringLiteral("| 1000 | 400"))) << diff.out.toStdString();

    const HistoryRun missing = cli({QStringLiteral("history"), QStringLiteral("show"), QStringLiteral("999")});
    EXPECT_EQ(missing.code, 2);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("keinen Eintrag „999“"))) << missing.err.toStdString();
}

// trkdvn-cli sheet port:N --record: the instrument's newest programming from the record on the
// sheet; none recorded, or the instrument no longer showing it, is refused without a sheet.
TEST_F(HistoryTest, SheetWithRecordCarriesTheNewestProgramming) {
    const QStringList sheet = {QStringLiteral("sheet"), QStringLiteral("port:1"), QStringLiteral("--record"),
                               QStringLiteral("-o"), path("blatt.pdf")};
    ASSERT_EQ(cli({QStringLiteral("ports")}).code, 0); // writes the default roster
    const HistoryRun none = cli(sheet);
    EXPECT_EQ(none.code, 2) << none.err.toStdString();
    EXPECT_TRUE(none.err.contains(QStringLiteral("keine Programmierung des Geräts"))) << none.err.toStdString();
    EXPECT_FALSE(QFile::exists(path("blatt.pdf")));

    ASSERT_EQ(cli({QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("1"), QStringLiteral("-o"),
                   path("a.d20"), QStringLiteral("--no-record")}).code, 0);
    changeDisplayHigh(400);
    ASSERT_EQ(cli({QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("1")}).code, 0);
    const HistoryRun programmed = cli({QStringLiteral("program"), path("a.d20"), QStringLiteral("--port"),
                                       QStringLiteral("1"), QStringLiteral("--verify"), QStringLiteral("--reason"),
                                       QStringLiteral("Abnahme Halle 3")});
    ASSERT_EQ(programmed.code, 0) << programmed.out.toStdString() << programmed.err.toStdString();
    // A readout after it does not hide the programming.
    ASSERT_EQ(cli({QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("1")}).code, 0);

    const HistoryRun made = cli(sheet);
    ASSERT_EQ(made.code, 0) << made.err.toStdString();
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    ASSERT_FALSE(pdftotext.isEmpty()) << "pdftotext missing: scripts/setup.sh installs poppler-utils";
    QProcess text;
    text.start(pdftotext, {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path("blatt.pdf"), QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString page = QString::fromUtf8(text.readAllStandardOutput());
    for (const char* expected : {"Änderungsnachweis", "400 → 1000", "geprüft, keine Abweichungen", "Abnahme Halle 3",
                                 "Unterschrift:"})
        EXPECT_TRUE(page.contains(QString::fromUtf8(expected))) << expected << "\n" << page.toStdString();

    QFile::remove(path("blatt.pdf"));
    changeDisplayHigh(300);
    const HistoryRun changed = cli(sheet);
    EXPECT_EQ(changed.code, 4) << changed.err.toStdString();
    EXPECT_TRUE(changed.err.contains(QStringLiteral("zeigt nicht mehr"))) << changed.err.toStdString();
    EXPECT_FALSE(QFile::exists(path("blatt.pdf")));
}

// What lies at a path, to tell that a run left it alone: a file's bytes, a folder's names.
QByteArray stateOf(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir())
        return "folder:" + QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).join(u'/').toUtf8();
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? "file:" + f.readAll() : QByteArray("missing");
}

// Runs statements on an SQLite file of the test's own making.
void sqlite(const QString& file, const QStringList& statements) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("made"));
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open());
        for (const QString& statement : statements)
            ASSERT_TRUE(QSqlQuery(db).exec(statement)) << statement.toStdString();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("made"));
}

// An archive that cannot be used: `history` reads nothing and makes nothing, a reading of the
// instrument is done all the same and names what the archive did not take; the file stays as it was.
TEST_F(HistoryTest, ArchiveInTroubleIsNamedAndLeftAsItWas) {
    ASSERT_EQ(cli({QStringLiteral("ports")}).code, 0); // writes the default roster
    enum class Medium { Plain, Full, ReadOnly };
    const auto ours = [this](const QString& file) {
        ASSERT_EQ(cli({QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("1"),
                       QStringLiteral("--archive"), file})
                      .code,
                  0);
    };
    const struct {
        const char* name;
        Medium medium;
        std::function<void(const QString&)> make;
        int listCode;
        const char* listSays;
        const char* readSays; // null: no reading run
    } rows[] = {
        {"newer version", Medium::Plain,
         [&](const QString& file) {
             ours(file);
             sqlite(file, {QStringLiteral("PRAGMA user_version=99")});
         },
         3, "neueren Version", "neueren Version"},
        {"another program's database", Medium::Plain,
         [](const QString& file) {
             sqlite(file, {QStringLiteral("CREATE TABLE kunde (nr INTEGER, name TEXT)"),
                           QStringLiteral("INSERT INTO kunde VALUES (1, 'Meier')")});
         },
         3, "Datenbank eines anderen Programms", "Datenbank eines anderen Programms"},
        {"line plan", Medium::Plain,
         [](const QString& file) {
             QFile f(file);
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
             f.write("{\"port\": 10, \"instruments\": []}\n");
         },
         3, "ist kein Gerätearchiv", "ist kein Gerätearchiv"},
        {"folder", Medium::Plain, [](const QString& file) { ASSERT_TRUE(QDir().mkpath(file)); }, 3,
         "ist ein Ordner", "ist ein Ordner"},
        {"mistyped path", Medium::Plain, [](const QString&) {}, 3, "gibt es kein Gerätearchiv", nullptr},
        // Last: a machine that may not mount skips these and nothing else.
        // Reading needs room for SQLite's index of the write-ahead log: it says why it cannot.
        {"full disk", Medium::Full, ours, 3, "der Datenträger ist voll", "der Datenträger ist voll"},
        {"read-only medium", Medium::ReadOnly, ours, 0, "07810101", "schreibgeschützt"},
    };
    const QRegularExpression english(QStringLiteral("Unable|no such|attempt|database|disk|error"),
                                     QRegularExpression::CaseInsensitiveOption);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SmallDisk disk("1m");
        if (row.medium != Medium::Plain && !disk.ok())
            GTEST_SKIP() << "no right to mount a small file system";
        QTemporaryDir plain;
        const QString file = row.medium == Medium::Plain ? plain.filePath(QStringLiteral("archiv.sqlite"))
                                                         : disk.file("archiv.sqlite");
        row.make(file);
        if (row.medium == Medium::Full) {
            ASSERT_TRUE(disk.fill());
        }
        if (row.medium == Medium::ReadOnly && !disk.makeReadOnly()) {
            GTEST_SKIP() << "the small file system cannot be made read-only";
        }
        const QByteArray before = stateOf(file);

        const HistoryRun list = cli({QStringLiteral("history"), QStringLiteral("--archive"), file});
        EXPECT_EQ(list.code, row.listCode) << list.err.toStdString();
        EXPECT_TRUE((list.out + list.err).contains(QString::fromUtf8(row.listSays)))
            << list.err.toStdString();
        if (row.listCode != 0) {
            EXPECT_TRUE(list.err.contains(QStringLiteral("kann nicht gelesen werden")))
                << list.err.toStdString();
        }
        EXPECT_FALSE(list.err.contains(english)) << list.err.toStdString();
        EXPECT_EQ(stateOf(file), before) << "history";

        if (!row.readSays) continue;
        const HistoryRun read = cli({QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("1"),
                                     QStringLiteral("--archive"), file});
        EXPECT_EQ(read.code, 5) << read.err.toStdString();
        EXPECT_TRUE(read.out.startsWith(QStringLiteral("COM1: TRK 520 PID")))
            << "the reading is shown all the same";
        EXPECT_TRUE(read.err.contains(QStringLiteral("nicht im Gerätearchiv"))) << read.err.toStdString();
        EXPECT_TRUE(read.err.contains(QString::fromUtf8(row.readSays))) << read.err.toStdString();
        EXPECT_FALSE(read.err.contains(english)) << read.err.toStdString();
        EXPECT_EQ(stateOf(file), before) << "read";
    }
}

} // namespace
