// trkdvn-cli as a user runs it: the real executable, no display, the replacement
// bus library in front of a roster in a temporary folder.

#include "app/MainHandlers.h"
#include "app/SettingsStore.h"
#include "bus/LibraryBinding.h"
#include "files/CommentWindow.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <functional>

#include <sys/stat.h>

namespace {

const QString kBin = QStringLiteral(TRAXBUS_LIBDIR);

QByteArray fileBytes(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct CliRun {
    int code = -1;
    QString out;
    QString err;
};

class CliTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;

    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("tmp")));
        qputenv("TRAXBUS_SIM", path("roster.json").toLocal8Bit());
        qunsetenv("TRAXBUS_TRACE");
        // The first run writes the default roster.
        ASSERT_EQ(cli({QStringLiteral("ports")}).code, 0);
    }

    CliRun cli(const QStringList& args, const QString& trace = {}, const QMap<QString, QString>& extra = {},
               const QString& stdoutFile = {}, const QString& workingDirectory = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // Runs without any display.
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("HOME"), dir.path());
        env.remove(QStringLiteral("XDG_CONFIG_HOME"));
        env.insert(QStringLiteral("TRAXBUS_SIM"), path("roster.json"));
        env.insert(QStringLiteral("TMPDIR"), path("tmp"));
        if (!trace.isEmpty()) env.insert(QStringLiteral("TRAXBUS_TRACE"), trace);
        for (auto it = extra.begin(); it != extra.end(); ++it)
            env.insert(it.key(), it.value());
        QProcess p;
        p.setProcessEnvironment(env);
        if (!stdoutFile.isEmpty()) p.setStandardOutputFile(stdoutFile);
        if (!workingDirectory.isEmpty()) p.setWorkingDirectory(workingDirectory);
        p.start(kBin + QStringLiteral("/trkdvn-cli"), args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromLocal8Bit(p.readAllStandardOutput()),
                QString::fromLocal8Bit(p.readAllStandardError())};
    }

    QJsonObject roster() {
        QFile f(path("roster.json"));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return QJsonDocument::fromJson(f.readAll()).object();
    }
    // One call written as on a shell line: its words split at blanks.
    CliRun sh(const QString& line) { return cli(line.split(u' ')); }
    static QJsonObject jsonOf(const CliRun& run) { return QJsonDocument::fromJson(run.out.toUtf8()).object(); }

    // An instrument of the roster: ports[portIndex].instruments[index].
    QJsonObject instrument(int portIndex, int index = 0) {
        return roster()[QStringLiteral("ports")].toArray()[portIndex][QStringLiteral("instruments")]
            .toArray()[index]
            .toObject();
    }
    void setRoster(const QJsonObject& o) {
        QFile f(path("roster.json"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QJsonDocument(o).toJson());
    }
    // Changes ports[portIndex].instruments[index] of the roster.
    void editInstrument(int portIndex, int index, const std::function<void(QJsonObject&)>& change) {
        QJsonObject r = roster();
        QJsonArray ports = r[QStringLiteral("ports")].toArray();
        QJsonObject port = ports[portIndex].toObject();
        QJsonArray instruments = port[QStringLiteral("instruments")].toArray();
        QJsonObject i = instruments[index].toObject();
        change(i);
        instruments[index] = i;
        port[QStringLiteral("instruments")] = instruments;
        ports[portIndex] = port;
        r[QStringLiteral("ports")] = ports;
        setRoster(r);
    }
};

// Lines of a d20 file without the two that name the day and the user.
QList<QByteArray> withoutDateAndUser(const QByteArray& bytes) {
    QList<QByteArray> out;
    for (const QByteArray& line : bytes.split('\n'))
        if (!line.startsWith("<Datum>") && !line.startsWith("<BenutzerName>")) out.append(line);
    return out;
}

// The window's readout and save in this process, through the same library file.
QByteArray windowReadAndSave(const QString& folder, const QString& file, ModelId model,
                             const QString& comment) {
    RecordingPrompter prompter;
    ManualClock clock;
    SettingsStore store(folder + QStringLiteral("/window.ini"), prompter, [folder] { return folder; });
    store.ensureSettingsKeys();
    store.writeSetting(QStringLiteral("ComPort"), QStringLiteral("Schnittstelle\\"),
                       SettingsStore::DataKind::Int16, 1, 4);
    MainWindowModel m;
    MainEnvironment env;
    env.prompter = &prompter;
    env.settings = &store;
    env.clock = &clock;
    env.makeLibrary = [](const QList<BusLibrary::Entry>& entries) {
        return std::make_unique<LibraryBinding>(QStringList{kBin}, entries);
    };
    env.localeSeparator = [] { return QLatin1Char(','); };
    env.currentDirectory = folder;
    MainHandlers h(m, env);
    h.FormActivate();
    h.config().menuModelClick(QString::fromUtf8(catalogue::entry(model).menuItem));
    h.Konfigurationlesen1Click();
    EXPECT_GE(h.lastBusStatus(), 0);
    prompter.saveAnswers = {file};
    prompter.onModal = [comment](ModalWindow& w) {
        auto& c = static_cast<CommentWindow&>(w);
        c.Edit1Change(comment);
        c.Button1Click();
    };
    h.miDatenspeichernClick();
    return fileBytes(file);
}

QJsonArray fieldsOf(const QString& json) {
    return QJsonDocument::fromJson(json.toUtf8()).object().value(QStringLiteral("fields")).toArray();
}

} // namespace

