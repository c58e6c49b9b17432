#include "bus/BusCommands.h"
#include "bus/BusConstants.h"
#include "bus/BusPort.h"
#include "bus/ExtendedTransfer.h"
#include "bus/Identification.h"
#include "bus/LibraryBinding.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Readable failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

const QString kMismatchCaption = QStringLiteral("Gerätefehler aufgetreten");

QString libraryFolder() {
    return QStringLiteral(TRAXBUS_LIBDIR);
}

// The built bus library in front of the default roster, written afresh for every test.
struct EndToEnd : ::testing::Test {
    QTemporaryDir dir;
    LibraryBinding library{{libraryFolder()}};
    RecordingPrompter prompter;
    ManualClock clock;
    MainWindowModel model;

    EndToEnd() {
        qputenv("TRAXBUS_SIM", dir.filePath(QStringLiteral("roster.json")).toLocal8Bit());
        qputenv("TRAXBUS_TRACE", tracePath().toLocal8Bit());
    }
    ~EndToEnd() override {
        library.unload();
        qunsetenv("TRAXBUS_SIM");
        qunsetenv("TRAXBUS_TRACE");
    }
    void SetUp() override { ASSERT_TRUE(library.load()) << library.loadError().toStdString(); }

    QString tracePath() const { return dir.filePath(QStringLiteral("trace.jsonl")); }

    void select(ModelId id) {
        for (MenuItem& item : model.modelItems)
            item.checked = false;
        model.modelItem(id).checked = true;
        model.hasCurrentOutput = catalogue::entry(id).hasCurrentOutput;
        model.hasVoltageOutput = catalogue::entry(id).hasVoltageOutput;
    }

    // Opens the port and asks the bus for the address, as the readout does.
    void open(int port) {
        QFile::remove(tracePath());
        prompter.shown.clear();
        ASSERT_EQ(bus::openBusPort(library, static_cast<int16_t>(port), 0, clock), 0);
        bus::Operands ops;
        model.busAddress = -1;
        ASSERT_EQ(bus::queryAddress(library, bus::kAddressQueryRead, ops, model.busAddress), 0);
    }

    // Identifies the instrument on `port` against a model, as readout and programming do.
    int16_t identify(int port, ModelId id) {
        select(id);
        open(port);
        bus::Operands ops;
        bus::buildExpectedFeatures(model);
        const int16_t status =
            bus::checkConnectedDevice(library, prompter, model, catalogue::entry(id).family, ops);
        library.TBCloseCom();
        return status;
    }

    // The TBTransmit lines of the trace as "address:command:value=status".
    QStringList transmits() const {
        QFile file(tracePath());
        if (!file.open(QIODevice::ReadOnly)) return {};
        QStringList out;
        while (!file.atEnd()) {
            const QJsonObject line = QJsonDocument::fromJson(file.readLine()).object();
            if (line.value(QStringLiteral("fn")).toString() != QLatin1String("TBTransmit")) continue;
            const QJsonObject in = line.value(QStringLiteral("in")).toObject();
            out.append(QStringLiteral("%1:%2:%3=%4")
                           .arg(in.value(QStringLiteral("address")).toInt())
                           .arg(in.value(QStringLiteral("command")).toInt())
                           .arg(in.value(QStringLiteral("value")).toDouble())
                           .arg(line.value(QStringLiteral("status")).toInt()));
        }
        return out;
    }
};

QStringList identification(const QStringList& words) {
    QStringList out{QStringLiteral("255:14:0=0"), QStringLiteral("1:12:0=0"), QStringLiteral("1:254:0=0")};
    for (const QString& w : words)
        out.append(QStringLiteral("1:248:%1").arg(w));
    return out;
}

} // namespace

