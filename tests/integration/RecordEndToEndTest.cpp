// Readout and programming through the real bus library, recorded in the instrument record:
// the question before programming, the read-back after it, and the entries they leave.

#include "LiveBus.h"

#include "app/ArchiveWindow.h"
#include "app/FieldList.h"
#include "bus/BusPort.h"
#include "record/InstrumentRecord.h"
#include "tools/AddressWindow.h"
#include "tools/DeviceNameWindow.h"

#include <gtest/gtest.h>

#include <QProcess>

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
    w->prompter.textAnswers = {QStringLiteral("  Abnahme   Kessel 2 ")};
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

    // The instrument changed behind the program's back: it now answers that write but keeps its
    // own value. Reading back names the field; the record keeps what the instrument holds.
    setFault(s.port, QJsonObject{{QStringLiteral("command"), 193},
                                 {QStringLiteral("status"), 0},
                                 {QStringLiteral("count"), -1}});
    w->type(*changed, "77");
    w->handlers->miKonfigurationprogrammieren1Click();
    ASSERT_GE(w->handlers->lastBusStatus(), 0);
    const MainHandlers::Verification& back = w->handlers->lastVerification();
    ASSERT_TRUE(back.done) << back.failure.toStdString();
    ASSERT_EQ(back.differences.size(), 1);
    EXPECT_EQ(back.differences[0].label, edit[0].label);
    EXPECT_EQ(w->prompter.shown.last().message.caption, QStringLiteral("Prüfung nach dem Programmieren"));
    EXPECT_TRUE(w->m.StatusBar1.panels[2].contains(QStringLiteral("1 Abweichung beim Zurücklesen")));

    w->handlers->Konfigurationlesen1Click();
    const QList<RecordEntry> history = record.history(serial);
    ASSERT_EQ(history.size(), 4);
    EXPECT_EQ(history[3].event, RecordEntry::Event::Readout);
    EXPECT_TRUE(history[3].changes.isEmpty());
    EXPECT_EQ(history[2].event, RecordEntry::Event::Programming);
    ASSERT_EQ(history[2].changes.size(), edit.size());
    for (int i = 0; i < edit.size(); ++i)
        EXPECT_EQ(history[2].changes[i], (RecordChange{edit[i].group, edit[i].label, edit[i].a, edit[i].b}));
    EXPECT_EQ(history[2].verification, QStringLiteral("geprüft, keine Abweichungen"));
    // The reason typed once is offered again for the next programming of the session.
    EXPECT_EQ(history[2].reason, QStringLiteral("Abnahme Kessel 2"));
    EXPECT_EQ(history[1].reason, QStringLiteral("Abnahme Kessel 2"));
    EXPECT_TRUE(history[0].reason.isEmpty());
    EXPECT_TRUE(history[1].verification.startsWith(QStringLiteral("1 Abweichung beim"))) << history[1].verification.toStdString();
    // Read again: the programming's entry already holds the value the instrument kept, so the
    // readout changes nothing against it.
    EXPECT_EQ(history[0].event, RecordEntry::Event::Readout);
    EXPECT_TRUE(history[0].changes.isEmpty());
    EXPECT_TRUE(reports.isEmpty());

    // "Nein" to the question writes nothing and records nothing.
    setInstrument(s.port, QStringLiteral("faults"), QJsonArray{});
    w->type(*changed, "55");
    w->prompter.script = {Prompter::Button::No};
    w->handlers->miKonfigurationprogrammieren1Click();
    EXPECT_LT(w->handlers->lastBusStatus(), 0);
    EXPECT_EQ(record.history(serial).size(), 4);
    EXPECT_TRUE(w->prompter.shown.last().message.text.contains(QStringLiteral(" | 55"))) << w->prompter.shown.last().message.text.toStdString();

    // A read-back that could not run is never taken for a clean one.
    setFault(s.port, QJsonObject{{QStringLiteral("command"), 42}, {QStringLiteral("status"), -2}, {QStringLiteral("count"), -1}});
    w->handlers->miKonfigurationprogrammieren1Click();
    ASSERT_GE(w->handlers->lastBusStatus(), 0) << w->m.StatusBar1.panels[2].toStdString();
    EXPECT_FALSE(w->handlers->lastVerification().done);
    EXPECT_TRUE(w->m.StatusBar1.panels[2].contains(QStringLiteral("nicht zurückgelesen"))) << w->m.StatusBar1.panels[2].toStdString();
    EXPECT_TRUE(record.history(serial).first().verification.startsWith(QStringLiteral("nicht zurückgelesen")));
}