// read -o writes what the window saves after the same readout, sends the window's
// command sequence, and show lists what read printed.
TEST_F(CliTest, ReadWritesTheWindowsFileWithTheWindowsSequence) {
    const QString cliTrace = path("cli.jsonl");
    // A file of the user's that happens to carry the hand-over file's name.
    {
        QFile own(path("COMMENT"));
        ASSERT_TRUE(own.open(QIODevice::WriteOnly));
        own.write("meins</END>\r\n");
    }
    const CliRun read =
        // Without the archive, as the window here runs without one: the same exchanges, call by call.
        cli({QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("1"), QStringLiteral("--model"),
             QStringLiteral("TRK 520 PID"), QStringLiteral("--separator"), QStringLiteral(","),
             QStringLiteral("-o"), path("cli.d20"), QStringLiteral("--comment"),
             QStringLiteral("Kessel  1 Abnahme"), QStringLiteral("--no-record")},
            cliTrace);
    ASSERT_EQ(read.code, 0) << read.err.toStdString();

    qputenv("TRAXBUS_TRACE", path("window.jsonl").toLocal8Bit());
    const QByteArray window = windowReadAndSave(dir.path(), path("window.d20"), ModelId::TRK520PID,
                                                QStringLiteral("Kessel  1 Abnahme"));
    qunsetenv("TRAXBUS_TRACE");

    const QByteArray file = fileBytes(path("cli.d20"));
    ASSERT_FALSE(window.isEmpty());
    EXPECT_TRUE(file.contains("<Kommentar> Kessel 1 Abnahme</Kommentar>\r\n"));
    EXPECT_EQ(fileBytes(path("COMMENT")), QByteArray("meins</END>\r\n"));
    // A second file into the same folder without --comment carries no comment.
    const CliRun plain =
        cli({QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("1"), QStringLiteral("--model"),
             QStringLiteral("TRK 520 PID"), QStringLiteral("-o"), path("plain.d20")},
            path("plain.jsonl"));
    ASSERT_EQ(plain.code, 0) << plain.err.toStdString();
    EXPECT_TRUE(fileBytes(path("plain.d20")).contains("<Kommentar> </Kommentar>\r\n"));
    EXPECT_EQ(withoutDateAndUser(file), withoutDateAndUser(window));
    EXPECT_EQ(fileBytes(cliTrace), fileBytes(path("window.jsonl")));

    // Without --model the instrument's model is found; the listing equals the file's.
    // --trace logs on the program's side exactly the exchanges the library saw.
    const CliRun shown = cli({QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("1"),
                              QStringLiteral("--json"), QStringLiteral("--separator"), QStringLiteral(","),
                              QStringLiteral("--trace"), path("calls.jsonl")},
                             path("library.jsonl"));
    ASSERT_EQ(shown.code, 0) << shown.err.toStdString();
    const auto exchanges = [](const QByteArray& log) {
        QList<QJsonObject> out;
        for (const QByteArray& line : log.split('\n')) {
            const QJsonObject o = QJsonDocument::fromJson(line).object();
            if (o.value(QStringLiteral("fn")) == QStringLiteral("TBTransmit")) out.append(o);
        }
        return out;
    };
    const QList<QJsonObject> calls = exchanges(fileBytes(path("calls.jsonl")));
    const QList<QJsonObject> seen = exchanges(fileBytes(path("library.jsonl")));
    ASSERT_EQ(calls.size(), seen.size());
    ASSERT_GT(calls.size(), 20);
    int failures = 0;
    for (int i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].value(QStringLiteral("in")).toObject().value(QStringLiteral("command")),
                  seen[i].value(QStringLiteral("in")).toObject().value(QStringLiteral("command")));
        EXPECT_EQ(calls[i].value(QStringLiteral("status")), seen[i].value(QStringLiteral("status")));
        if (calls[i].value(QStringLiteral("status")).toInt() < 0) {
            ++failures;
            EXPECT_FALSE(calls[i].value(QStringLiteral("text")).toString().trimmed().isEmpty());
        }
    }
    RecordProperty("failedExchanges", failures);
    EXPECT_EQ(QJsonDocument::fromJson(shown.out.toUtf8()).object().value(QStringLiteral("model")).toString(),
              QStringLiteral("TRK 520 PID"));
    const CliRun show = cli({QStringLiteral("show"), path("cli.d20"), QStringLiteral("--json"),
                             QStringLiteral("--separator"), QStringLiteral(",")});
    ASSERT_EQ(show.code, 0) << show.err.toStdString();
    EXPECT_GT(fieldsOf(show.out).size(), 8);
    EXPECT_EQ(QJsonDocument(fieldsOf(show.out)).toJson().toStdString(),
              QJsonDocument(fieldsOf(shown.out)).toJson().toStdString());

    // An instrument that goes quiet halfway: exit 1, the library's German text on stderr.
    QJsonObject r = roster();
    QJsonArray ports = r[QStringLiteral("ports")].toArray();
    QJsonObject port1 = ports[0].toObject();
    QJsonArray instruments = port1[QStringLiteral("instruments")].toArray();
    QJsonObject pid = instruments[0].toObject();
    pid[QStringLiteral("faults")] = QJsonArray{QJsonObject{{QStringLiteral("command"), QStringLiteral("any")},
                                                           {QStringLiteral("after"), 12},
                                                           {QStringLiteral("status"), -2},
                                                           {QStringLiteral("count"), -1}}};
    instruments[0] = pid;
    port1[QStringLiteral("instruments")] = instruments;
    ports[0] = port1;
    r[QStringLiteral("ports")] = ports;
    setRoster(r);
    const CliRun failed =
        cli({QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("1"), QStringLiteral("--model"),
             QStringLiteral("TRK 520 PID"), QStringLiteral("-o"), path("failed.d20")});
    EXPECT_EQ(failed.code, 1);
    EXPECT_TRUE(failed.err.contains(QStringLiteral("(Fehler -2) Keine Antwort vom Gerät")))
        << failed.err.toStdString();
    EXPECT_FALSE(QFile::exists(path("failed.d20")));
}

