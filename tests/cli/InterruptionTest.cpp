// Ctrl+C, SIGTERM and SIGHUP in the middle of programming, against the replacement library with
// its wire time (4800 baud): an instrument is never left half written without a word.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

namespace {


struct CliRun {
    int code = -1;  // exit code; -1 when killed by a signal
    QString out;
    QString err;
};

class InterruptionTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), dir.path());
        env.remove(QStringLiteral("XDG_CONFIG_HOME"));
        env.remove(QStringLiteral("TRAXBUS_WIRETIME"));
        env.insert(QStringLiteral("TRAXBUS_SIM"), path("roster.json"));
        env.insert(QStringLiteral("TRKDVN_ARCHIVE"), path("archiv.sqlite"));
        return env;
    }

    // Runs the command; each signal of `sent` goes out once the library has heard that many
    // exchanges on the line in this run (its trace), so it lands at the same point of the sequence on any machine.
    CliRun cli(const QStringList& args, const QList<QPair<int, int>>& sent = {}) {
        const QString trace = path("trace.jsonl");
        QFile::remove(trace);
        QProcessEnvironment env = environment();
        env.insert(QStringLiteral("TRAXBUS_TRACE"), trace);
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(TRAXBUS_LIBDIR "/trkdvn-cli"), args);
        EXPECT_TRUE(p.waitForStarted());
        for (const auto& [calls, number] : sent) {
            while (p.state() == QProcess::Running && callsHeard(trace) < calls)
                p.waitForFinished(5);
            ::kill(static_cast<pid_t>(p.processId()), number);
        }
        EXPECT_TRUE(p.waitForFinished(60000));
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }
    static int callsHeard(const QString& trace) {
        QFile f(trace);
        return f.open(QIODevice::ReadOnly) ? int(f.readAll().count("\"fn\":\"TBTransmit\"")) : 0;
    }

    // The default roster with a second TRK 520 XAO020/1 on port 9, so one file programs two ports.
    void SetUp() override {
        ASSERT_EQ(cli({QStringLiteral("ports")}).code, 0);
        QFile f(path("roster.json"));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        QJsonObject r = QJsonDocument::fromJson(f.readAll()).object();
        QJsonArray ports = r[QStringLiteral("ports")].toArray();
        QJsonObject twin = ports[2].toObject()[QStringLiteral("instruments")].toArray()[0].toObject();
        twin[QStringLiteral("identity")] = QStringLiteral("0x07810399");
        QJsonObject nine = ports[8].toObject();
        nine[QStringLiteral("instruments")] = QJsonArray{twin};
        ports[8] = nine;
        r[QStringLiteral("ports")] = ports;
        f.resize(0);
        f.write(QJsonDocument(r).toJson());
        f.close();
        ASSERT_EQ(cli({QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("3"), QStringLiteral("-o"),
                       path("alt.d20")})
                      .code,
                  0);
        QByteArray changed = bytes("alt.d20");
        changed.replace("\r\n800\r\n700\r\n", "\r\n850\r\n650\r\n");
        ASSERT_NE(changed, bytes("alt.d20"));
        QFile target(path("neu.d20"));
        ASSERT_TRUE(target.open(QIODevice::WriteOnly));
        target.write(changed);
    }

    QByteArray bytes(const char* name) const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Whether the instrument on the port shows exactly the file (exit 0 of diff).
    int differsFrom(int port, const char* file) {
        return cli({QStringLiteral("diff"), QStringLiteral("port:%1").arg(port), path(file)}).code;
    }
};

TEST_F(InterruptionTest, AStopFinishesTheInstrumentInHandAndBeginsNoOther) {
    const QStringList program = {QStringLiteral("program"), path("neu.d20"), QStringLiteral("--port"),
                                 QStringLiteral("3"),       QStringLiteral("--port"), QStringLiteral("9"),
                                 QStringLiteral("--yes"),   QStringLiteral("--verify")};
    // Early in the first instrument's write sequence, in its middle, and in its read-back, each
    // signal kind (counted in exchanges since the start).
    const QList<QPair<int, int>> stops = {{10, SIGINT}, {30, SIGTERM}, {60, SIGHUP}};
    for (const auto& [at, number] : stops) {
        SCOPED_TRACE(QStringLiteral("signal %1 after %2 calls").arg(number).arg(at).toStdString());
        const CliRun r = cli(program, {{at, number}});
        EXPECT_EQ(r.code, 130) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("Abbruch angefordert"))) << r.err.toStdString();
        // The output names what was programmed and what was not.
        EXPECT_TRUE(r.out.contains(QStringLiteral("COM3    07810303      programmiert und geprüft")))
            << r.out.toStdString();
        EXPECT_TRUE(r.out.contains(QStringLiteral("COM9    -             nicht programmiert (abgebrochen)")))
            << r.out.toStdString();
        EXPECT_EQ(differsFrom(3, "neu.d20"), 0);
        EXPECT_EQ(differsFrom(9, "alt.d20"), 0) << "the second instrument was begun";
        // Back to the old state for the next round; nothing is left open in the archive.
        ASSERT_EQ(cli({QStringLiteral("program"), path("alt.d20"), QStringLiteral("--port"), QStringLiteral("3"),
                       QStringLiteral("--yes")})
                      .code,
                  0);
    }
    const CliRun history = cli({QStringLiteral("history"), QStringLiteral("--serial"), QStringLiteral("07810303")});
    EXPECT_FALSE(history.err.contains(QStringLiteral("unvollständig"))) << history.err.toStdString();
}

TEST_F(InterruptionTest, ASecondSignalLeavesTheRunOpenAndTheNextContactNamesIt) {
    const CliRun killed = cli({QStringLiteral("program"), path("neu.d20"), QStringLiteral("--port"), QStringLiteral("3"),
                            QStringLiteral("--yes")},
                           {{20, SIGINT}, {23, SIGINT}});
    ASSERT_EQ(killed.code, -1) << "ended by the second signal, not by itself: " << killed.out.toStdString();
    // Neither the old nor the new configuration is what counts: the record says so at each contact.
    for (const QStringList& contact :
         {QStringList{QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("3")},
          QStringList{QStringLiteral("identify"), QStringLiteral("--port"), QStringLiteral("3")},
          QStringList{QStringLiteral("history"), QStringLiteral("--serial"), QStringLiteral("07810303")}}) {
        const CliRun r = cli(contact);
        EXPECT_EQ(r.code, 0) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("07810303")) &&
                    r.err.contains(QStringLiteral("unvollständig programmiert am")))
            << contact.join(u' ').toStdString() << ": " << r.err.toStdString();
    }
    // A whole programming settles it.
    ASSERT_EQ(cli({QStringLiteral("program"), path("neu.d20"), QStringLiteral("--port"), QStringLiteral("3"),
                   QStringLiteral("--yes")})
                  .code,
              0);
    EXPECT_FALSE(cli({QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("3")})
                     .err.contains(QStringLiteral("unvollständig")));
}

} // namespace