// The window and trkdvn-cli write one record at the same time: every readout of both is in it.
TEST_F(LiveBus, WindowAndCommandLineRecordingAtOnceLoseNothing) {
    const Scenario& s = kScenarios[0];
    createRoster();
    const QString file = dir.filePath(QStringLiteral("archiv.sqlite"));
    InstrumentRecord record(file, {});
    settings(s);
    Window w(iniPath(), dir.path(), sep, nullptr, {}, nullptr, &record);
    w.model(s.model);

    constexpr int kRuns = 3;
    QList<QProcess*> cli;
    for (int i = 0; i < kRuns; ++i) {
        auto* p = new QProcess;
        p->start(libraryFolder() + QStringLiteral("/trkdvn-cli"),
                 {QStringLiteral("read"), QStringLiteral("--port"), QString::number(s.port), QStringLiteral("--library"),
                  libraryFolder(), QStringLiteral("--archive"), file, QStringLiteral("--converter"), QStringLiteral("6")});
        cli.append(p);
    }
    for (int i = 0; i < kRuns; ++i) {
        w.handlers->Konfigurationlesen1Click();
        ASSERT_GE(w.handlers->lastBusStatus(), 0);
    }
    for (QProcess* p : cli) {
        EXPECT_TRUE(p->waitForFinished(60000));
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
        delete p;
    }
    EXPECT_EQ(record.pending(), 0);
    const QList<RecordedInstrument> instruments = record.instruments();
    ASSERT_EQ(instruments.size(), 1);
    EXPECT_EQ(instruments[0].entries, 2 * kRuns);
}

// The address and the name given in the tool windows and by trkdvn-cli: one entry per change,
// naming the old and the new value, the rest (model, configuration) as the instrument had it.
TEST_F(LiveBus, AddressAndNameChangesAreRecordedOnePerInstrument) {
    const Scenario& s = kScenarios[0];
    createRoster();
    const QString file = dir.filePath(QStringLiteral("archiv.sqlite"));
    InstrumentRecord record(file, {});
    settings(s);
    Window w(iniPath(), dir.path(), sep, nullptr, {}, nullptr, &record);
    w.model(s.model);
    w.handlers->Konfigurationlesen1Click();
    ASSERT_GE(w.handlers->lastBusStatus(), 0) << w.m.StatusBar1.panels[2].toStdString();
    const QString serial = record.instruments().value(0).serial;
    const RecordEntry readout = record.history(serial).value(0);
    const int from = w.m.busAddress;
    const int to = from == 17 ? 18 : 17;

    w.prompter.onModal = [to](ModalWindow& mw) {
        if (qstrcmp(mw.windowClass(), "Tf_AdresseSetzen") == 0) {
            auto& a = static_cast<AddressWindow&>(mw);
            a.b_InformationenClick();
            a.eAdresseEdited(QString::number(to));
            a.b_AdresseSetzenClick();
        } else {
            auto& n = static_cast<DeviceNameWindow&>(mw);
            n.b_InformationenClick();
            n.Edit1Edited(QStringLiteral("Kessel 7"));
            n.b_NamenAendernClick();
        }
    };
    w.handlers->MainMenueExtrasAdresseSetzenClick();
    ASSERT_EQ(w.m.busAddress, to);
    w.handlers->mmExtras_GeraeteNamenZuweisenClick();

    QProcess cli;
    cli.start(libraryFolder() + QStringLiteral("/trkdvn-cli"),
              {QStringLiteral("rename"), QStringLiteral("--port"), QString::number(s.port), QStringLiteral("--name"),
               QStringLiteral("Kessel 8"), QStringLiteral("--library"), libraryFolder(), QStringLiteral("--archive"),
               file, QStringLiteral("--converter"), QStringLiteral("6")});
    ASSERT_TRUE(cli.waitForFinished(60000));
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();

    const QList<RecordEntry> history = record.history(serial);
    ASSERT_EQ(history.size(), 4);
    const RecordEntry& moved = history[2];
    EXPECT_EQ(moved.event, RecordEntry::Event::AddressChange);
    EXPECT_EQ(moved.changes, (QList<RecordChange>{{QStringLiteral("Gerät"), QStringLiteral("Busadresse"),
                                                   QString::number(from), QString::number(to)}}));
    EXPECT_EQ(moved.address, to);
    EXPECT_EQ(moved.model, readout.model);
    EXPECT_EQ(moved.configuration, readout.configuration);
    EXPECT_EQ(history[1].event, RecordEntry::Event::NameChange);
    EXPECT_EQ(history[1].name, QStringLiteral("Kessel 7"));
    ASSERT_EQ(history[1].changes.size(), 1);
    EXPECT_EQ(history[1].changes[0].after, QStringLiteral("Kessel 7"));
    EXPECT_EQ(history[0].changes[0].before, QStringLiteral("Kessel 7"));
    EXPECT_EQ(history[0].changes[0].after, QStringLiteral("Kessel 8"));
    EXPECT_EQ(history[0].address, to);
}