// A file read from one instrument programmed into a batch of three ports, one of them
// empty: the others verify, the table names every port, and the instrument then
// compares equal to the file it was programmed from.
TEST_F(CliTest, BatchProgramsVerifiesAndComparesEqual) {
    // Ports 1 and 2 hold a TRK 520 PID each with a different display range; port 3 is empty.
    QJsonObject r = roster();
    QJsonArray ports = r[QStringLiteral("ports")].toArray();
    QJsonObject second = ports[0].toObject()[QStringLiteral("instruments")].toArray()[0].toObject();
    second[QStringLiteral("identity")] = QStringLiteral("0x07810202");
    second[QStringLiteral("display")] =
        QJsonObject{{QStringLiteral("low"), 0.0}, {QStringLiteral("high"), 400.0}};
    ports = QJsonArray{
        ports[0],
        QJsonObject{{QStringLiteral("port"), 2}, {QStringLiteral("instruments"), QJsonArray{second}}},
        QJsonObject{{QStringLiteral("port"), 3}, {QStringLiteral("instruments"), QJsonArray{}}}};
    r[QStringLiteral("ports")] = ports;
    setRoster(r);

    ASSERT_EQ(cli({QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("1"),
                   QStringLiteral("-o"), path("serie.d20")})
                  .code,
              0);
    const CliRun before = cli({QStringLiteral("diff"), path("serie.d20"), QStringLiteral("port:2")});
    EXPECT_EQ(before.code, 4) << before.err.toStdString();
    EXPECT_TRUE(before.out.contains(QStringLiteral("| 1000 | 400"))) << before.out.toStdString();

    const CliRun batch = cli({QStringLiteral("program"), path("serie.d20"), QStringLiteral("--port"),
                              QStringLiteral("1"), QStringLiteral("--port"), QStringLiteral("3"),
                              QStringLiteral("--port"), QStringLiteral("2"), QStringLiteral("--verify")});
    EXPECT_EQ(batch.code, 1) << batch.err.toStdString();
    const QStringList table = batch.out.trimmed().split(QLatin1Char('\n'));
    ASSERT_EQ(table.size(), 4) << batch.out.toStdString();
    const auto row = [&](int i, const char* pattern) {
        EXPECT_TRUE(QRegularExpression(QString::fromUtf8(pattern)).match(table[i]).hasMatch())
            << table[i].toStdString();
    };
    row(0, "^Port\\s+Seriennummer\\s+Ergebnis$");
    row(1, "^COM1\\s+07810101\\s+programmiert und geprüft$");
    row(2, "^COM3\\s+-\\s+\\(Fehler -2\\) Keine Antwort");
    row(3, "^COM2\\s+07810202\\s+programmiert und geprüft$");
    EXPECT_TRUE(batch.err.contains(QStringLiteral("Keine Antwort vom Gerät")));

    const CliRun after = cli({QStringLiteral("diff"), path("serie.d20"), QStringLiteral("port:2")});
    EXPECT_EQ(after.code, 0) << after.out.toStdString() << after.err.toStdString();
    EXPECT_TRUE(after.out.isEmpty());
}

// The flow calculator's result goes into a file's configuration as "Übernehmen" puts it
// into the window; input it cannot use is refused with its message.
TEST_F(CliTest, FlowResultIsTakenIntoAFile) {
    ASSERT_EQ(cli({QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("1"),
                   QStringLiteral("-o"), path("k.d20")})
                  .code,
              0);
    const QStringList flow = {QStringLiteral("flow"),   QStringLiteral("--max"), QStringLiteral("60"),
                              QStringLiteral("--unit"), QStringLiteral("l/min"), QStringLiteral("--pulses"),
                              QStringLiteral("1000"),   QStringLiteral("--per"), QStringLiteral("l")};
    const CliRun applied = cli(
        flow + QStringList{QStringLiteral("--apply"), path("k.d20"), QStringLiteral("-o"), path("f.d20")});
    ASSERT_EQ(applied.code, 0) << applied.err.toStdString();
    EXPECT_TRUE(applied.out.contains(QStringLiteral("Fr.Hi   1000")) &&
                applied.out.contains(QStringLiteral("di.Hi   60")))
        << applied.out.toStdString();
    const CliRun shown = cli({QStringLiteral("show"), path("f.d20"), QStringLiteral("--json")});
    QMap<QString, QString> byControl;
    for (const QJsonValue& f : fieldsOf(shown.out))
        byControl.insert(f[QStringLiteral("control")].toString(), f[QStringLiteral("text")].toString());
    EXPECT_EQ(byControl.value(QStringLiteral("rgInput")), QStringLiteral("Frequenz"));
    EXPECT_EQ(byControl.value(QStringLiteral("neMessbereichHigh")), QStringLiteral("1000"));
    EXPECT_EQ(byControl.value(QStringLiteral("neAnzeigeHigh")), QStringLiteral("60"));

    QStringList unusable = flow;
    unusable[2] = QStringLiteral("0");
    const CliRun refused = cli(unusable);
    EXPECT_EQ(refused.code, 2);
    EXPECT_TRUE(refused.out.isEmpty());
    EXPECT_TRUE(refused.err.contains(QStringLiteral("Werte können nicht verwendet werden!")))
        << refused.err.toStdString();
}

// A script never changes what the window finds at its next start; --use-settings takes
// the window's port instead of --port.
TEST_F(CliTest, WindowSettingsOnlyWithUseSettings) {
    const QString ini = dir.filePath(QStringLiteral(".config/Halvora/Trk_Dvn_Konfigurationsprogramm.ini"));
    ASSERT_EQ(cli({QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("1"),
                   QStringLiteral("-o"), path("k.d20")})
                  .code,
              0);
    EXPECT_FALSE(QFile::exists(ini));

    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral(".config/Halvora")));
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Schnittstelle]\nComPort=3\nPegelWandler=0\n");
    f.close();
    const CliRun stored = cli({QStringLiteral("identify"), QStringLiteral("--use-settings")});
    const CliRun port3 = cli({QStringLiteral("identify"), QStringLiteral("--port"), QStringLiteral("3")});
    ASSERT_EQ(stored.code, 0) << stored.err.toStdString();
    EXPECT_EQ(stored.out, port3.out);
    EXPECT_NE(stored.out,
              cli({QStringLiteral("identify"), QStringLiteral("--port"), QStringLiteral("1")}).out);

    // The port and converter a run used are kept; where the script runs never becomes a folder
    // of the window, not even through a file named there.
    const QString elsewhere = path("woanders");
    ASSERT_TRUE(QDir().mkpath(elsewhere) && QFile::copy(path("k.d20"), elsewhere + QStringLiteral("/k.d20")));
    ASSERT_TRUE(QFile::remove(ini));
    const auto there = [&](const char* line) { return cli(QString::fromUtf8(line).split(u' '), {}, {}, {}, elsewhere); };
    ASSERT_EQ(there("identify --use-settings --port 3 --converter 7").code, 0);
    ASSERT_EQ(there("show k.d20 --use-settings").code, 0);
    const QString settings = QString::fromUtf8(fileBytes(ini));
    EXPECT_TRUE(settings.contains(QStringLiteral("ComPort=3")) && settings.contains(QStringLiteral("PegelWandler=7")))
        << settings.toStdString();
    EXPECT_FALSE(settings.contains(QStringLiteral("woanders"))) << settings.toStdString();
}

