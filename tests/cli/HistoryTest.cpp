// trkdvn-cli history over a record holding two real readouts of one simulated instrument.

#include "record/InstrumentRecord.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

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

} // namespace