// The record cannot be written: the window says so once, and reading and programming go on.
TEST_F(LiveBus, ArchiveThatCannotBeWrittenStopsNoWork) {
    const Scenario& s = kScenarios[0];
    createRoster();
    // A folder that is a regular file stops root as well.
    const QString folder = dir.filePath(QStringLiteral("daten"));
    QFile(folder).open(QIODevice::WriteOnly);
    QStringList reports;
    InstrumentRecord record(folder + QStringLiteral("/archiv.sqlite"),
                            [&reports](const QString& text) { reports.append(text); });
    settings(s);
    Window w(iniPath(), dir.path(), sep, nullptr, {}, nullptr, &record);
    w.model(s.model);
    w.handlers->Konfigurationlesen1Click();
    ASSERT_GE(w.handlers->lastBusStatus(), 0);
    EXPECT_TRUE(w.m.StatusBar1.panels[2].contains(QStringLiteral("nicht im Gerätearchiv gespeichert")));
    w.type(w.m.neAnzeigeHigh, "123");
    w.handlers->miKonfigurationprogrammieren1Click();
    ASSERT_GE(w.handlers->lastBusStatus(), 0) << w.m.StatusBar1.panels[2].toStdString();
    EXPECT_TRUE(w.m.StatusBar1.panels[2].contains(QStringLiteral("nicht im Gerätearchiv gespeichert")));
    ASSERT_EQ(reports.size(), 1) << reports.join(u'\n').toStdString();
    EXPECT_TRUE(reports[0].contains(QStringLiteral("kann nicht geschrieben werden"))) << reports[0].toStdString();
    EXPECT_EQ(record.pending(), 2);
    // The sheet still signs for the run that the record could not keep.
    EXPECT_NE(w.handlers->programmingShown(), nullptr);
}