TEST_F(CliTest, UsageAndFileErrorsHaveTheirExitCodes) {
    EXPECT_EQ(cli({QStringLiteral("read")}).code, 2);
    EXPECT_EQ(cli({QStringLiteral("frobnicate")}).code, 2);
    EXPECT_EQ(cli({QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("1"),
                   QStringLiteral("--model"), QStringLiteral("XYZ")})
                  .code,
              2);
    const CliRun missing = cli({QStringLiteral("show"), path("fehlt.d20")});
    EXPECT_EQ(missing.code, 3);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("konnte nicht geöffnet werden")));
    const CliRun help = cli({QStringLiteral("program"), QStringLiteral("--help")});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("Beispiel")) &&
                help.out.contains(QStringLiteral("4  Prüfung")));
    // A plan already there is made anew only with --yes, even with no d20 file beside it.
    QFile plan(path("plan.json"));
    ASSERT_TRUE(plan.open(QIODevice::WriteOnly));
    plan.write("{}");
    plan.close();
    EXPECT_EQ(cli({QStringLiteral("line"), QStringLiteral("init"), QStringLiteral("--port"),
                   QStringLiteral("10"), QStringLiteral("-o"), path("plan.json")})
                  .code,
              3);
    EXPECT_EQ(fileBytes(path("plan.json")), "{}");
}

// sheet without any display: the instrument on port 1 read as the window reads it, its sheet a
// PDF; a file that is not there, or a folder the PDF cannot go into, end with exit 3.
TEST_F(CliTest, SheetIsWrittenWithoutADisplay) {
    const CliRun read = cli({QStringLiteral("sheet"), QStringLiteral("port:1"), QStringLiteral("-o"),
                             path("kessel.pdf"), QStringLiteral("--json")});
    ASSERT_EQ(read.code, 0) << read.err.toStdString();
    EXPECT_TRUE(fileBytes(path("kessel.pdf")).startsWith("%PDF-"));
    const QJsonObject o = QJsonDocument::fromJson(read.out.toUtf8()).object();
    EXPECT_EQ(o.value(QStringLiteral("model")).toString(), QStringLiteral("TRK 520 PID"));
    EXPECT_GT(fieldsOf(read.out).size(), 8);

    EXPECT_EQ(cli({QStringLiteral("sheet"), path("fehlt.d20"), QStringLiteral("-o"), path("x.pdf")}).code, 3);
    ASSERT_EQ(cli({QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("1"), QStringLiteral("-o"),
                   path("k.d20")})
                  .code,
              0);
    const CliRun nowhere =
        cli({QStringLiteral("sheet"), path("k.d20"), QStringLiteral("-o"), path("fehlt/k.pdf")});
    EXPECT_EQ(nowhere.code, 3);
    EXPECT_TRUE(nowhere.err.contains(QStringLiteral("Das Konfigurationsblatt"))) << nowhere.err.toStdString();
    EXPECT_EQ(cli({QStringLiteral("sheet"), path("k.d20")}).code, 2);
}

// rename acts only on the instrument its information read found: on port 8 two instruments
// answer the address query, so nothing is renamed, not even after one moved to address 0.
// A name the instrument cannot keep is refused before anything is sent; --json echoes the
// name the instrument reads back.
TEST_F(CliTest, RenameActsOnlyOnTheInstrumentItFound) {
    EXPECT_EQ(sh("rename --port 8 --name FALSCH").code, 1);
    ASSERT_EQ(sh("set-address --port 8 --address 2 --to 0").code, 0);
    EXPECT_EQ(sh("rename --port 8 --name FALSCH").code, 1);
    EXPECT_EQ(instrument(7, 0)["name"].toString(), QStringLiteral("Linie A"));
    EXPECT_EQ(instrument(7, 1)["name"].toString(), QStringLiteral("Linie B"));
    // The name window always asks the bus for its instrument: --address is refused, also as JSON.
    const CliRun addressed = sh("rename --port 8 --address 1 --name X --json");
    EXPECT_EQ(addressed.code, 2);
    EXPECT_EQ(jsonOf(addressed)["status"].toInt(), 2) << addressed.out.toStdString();

    const QStringList rename = {QStringLiteral("rename"), QStringLiteral("--port"), QStringLiteral("1"),
                                QStringLiteral("--name")};
    for (const QString& bad : {QStringLiteral("Kessel 2 im Keller"), QStringLiteral("Kessel ✓"),
                               QStringLiteral("Kessel\n2")}) {
        const CliRun refused = cli(rename + QStringList{bad});
        EXPECT_EQ(refused.code, 2) << bad.toStdString();
        EXPECT_TRUE(refused.err.contains(QStringLiteral("Nichts wurde gesendet"))) << refused.err.toStdString();
    }
    EXPECT_EQ(instrument(0)["name"].toString(), QStringLiteral("Kessel 1"));
    const CliRun renamed = cli(rename + QStringList{QStringLiteral("Kessel 2 oben"), QStringLiteral("--json")});
    ASSERT_EQ(renamed.code, 0) << renamed.err.toStdString();
    EXPECT_EQ(jsonOf(renamed)["name"].toString(), QStringLiteral("Kessel 2 oben"));
    EXPECT_EQ(instrument(0)["name"].toString(), QStringLiteral("Kessel 2 oben"));
}

// set-address talks to --address where given and moves only the instrument found there;
// without it the address query must find exactly one. --json echoes the new address, and a
// failure is one {status, message} object.
TEST_F(CliTest, SetAddressMovesOnlyTheInstrumentItFound) {
    EXPECT_EQ(sh("set-address --port 8 --to 9").code, 1);
    const CliRun moved = sh("set-address --port 8 --address 2 --to 9 --json");
    ASSERT_EQ(moved.code, 0) << moved.err.toStdString();
    EXPECT_EQ(jsonOf(moved)["address"].toInt(-1), 9) << moved.out.toStdString();
    EXPECT_EQ(instrument(7, 0)["address"].toInt(), 1);
    EXPECT_EQ(instrument(7, 1)["address"].toInt(), 9);

    const CliRun nobody = sh("set-address --port 8 --address 5 --to 3 --json");
    EXPECT_EQ(nobody.code, 1);
    EXPECT_EQ(jsonOf(nobody)["status"].toInt(), 1) << nobody.out.toStdString();
    EXPECT_FALSE(jsonOf(nobody)["message"].toString().isEmpty());
}

TEST_F(CliTest, ScanShowsEachInstrumentOfTheRangeOnce) {
    const CliRun part = sh("scan --port 10 --from 17 --to 42 --json");
    ASSERT_EQ(part.code, 0) << part.err.toStdString();
    QStringList found;
    for (const QString& line : part.out.split(u'\n', Qt::SkipEmptyParts))
        found.append(QJsonDocument::fromJson(line.toUtf8())[QStringLiteral("identity")].toString());
    QStringList planned;
    for (const QJsonValue i : roster()[QStringLiteral("ports")].toArray()[9][QStringLiteral("instruments")].toArray())
        if (i[QStringLiteral("address")].toInt() >= 17 && i[QStringLiteral("address")].toInt() <= 42)
            planned.append(i[QStringLiteral("identity")].toString());
    EXPECT_EQ(found, planned);
    EXPECT_EQ(planned.size(), 2);
    EXPECT_EQ(sh("scan --port 9").code, 1);
    const CliRun one = sh("scan --port 10 --from 17 --to 17");
    EXPECT_EQ(one.code, 0) << one.err.toStdString();
    EXPECT_TRUE(one.out.contains(QStringLiteral("07611002"))) << one.out.toStdString();
}