TEST_F(EndToEnd, EachDefaultInstrumentPassesAsItsOwnModel) {
    struct Case {
        int port;
        ModelId model;
        QStringList words;
    } cases[] = {
        {1, ModelId::TRK520PID, {QStringLiteral("38=0"), QStringLiteral("39=0"), QStringLiteral("18=0")}},
        {3, ModelId::TRK520XAO, {QStringLiteral("38=0"), QStringLiteral("39=0"), QStringLiteral("18=0")}},
        {4, ModelId::DVN500XAOV, {QStringLiteral("38=0"), QStringLiteral("39=0"), QStringLiteral("18=0")}},
        {5, ModelId::DVN20TB, {}},
        {7,
         ModelId::TRK520PID_StetigA,
         {QStringLiteral("38=0"), QStringLiteral("39=0"), QStringLiteral("18=0")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.port);
        EXPECT_EQ(identify(c.port, c.model), 0);
        EXPECT_TRUE(prompter.shown.isEmpty()) << prompter.texts().join(QLatin1Char('|')).toStdString();
        EXPECT_FALSE(model.deviceMismatch);
        EXPECT_EQ(transmits(), identification(c.words));
    }
    EXPECT_TRUE(model.devicePidActive); // the continuous-output controller on port 7
    EXPECT_TRUE(model.deviceHasAnalogOutput);
}

TEST_F(EndToEnd, OldFirmwareGetsTheHintAndRefusesPid) {
    EXPECT_EQ(identify(2, ModelId::TRK520), 0);
    EXPECT_EQ(transmits(), identification({}));
    EXPECT_EQ(prompter.captions(), QStringList{QStringLiteral("Hinweis")});
    EXPECT_DOUBLE_EQ(model.deviceVersion, 22.4);

    EXPECT_EQ(identify(2, ModelId::TRK520PID), bus::status::DeviceMismatch);
    ASSERT_EQ(prompter.shown.size(), 3);
    EXPECT_TRUE(
        prompter.texts()[1].startsWith(QStringLiteral("Angeschlossenes Gerät hat keine erweiterten")));
    EXPECT_TRUE(prompter.texts()[2].startsWith(QStringLiteral("(Fehler -9256)")));
    EXPECT_EQ(prompter.captions()[2], QStringLiteral("Fehler"));
}

TEST_F(EndToEnd, MismatchesAreExplainedWithTheLibrarysTypeNames) {
    EXPECT_EQ(identify(4, ModelId::TRK520), bus::status::DeviceMismatch);
    EXPECT_EQ(transmits(), (QStringList{QStringLiteral("255:14:0=0"), QStringLiteral("1:12:0=0")}));
    ASSERT_EQ(prompter.shown.size(), 2);
    EXPECT_EQ(prompter.texts()[0], QStringLiteral("Falsches Gerät angeschlossen!\nEs ist ein DVN 500 "
                                                  "angeschlossen.\nAusgewählt wurde aber ein TRK 520."));
    EXPECT_EQ(prompter.captions()[0], kMismatchCaption);

    EXPECT_EQ(identify(1, ModelId::TRK520), bus::status::DeviceMismatch);
    EXPECT_EQ(prompter.texts().value(0), QStringLiteral("PID-Regelfunktion im Gerät vorhanden!\nBitte "
                                                        "entsprechendes Gerät auswählen/anstecken."));

    EXPECT_EQ(identify(3, ModelId::TRK520), bus::status::DeviceMismatch);
    EXPECT_EQ(prompter.texts().value(0),
              QStringLiteral("Angeschlossenes Gerät besitzt einen Strom-Ausgang!\nBitte "
                             "Gerät mit Strom-Normsignal auswählen."));

    EXPECT_EQ(identify(7, ModelId::TRK520PIDXAOV), bus::status::DeviceMismatch);
    EXPECT_EQ(prompter.texts().value(0),
              QStringLiteral("Angeschlossenes Gerät besitzt einen Strom-Ausgang!\nBitte "
                             "Gerät mit Strom-Normsignal auswählen."));
    EXPECT_TRUE(model.deviceMismatch);
}

TEST_F(EndToEnd, RelayOnlyInstrumentIsNotedAndForgottenByTheNextCheck) {
    EXPECT_EQ(identify(6, ModelId::TRK520), 0);
    EXPECT_TRUE(model.deviceRelayOnly);
    EXPECT_EQ(prompter.texts(),
              QStringList{QStringLiteral("Angeschlossenes Gerät besitzt nur einen Relais-Ausgang!")});

    EXPECT_EQ(identify(1, ModelId::TRK520PID), 0);
    EXPECT_FALSE(model.deviceRelayOnly);
}

TEST_F(EndToEnd, AnUnknownFeatureWordCountsAsCleared) {
    // Create the default roster, then make the relay-only instrument refuse parameter 38.
    ASSERT_EQ(bus::openBusPort(library, 6, 0, clock), 0);
    library.TBCloseCom();
    QFile file(dir.filePath(QStringLiteral("roster.json")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QJsonObject roster = QJsonDocument::fromJson(file.readAll()).object();
    file.close();
    QJsonArray ports = roster.value(QStringLiteral("ports")).toArray();
    for (QJsonValueRef portRef : ports) {
        QJsonObject port = portRef.toObject();
        if (port.value(QStringLiteral("port")).toInt() != 6) continue;
        QJsonArray instruments = port.value(QStringLiteral("instruments")).toArray();
        QJsonObject relay = instruments.at(0).toObject();
        relay.insert(QStringLiteral("faults"), QJsonArray{QJsonObject{{QStringLiteral("command"), 248},
                                                                      {QStringLiteral("p"), 38},
                                                                      {QStringLiteral("status"), -38},
                                                                      {QStringLiteral("count"), -1}}});
        instruments.replace(0, relay);
        port.insert(QStringLiteral("instruments"), instruments);
        portRef = port;
    }
    roster.insert(QStringLiteral("ports"), ports);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QJsonDocument(roster).toJson());
    file.close();

    EXPECT_EQ(identify(6, ModelId::TRK520), 0);
    EXPECT_EQ(transmits(), identification({QStringLiteral("38=-38"), QStringLiteral("39=0")}));
    EXPECT_FALSE(model.deviceRelayOnly);
    EXPECT_TRUE(prompter.shown.isEmpty()) << prompter.texts().join(QLatin1Char('|')).toStdString();
}

TEST_F(EndToEnd, NoInstrumentIsALibraryError) {
    select(ModelId::TRK520);
    ASSERT_EQ(bus::openBusPort(library, 9, 0, clock), 0);
    model.busAddress = 1;
    bus::Operands ops;
    bus::buildExpectedFeatures(model);
    const int16_t status = bus::checkConnectedDevice(library, prompter, model, kFamilyTrk520, ops);
    library.TBCloseCom();
    EXPECT_LT(status, 0);
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(prompter.texts()[0], bus::errorText(library, status));
    EXPECT_GT(prompter.texts()[0].size(), QStringLiteral("(Fehler %1)").arg(status).size());
}

TEST_F(EndToEnd, ExtendedWordsWrittenInOneSessionAreReadInTheNext) {
    open(3);
    model.e_erw_Allgemein.text = QStringLiteral("1");
    model.e_erw_Alarm.text = QStringLiteral("6");
    model.e_erw_Schaltfunktion1.text = QStringLiteral("2");
    model.e_erw_Schaltfunktion2.text = QStringLiteral("008");
    bus::aErweiterteKonfigurationSchreiben(library, model);
    library.TBCloseCom();
    EXPECT_FALSE(model.extendedConfigWriteMismatch);
    const QStringList sent = transmits();
    ASSERT_GE(sent.size(), 9);
    EXPECT_EQ(sent.mid(2, 5), (QStringList{QStringLiteral("1:248:291=0"), QStringLiteral("1:248:284=0"),
                                           QStringLiteral("1:248:274=0"), QStringLiteral("1:248:279=0"),
                                           QStringLiteral("1:241:279=0")}));
    // The instrument is quiet for a poll after its restart.
    EXPECT_EQ(sent.mid(7, 2), (QStringList{QStringLiteral("1:12:279=-2"), QStringLiteral("1:12:279=0")}));

    library.load();
    MainWindowModel next;
    ASSERT_EQ(bus::openBusPort(library, 3, 0, clock), 0);
    bus::aErweiterteKonfigurationEinlesen(library, next);
    library.TBCloseCom();
    EXPECT_EQ(
        (QStringList{next.e_erw_Allgemein.text, next.e_erw_Alarm.text, next.e_erw_Schaltfunktion1.text,
                     next.e_erw_Schaltfunktion2.text}),
        (QStringList{QStringLiteral("1"), QStringLiteral("6"), QStringLiteral("2"), QStringLiteral("8")}));
}