// The archive against the instrument's real state: a programmed value the instrument does not
// keep stands in the entry as the instrument holds it (what was meant beside it), and the next
// programming asks against that. Programming another instrument than the window was read from
// asks even when the archive has never seen it, and "Abbrechen" at the reason writes nothing.
// An address change of an instrument never read holds no configuration to load or save.
TEST_F(LiveBus, ArchiveKeepsWhatTheInstrumentHoldsAndGuardsAnotherInstrument) {
    const Scenario& s = kScenarios[0];
    createRoster();
    // A second instrument of the same kind at address 2 of the port, with a range of its own.
    const auto instrumentAt = [this](int address) {
        QFile f(rosterPath());
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        for (const QJsonValue& port : QJsonDocument::fromJson(f.readAll())[QStringLiteral("ports")].toArray())
            for (const QJsonValue& i : port[QStringLiteral("instruments")].toArray())
                if (port[QStringLiteral("port")].toInt() == s.port &&
                    i[QStringLiteral("address")].toInt() == address)
                    return i.toObject();
        return QJsonObject();
    };
    {
        QJsonObject other = instrumentAt(1);
        other[QStringLiteral("identity")] = QStringLiteral("0x07810199");
        other[QStringLiteral("address")] = 2;
        other[QStringLiteral("display")] =
            QJsonObject{{QStringLiteral("low"), 0.0}, {QStringLiteral("high"), 400.0}};
        QFile f(rosterPath());
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        QJsonObject roster = QJsonDocument::fromJson(f.readAll()).object();
        QJsonArray ports = roster[QStringLiteral("ports")].toArray();
        QJsonObject port = ports[0].toObject();
        ASSERT_EQ(port[QStringLiteral("port")].toInt(), s.port);
        QJsonArray list = port[QStringLiteral("instruments")].toArray();
        list.append(other);
        port[QStringLiteral("instruments")] = list;
        ports[0] = port;
        roster[QStringLiteral("ports")] = ports;
        f.resize(0);
        f.write(QJsonDocument(roster).toJson());
    }
    const QString file = dir.filePath(QStringLiteral("archiv.sqlite"));
    InstrumentRecord record(file, {});
    settings(s);
    Window w(iniPath(), dir.path(), sep, nullptr, {}, nullptr, &record);
    w.model(s.model);
    w.m.busAddress = 1;
    w.m.addressChosen = true;
    w.handlers->Konfigurationlesen1Click();
    ASSERT_GE(w.handlers->lastBusStatus(), 0) << w.m.StatusBar1.panels[2].toStdString();
    const QString serial = record.instruments().value(0).serial;

    // The instrument answers a new upper display end but keeps its own.
    setFault(s.port, QJsonObject{{QStringLiteral("command"), 193},
                                 {QStringLiteral("status"), 0},
                                 {QStringLiteral("count"), -1}});
    w.type(w.m.neAnzeigeHigh, "123");
    w.handlers->miKonfigurationprogrammieren1Click();
    ASSERT_GE(w.handlers->lastBusStatus(), 0) << w.m.StatusBar1.panels[2].toStdString();
    const MainHandlers::Verification back = w.handlers->lastVerification();
    ASSERT_TRUE(back.done) << back.failure.toStdString();
    ASSERT_EQ(back.differences.size(), 1);
    const FieldDifference& kept = back.differences[0]; // a: meant, b: held
    const RecordEntry programmed = record.latest(serial).value_or(RecordEntry{});
    ASSERT_EQ(programmed.event, RecordEntry::Event::Programming);
    EXPECT_TRUE(differences(w.handlers->recordedFields(programmed.configuration), back.heldFields).isEmpty());
    EXPECT_TRUE(differences(w.handlers->recordedFields(programmed.intended), shownFields(w.m)).isEmpty());
    EXPECT_EQ(programmed.deviations, (QList<RecordChange>{{kept.group, kept.label, kept.a, kept.b}}));
    // Programming the same window again asks against what the instrument holds.
    w.prompter.shown.clear();
    w.prompter.script = {Prompter::Button::No};
    w.handlers->miKonfigurationprogrammieren1Click();
    ASSERT_FALSE(w.prompter.shown.isEmpty());
    EXPECT_EQ(w.prompter.shown[0].message.caption, QStringLiteral("Programmieren?"));
    EXPECT_TRUE(w.prompter.shown[0].message.text.contains(
        QStringLiteral("%1 | %2 | %3 | %4").arg(kept.group, kept.label, kept.b, kept.a)))
        << w.prompter.shown[0].message.text.toStdString();

    // The window, read from the first instrument, goes to the second, which the archive never saw.
    const QJsonObject untouched = instrumentAt(2);
    w.m.busAddress = 2;
    w.prompter.shown.clear();
    w.prompter.textQuestions.clear();
    w.prompter.script = {Prompter::Button::Yes};
    w.prompter.textCancels = 1;
    w.handlers->miKonfigurationprogrammieren1Click();
    ASSERT_EQ(w.prompter.shown.size(), 1) << w.prompter.texts().join(u'\n').toStdString();
    const Prompter::Message& other = w.prompter.shown[0].message;
    EXPECT_EQ(other.caption, QStringLiteral("Programmieren?"));
    EXPECT_EQ(other.icon, Prompter::Icon::Warning);
    EXPECT_EQ(other.defaultButton, Prompter::Button::No);
    EXPECT_TRUE(other.text.contains(QStringLiteral("07810199"))) << other.text.toStdString();
    EXPECT_EQ(w.prompter.textQuestions, QStringList{QStringLiteral("Grund der Änderung")});
    EXPECT_LT(w.handlers->lastBusStatus(), 0);
    EXPECT_EQ(instrumentAt(2), untouched) << "written after Abbrechen";
    EXPECT_EQ(record.instruments().size(), 1);

    // Its address changed before it was ever read: nothing to load into the window or save.
    QProcess cli;
    const auto run = [&cli, &file](QStringList args) {
        cli.start(libraryFolder() + QStringLiteral("/trkdvn-cli"),
                  args << QStringLiteral("--archive") << file);
        EXPECT_TRUE(cli.waitForFinished(60000));
        return cli.exitCode();
    };
    ASSERT_EQ(run({QStringLiteral("set-address"), QStringLiteral("--port"), QString::number(s.port),
                   QStringLiteral("--address"), QStringLiteral("2"), QStringLiteral("--to"),
                   QStringLiteral("3"), QStringLiteral("--library"), libraryFolder(),
                   QStringLiteral("--converter"), QStringLiteral("6")}),
              0)
        << cli.readAllStandardError().toStdString();
    ArchiveWindow archive(record, *w.handlers);
    ASSERT_EQ(archive.instruments.size(), 2);
    archive.instrumentClick(archive.instruments[0].serial == serial ? 1 : 0);
    ASSERT_EQ(archive.entries.size(), 1);
    EXPECT_FALSE(archive.b_Laden.enabled);
    EXPECT_FALSE(archive.b_Speichern.enabled);
    EXPECT_TRUE(archive.l_Meldung.caption.contains(QStringLiteral("enthält keine Konfiguration")))
        << archive.l_Meldung.caption.toStdString();
    const QString saved = dir.filePath(QStringLiteral("gut.d20"));
    {
        QFile good(saved);
        ASSERT_TRUE(good.open(QIODevice::WriteOnly));
        good.write("gut");
    }
    EXPECT_EQ(run({QStringLiteral("history"), QStringLiteral("show"), QString::number(archive.entries[0].id),
                   QStringLiteral("-o"), saved}),
              3);
    EXPECT_TRUE(QString::fromUtf8(cli.readAllStandardError())
                    .contains(QStringLiteral("enthält keine Konfiguration")));
    QFile good(saved);
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    EXPECT_EQ(good.readAll(), "gut");
}