// Every output that cannot be written ends the run with exit 3 and the reason: the call trace
// in a missing folder, a folder, or on a full device, and stdout on a full device. A library
// that is not there is named with exit 1. "-o -" puts the file on stdout.
TEST_F(CliTest, OutputsThatCannotBeWrittenEndWithTheirReason) {
    for (const QString& trace : {path("fehlt/t.jsonl"), dir.path(), QStringLiteral("/dev/full")}) {
        const CliRun run = sh(QStringLiteral("identify --port 1 --trace ") + trace);
        EXPECT_EQ(run.code, 3) << trace.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("Protokolldatei ") + trace)) << run.err.toStdString();
    }
    const CliRun full = cli({QStringLiteral("identify"), QStringLiteral("--port"), QStringLiteral("1")}, {}, {},
                            QStringLiteral("/dev/full"));
    EXPECT_EQ(full.code, 3);
    EXPECT_TRUE(full.err.contains(QStringLiteral("Ausgabe konnte nicht geschrieben werden"))) << full.err.toStdString();

    const CliRun toStdout = sh("read --port 1 -o -");
    ASSERT_EQ(toStdout.code, 0) << toStdout.err.toStdString();
    EXPECT_TRUE(toStdout.out.contains(QStringLiteral("</BEGIN>"))) << toStdout.out.toStdString();
    QFile f(path("k.d20"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(toStdout.out.toLatin1());
    f.close();
    const CliRun noLibrary = sh(QStringLiteral("show %1 --library /nonexistent --json").arg(path("k.d20")));
    EXPECT_EQ(noLibrary.code, 1);
    EXPECT_TRUE(noLibrary.err.contains(QStringLiteral("/nonexistent/"))) << noLibrary.err.toStdString();
    EXPECT_EQ(jsonOf(noLibrary)["status"].toInt(), 1);
}

// --json speaks numbers as numbers and gives every model the same keys; a file written with
// "." reads in a "," locale without any option, in show, diff and program alike.
TEST_F(CliTest, JsonIsTheSameForEveryModelAndFilesKeepTheirSeparator) {
    const QMap<QString, QString> comma = {{QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8")}};
    const auto inComma = [&](const QString& line) { return cli(line.split(u' '), {}, comma); };
    ASSERT_EQ(sh(QStringLiteral("read --port 1 --separator . -o %1").arg(path("punkt.d20"))).code, 0);
    ASSERT_EQ(sh(QStringLiteral("read --port 1 --separator , -o %1").arg(path("komma.d20"))).code, 0);
    const CliRun trk = inComma(QStringLiteral("show %1 --json").arg(path("punkt.d20")));
    const CliRun dvn = inComma(QStringLiteral("read --port 5 --json"));
    ASSERT_EQ(trk.code + dvn.code, 0) << trk.err.toStdString() << dvn.err.toStdString();
    const QJsonObject trkValues = jsonOf(trk)["values"].toObject();
    const QJsonObject dvnValues = jsonOf(dvn)["values"].toObject();
    EXPECT_GT(trkValues.size(), 20);
    EXPECT_EQ(trkValues.keys(), dvnValues.keys());
    EXPECT_TRUE(trkValues["neAnzeigeHigh"].isDouble() && trkValues["nePID_SP1"].isDouble()) << trk.out.toStdString();
    EXPECT_TRUE(dvnValues["nePID_SP1"].isNull());
    const QJsonObject old = jsonOf(sh("identify --port 2 --json"));
    EXPECT_TRUE(old.contains(QStringLiteral("features")) && old["features"].isNull());

    const CliRun same = inComma(QStringLiteral("diff %1 %2").arg(path("punkt.d20"), path("komma.d20")));
    EXPECT_EQ(same.code, 0) << same.out.toStdString() << same.err.toStdString();
    const CliRun programmed = inComma(QStringLiteral("program %1 --port 1 --verify").arg(path("punkt.d20")));
    EXPECT_EQ(programmed.code, 0) << programmed.out.toStdString() << programmed.err.toStdString();
}

// program --verify: an instrument that answers a write but does not keep the value shows the
// difference (exit 4); one that stops answering before the read-back is a failure (exit 1).
TEST_F(CliTest, VerifyTellsAValueNotKeptFromASilentInstrument) {
    ASSERT_EQ(sh(QStringLiteral("read --port 1 -o %1").arg(path("serie.d20"))).code, 0);
    QJsonObject r = roster();
    QJsonArray ports = r["ports"].toArray();
    const auto withFault = [&](int index, int command, int status) {
        QJsonObject port = ports[index].toObject();
        QJsonObject i = instrument(0);
        i["identity"] = QStringLiteral("0x0781010%1").arg(index + 1);
        i["display"] = QJsonObject{{"low", 0.0}, {"high", 400.0}};
        i["faults"] = QJsonArray{QJsonObject{{"command", command}, {"status", status}, {"count", -1}}};
        port["instruments"] = QJsonArray{i};
        ports[index] = port;
    };
    withFault(1, 193, 0);  // port 2: answers the display's upper end but keeps its own
    withFault(2, 201, -2); // port 3: silent when its display is read back
    r["ports"] = ports;
    setRoster(r);
    const CliRun kept = sh(QStringLiteral("program %1 --verify --port 2").arg(path("serie.d20")));
    EXPECT_EQ(kept.code, 4) << kept.out.toStdString() << kept.err.toStdString();
    EXPECT_TRUE(kept.out.contains(QStringLiteral("Anzeige bei 10V | 1000 | 400")) &&
                kept.out.contains(QStringLiteral(" 2 Abweichungen")))
        << kept.out.toStdString();
    const CliRun silent = sh(QStringLiteral("program %1 --verify --port 3").arg(path("serie.d20")));
    EXPECT_EQ(silent.code, 1) << silent.out.toStdString() << silent.err.toStdString();
    EXPECT_TRUE(silent.out.contains(QStringLiteral("Rücklesen fehlgeschlagen"))) << silent.out.toStdString();
}

// --comment text the file cannot carry is refused with what would change; --yes takes it.
TEST_F(CliTest, CommentTheFileCannotCarryNeedsYes) {
    const QStringList read = {QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("1"),
                              QStringLiteral("-o"), path("c.d20"), QStringLiteral("--comment"),
                              QStringLiteral("Prüfung <Halle 2> ✓")};
    const CliRun refused = cli(read);
    EXPECT_EQ(refused.code, 2);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("‹ und ›")) && refused.err.contains(QStringLiteral("✓")))
        << refused.err.toStdString();
    EXPECT_FALSE(QFile::exists(path("c.d20")));
    EXPECT_EQ(cli(read + QStringList{QStringLiteral("--yes")}).code, 0);
    EXPECT_TRUE(fileBytes(path("c.d20")).contains("<Kommentar> Pr\xfc" "fung \x8bHalle 2\x9b ?</Kommentar>"));
}

// Every wrong call is refused before anything reaches the bus: exit 2, the reason in
// German, the command's synopsis, nothing on stdout and no call of the library.
TEST_F(CliTest, WrongCallsAreRefusedWithTheirReason) {
    ASSERT_EQ(cli({QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("1"), QStringLiteral("-o"),
                   path("k.d20")})
                  .code,
              0);
    const QString file = path("k.d20");
    const QString trace = path("trace.jsonl");
    const struct {
        QStringList args;
        const char* reason;
    } calls[] = {
        {{"set-address", "--port", "1", "--to", "240"}, "0 bis 239"},
        {{"set-address", "--port", "1", "--to", "99999999999"}, "0 bis 239"},
        {{"identify", "--port", "70000"}, "1 bis 32767"},
        {{"diff", file, file, "--model", "TRK 999"}, "Unbekannter Gerätetyp „TRK 999“"},
        {{"identify", "--port", "1", "--converter", "6x"}, "0, 6, 7 oder 66"},
        {{"identify", "--port", "1", "--converter", ""}, "0, 6, 7 oder 66"},
        {{"diff", file, "port:65539"}, "port:"},
        {{"sheet", "port:0", "-o", path("x.pdf")}, "port:"},
        {{"show", file, "--verify"}, "„--verify“ gehört nicht zum Befehl show"},
        {{"show", file, "--to", "5"}, "„--to“ gehört nicht"},
        {{"read", "--port", "1", "--comment", "x"}, "nur zusammen mit „-o“"},
        {{"flow", "--max", "60", "--pulses", "1000", "-o", path("x.d20")}, "nur zusammen mit „--apply“"},
        {{"flow", "--max", "60", "--pulses", "1000", "--unit", "parsec"}, "l/min, l/h, m3/min, m3/h"},
        {{"identify", "--port", "1", "--port", "2"}, "mehrfach"},
        {{"read", "--port", "1", "--frob"}, "Unbekannte Option „--frob“"},
        {{"read", "--port", "1", "-o"}, "Nach „-o“ fehlt der Wert"},
        {{"show"}, "braucht DATEI.d20"},
        {{"identify"}, "braucht „--port N“"},
    };
    for (const auto& c : calls) {
        const CliRun run = cli(c.args, trace);
        const QString call = c.args.join(u' ');
        EXPECT_EQ(run.code, 2) << call.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << call.toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.reason))) << call.toStdString() << "\n" << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("trkdvn-cli"))) << call.toStdString();
        EXPECT_FALSE(QFile::exists(trace)) << call.toStdString() << ": the library was called";
        QFile::remove(trace);
    }
    const CliRun models = cli({QStringLiteral("models")});
    EXPECT_EQ(models.code, 0);
    EXPECT_TRUE(models.out.split(u'\n').contains(QStringLiteral("TRK 520 PID"))) << models.out.toStdString();
}

// Commands that only look write nothing but their output: not a settings file, not a
// temporary one (a folder's time changes with every file made or removed in it).
TEST_F(CliTest, LookingCommandsLeaveTheDiskAsItWas) {
    ASSERT_EQ(cli({QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("1"), QStringLiteral("-o"),
                   path("k.d20")})
                  .code,
              0);
    const auto state = [this] {
        QStringList entries;
        for (const QString& folder : {dir.path(), path("tmp")})
            entries << QString::number(QFileInfo(folder).lastModified().toMSecsSinceEpoch())
                    << QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        return entries;
    };
    const QStringList before = state();
    QThread::msleep(20);
    EXPECT_EQ(cli({QStringLiteral("show"), path("k.d20")}).code, 0);
    EXPECT_EQ(cli({QStringLiteral("identify"), QStringLiteral("--port"), QStringLiteral("1")}).code, 0);
    EXPECT_EQ(cli({QStringLiteral("diff"), path("k.d20"), path("k.d20")}).code, 0);
    EXPECT_EQ(state(), before);
}

// A line taken into a plan checks clean; a switch point changed behind the program's back is
// named and put right; a new instrument in a missing one's place, and one that answers at
// another address while a planned one is missing, are taken over only with --replace.
TEST_F(CliTest, LinePlanFindsDifferencesAndTakesOverReplacements) {
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("anlage")));
    const QString plan = path("anlage/plan.json");
    const CliRun init = cli({QStringLiteral("line"), QStringLiteral("init"), QStringLiteral("--port"),
                             QStringLiteral("10"), QStringLiteral("-o"), plan});
    ASSERT_EQ(init.code, 0) << init.err.toStdString();
    const auto planned = [&] {
        QMap<int, QString> serials;
        QFile f(plan);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        for (const QJsonValue e : QJsonDocument::fromJson(f.readAll())[QStringLiteral("instruments")].toArray())
            serials.insert(e[QStringLiteral("address")].toInt(), e[QStringLiteral("serial")].toString());
        return serials;
    };
    EXPECT_EQ(planned().keys(), (QList<int>{0, 17, 42, 88, 120, 201, 239}));
    EXPECT_EQ(planned().value(17), QStringLiteral("07611002"));
    // State per address, as `line check --json` gives it.
    const auto check = [&](int expectedCode) {
        const CliRun run = cli({QStringLiteral("line"), QStringLiteral("check"), plan, QStringLiteral("--json")});
        EXPECT_EQ(run.code, expectedCode) << run.out.toStdString() << run.err.toStdString();
        // The plan's own files are loaded without their header on stderr for every instrument.
        EXPECT_FALSE(run.err.contains(QStringLiteral("Diese Datei laden?"))) << run.err.toStdString();
        QMap<int, QJsonObject> rows;
        for (const QString& line : run.out.split(u'\n', Qt::SkipEmptyParts)) {
            const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
            if (o.contains(QStringLiteral("address"))) rows.insert(o[QStringLiteral("address")].toInt(), o);
        }
        return rows;
    };
    const QMap<int, QJsonObject> clean = check(0);
    ASSERT_EQ(clean.size(), 7);
    for (const QJsonObject& row : clean)
        EXPECT_EQ(row[QStringLiteral("state")].toString(), QStringLiteral("gleich"));

    const auto edit = [&](int index, const std::function<void(QJsonObject&)>& change) {
        editInstrument(9, index, change);
    };
    const auto switchPoint = [&](int index) {
        return instrument(9, index)[QStringLiteral("outputs")].toArray()[0][QStringLiteral("on")].toDouble();
    };
    edit(3, [](QJsonObject& i) {
        QJsonArray outputs = i[QStringLiteral("outputs")].toArray();
        QJsonObject first = outputs[0].toObject();
        first[QStringLiteral("on")] = 750.0;
        outputs[0] = first;
        i[QStringLiteral("outputs")] = outputs;
    });
    const QMap<int, QJsonObject> changed = check(4);
    EXPECT_EQ(changed[88][QStringLiteral("state")].toString(), QStringLiteral("abweichend"));
    EXPECT_EQ(changed[88][QStringLiteral("differences")].toArray().size(), 1);
    EXPECT_EQ(changed[0][QStringLiteral("state")].toString(), QStringLiteral("gleich"));
    const CliRun fix = cli({QStringLiteral("line"), QStringLiteral("program"), plan});
    EXPECT_EQ(fix.code, 0) << fix.out.toStdString() << fix.err.toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("\\n\\s+88\\s+07811004\\s+programmiert und geprüft\\n"))
                    .match(fix.out)
                    .hasMatch())
        << fix.out.toStdString();
    EXPECT_EQ(switchPoint(3), 800.0);
    // Reading the line into the plan and programming it are in the archive, the checks are not.
    const CliRun history = cli({QStringLiteral("history"), QStringLiteral("--serial"), QStringLiteral("07811004")});
    EXPECT_EQ(history.out.count(QStringLiteral("Einlesen")), 1) << history.out.toStdString();
    EXPECT_EQ(history.out.count(QStringLiteral("Programmieren")), 1) << history.out.toStdString();

    // "Tank Ost" (17) swapped for a new one with another display range; "Druck Halle" (120)
    // swapped for one that came with address 50.
    edit(1, [](QJsonObject& i) {
        i[QStringLiteral("identity")] = QStringLiteral("0x07611099");
        i[QStringLiteral("display")] = QJsonObject{{QStringLiteral("low"), 0.0}, {QStringLiteral("high"), 400.0}};
    });
    edit(4, [](QJsonObject& i) {
        i[QStringLiteral("identity")] = QStringLiteral("0x07611098");
        i[QStringLiteral("address")] = 50;
    });
    const QMap<int, QJsonObject> swapped = check(4);
    EXPECT_EQ(swapped[17][QStringLiteral("state")].toString(), QStringLiteral("anderes Gerät"));
    EXPECT_EQ(swapped[17][QStringLiteral("replacement")].toString(), QStringLiteral("Als Ersatz für Tank Ost übernehmen"));
    EXPECT_EQ(swapped[120][QStringLiteral("state")].toString(), QStringLiteral("fehlt"));
    EXPECT_EQ(swapped[50][QStringLiteral("state")].toString(), QStringLiteral("nicht im Plan"));
    EXPECT_EQ(swapped[50][QStringLiteral("replacement")].toString(),
              QStringLiteral("Als Ersatz für Druck Halle übernehmen"));

    // Without --replace nothing is sent to either; with it both take their planned place.
    EXPECT_EQ(cli({QStringLiteral("line"), QStringLiteral("program"), plan}).code, 4);
    EXPECT_EQ(instrument(9, 1)[QStringLiteral("display")][QStringLiteral("high")].toDouble(), 400.0);
    EXPECT_EQ(planned().value(17), QStringLiteral("07611002"));
    const CliRun replaced = cli({QStringLiteral("line"), QStringLiteral("program"), plan, QStringLiteral("--replace")});
    EXPECT_EQ(replaced.code, 0) << replaced.out.toStdString() << replaced.err.toStdString();
    EXPECT_EQ(instrument(9, 1)[QStringLiteral("display")][QStringLiteral("high")].toDouble(), 1000.0);
    EXPECT_EQ(instrument(9, 4)[QStringLiteral("address")].toInt(), 120);
    EXPECT_EQ(planned().value(17), QStringLiteral("07611099"));
    EXPECT_EQ(planned().value(120), QStringLiteral("07611098"));
    EXPECT_EQ(planned().value(0), QStringLiteral("07811001"));
    EXPECT_EQ(check(0).size(), 7);
}