// An instrument that falls silent in the middle of the writes leaves its run open in the archive,
// and a whole programming afterwards settles it.
TEST_F(LiveBus, ARunBrokenOffOnTheBusStaysOpenUntilAWholeOne) {
    const Scenario& s = kScenarios[0];
    createRoster();
    InstrumentRecord record(dir.filePath(QStringLiteral("archiv.sqlite")), {});
    settings(s);
    Window w(iniPath(), dir.path(), sep, nullptr, {}, nullptr, &record);
    w.model(s.model);
    w.handlers->Konfigurationlesen1Click();
    ASSERT_GE(w.handlers->lastBusStatus(), 0);
    const QString serial = bus::serialText(w.m.deviceIdentity);
    silenceAfter(s.port, 20);
    w.handlers->miKonfigurationprogrammieren1Click();
    ASSERT_LT(w.handlers->lastBusStatus(), 0);
    ASSERT_EQ(record.unsettled(serial).size(), 1);
    EXPECT_FALSE(record.unsettled(serial).first().target.isEmpty());
    setInstrument(s.port, QStringLiteral("faults"), QJsonArray{});
    w.handlers->miKonfigurationprogrammieren1Click();
    ASSERT_GE(w.handlers->lastBusStatus(), 0) << w.m.StatusBar1.panels[2].toStdString();
    EXPECT_TRUE(record.unsettled(serial).isEmpty());
}