// line init writes a plan only of the whole line, and nothing through a link nobody saw: an empty
// port and an instrument falling silent after the scan leave no plan; links into another folder
// in the plan's place are named, and not written through even with --yes. A d20 file of the plan
// swapped for a pipe is refused by name, not waited on.
TEST_F(CliTest, LineInitWritesOnlyAWholeLineAndNothingThroughALinkOut) {
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("anlage")) &&
                QDir(dir.path()).mkdir(QStringLiteral("fremd")));
    const QString plan = path("anlage/plan.json");
    const auto init = [&](const char* port, bool yes) {
        QStringList args{QStringLiteral("line"), QStringLiteral("init"), QStringLiteral("--port"),
                         QLatin1String(port),    QStringLiteral("-o"),   plan};
        if (yes) args.append(QStringLiteral("--yes"));
        return cli(args);
    };
    const CliRun nobody = init("9", false);
    EXPECT_EQ(nobody.code, 1);
    EXPECT_TRUE(nobody.err.contains(QStringLiteral("Kein Gerät antwortet auf COM9")))
        << nobody.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(plan));

    const QString fremd = QFileInfo(path("fremd")).canonicalFilePath();
    ASSERT_TRUE(QFile::link(fremd + QStringLiteral("/plan.json"), plan));
    ASSERT_TRUE(QFile::link(fremd + QStringLiteral("/kessel.d20"), path("anlage/Adresse_002.d20")));
    const CliRun asked = init("8", false);
    EXPECT_EQ(asked.code, 3);
    EXPECT_TRUE(asked.err.contains(QStringLiteral("(Verweis auf %1/plan.json) besteht schon").arg(fremd)))
        << asked.err.toStdString();
    const CliRun yes = init("8", true);
    EXPECT_EQ(yes.code, 3);
    EXPECT_TRUE(yes.err.contains(QStringLiteral("Adresse_002.d20 (Verweis auf %1/kessel.d20)").arg(fremd)))
        << yes.err.toStdString();
    EXPECT_TRUE(QDir(fremd).isEmpty());
    ASSERT_TRUE(QFile::remove(plan) && QFile::remove(path("anlage/Adresse_002.d20")));

    // "Linie B" (address 2) answers the scan's poll and version query, then nothing more.
    const auto faults = [&](const QJsonArray& list) {
        editInstrument(7, 1, [&](QJsonObject& b) { b[QStringLiteral("faults")] = list; });
    };
    faults({QJsonObject{{QStringLiteral("command"), QStringLiteral("any")},
                        {QStringLiteral("after"), 2},
                        {QStringLiteral("status"), -2},
                        {QStringLiteral("count"), -1}}});
    const CliRun silent = init("8", false);
    EXPECT_EQ(silent.code, 1);
    EXPECT_TRUE(
        silent.err.contains(QStringLiteral("Adresse 2 antwortete bei der Suche, konnte aber nicht eingelesen "
                                           "werden: (Fehler -2)")))
        << silent.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(plan));

    faults({});
    const CliRun whole = init("8", true);
    ASSERT_EQ(whole.code, 0) << whole.err.toStdString();
    ASSERT_TRUE(QFile::remove(path("anlage/Adresse_002.d20")));
    ASSERT_EQ(mkfifo(path("anlage/Adresse_002.d20").toLocal8Bit().constData(), 0600), 0);
    const CliRun check = cli({QStringLiteral("line"), QStringLiteral("check"), plan});
    EXPECT_EQ(check.code, 3);
    EXPECT_TRUE(check.out.contains(QStringLiteral("Linie B: ")) &&
                check.out.contains(QStringLiteral("keine gewöhnliche Datei")))
        << check.out.toStdString();
}

// Ten readings of a ramp; the fifth poll goes unanswered and shows as a failure, not as a value,
// and polling goes on. An instrument that never answers a poll ends the watch with exit 1.
TEST_F(CliTest, WatchPrintsEveryReadingAndKeepsPollingPastAFailure) {
    const auto withPort1 = [this](const std::function<void(QJsonObject&)>& change) {
        QJsonObject r = roster();
        QJsonArray ports = r[QStringLiteral("ports")].toArray();
        QJsonObject port = ports[0].toObject();
        QJsonArray instruments = port[QStringLiteral("instruments")].toArray();
        QJsonObject i = instruments[0].toObject();
        change(i);
        instruments[0] = i;
        port[QStringLiteral("instruments")] = instruments;
        ports[0] = port;
        r[QStringLiteral("ports")] = ports;
        setRoster(r);
    };
    withPort1([](QJsonObject& i) {
        i[QStringLiteral("decimals")] = 1;
        i[QStringLiteral("signal")] = QJsonObject{
            {QStringLiteral("ramp"), QJsonObject{{QStringLiteral("from"), 0}, {QStringLiteral("to"), 1000},
                                                 {QStringLiteral("period"), 100}}}};
        i[QStringLiteral("faults")] = QJsonArray{QJsonObject{{QStringLiteral("fn"), QStringLiteral("GetMeasurement")},
                                                             {QStringLiteral("after"), 4},
                                                             {QStringLiteral("status"), -2},
                                                             {QStringLiteral("count"), 1}}};
    });
    const QMap<QString, QString> tenSecondsAPoll{{QStringLiteral("TRAXBUS_SIGNALSTEP"), QStringLiteral("10")}};
    const CliRun run = cli(QStringLiteral("watch --port 1 --address 1 --interval 0 --count 10 --separator , --csv")
                                   .split(u' ') << path("watch.csv"),
                           {}, tenSecondsAPoll);
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 10) << run.out.toStdString();
    const QRegularExpression shape(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}  (\\S+)  (.+)$"));
    QStringList values;
    for (const QString& line : lines) {
        const auto m = shape.match(line);
        ASSERT_TRUE(m.hasMatch()) << line.toStdString();
        values.append(m.captured(1) + u'|' + m.captured(2));
    }
    EXPECT_EQ(values, (QStringList{"0,0|ok", "100,0|ok", "200,0|ok", "300,0|ok",
                                   "–|(Fehler -2) Keine Antwort vom Gerät (Zeitüberschreitung)", "500,0|ok", "600,0|ok", "700,0|ok",
                                   "800,0|ok", "900,0|ok"}));
    const QList<QByteArray> csv = fileBytes(path("watch.csv")).split('\n');
    ASSERT_EQ(csv.size(), 12); // head, ten lines, nothing after the last CR LF
    EXPECT_EQ(csv[0], QByteArray("\xEF\xBB\xBFZeit;Wert;Status\r"));
    EXPECT_TRUE(csv[2].endsWith(";100,0;ok\r")) << csv[2].toStdString();
    EXPECT_TRUE(csv[5].endsWith(";;(Fehler -2) Keine Antwort vom Gerät (Zeitüberschreitung)\r")) << csv[5].toStdString();

    withPort1([](QJsonObject& i) {
        i[QStringLiteral("faults")] = QJsonArray{QJsonObject{{QStringLiteral("fn"), QStringLiteral("GetMeasurement")},
                                                             {QStringLiteral("status"), -2},
                                                             {QStringLiteral("count"), -1}}};
    });
    const CliRun quiet = cli(QStringLiteral("watch --port 1 --interval 0 --count 3 --json").split(u' '));
    EXPECT_EQ(quiet.code, 1);
    const QStringList objects = quiet.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_GE(objects.size(), 3) << quiet.out.toStdString();
    const QJsonObject reading = QJsonDocument::fromJson(objects[0].toUtf8()).object();
    EXPECT_EQ(reading[QStringLiteral("status")].toInt(), -2);
    EXPECT_TRUE(reading[QStringLiteral("value")].isNull());

    // Address 0 is polled as given: on the line of port 10 asking the bus would find several.
    const CliRun zero = cli(QStringLiteral("watch --port 10 --address 0 --count 1").split(u' '));
    EXPECT_EQ(zero.code, 0) << zero.err.toStdString();
}
