#include "bus/Identification.h"
#include "bus/BusConstants.h"
#include "support/ScriptedBus.h"

#include <gtest/gtest.h>

namespace {

constexpr int32_t kTrkIdentity = 0x07812345;
constexpr int32_t kDvn500Identity = 0x07654321;
constexpr int32_t kDvn20Identity = 0x07900042;

const QString kMismatchCaption = QStringLiteral("Gerätefehler aufgetreten");
const QString kOldFirmwareHint = QStringLiteral(
    "Angeschlossenes Gerät ist Version 1.6.\nBitte darauf achten den richtigen Typen auszuwählen.\n"
    "Fehler -38 kann auftreten wenn statt TRK520 TRK520 -XAO gewählt wurde");
const QString kMismatchError = QStringLiteral("(Fehler -9256)Gerät passt nicht");

// An instrument on the scripted bus, described by what it answers.
struct Instrument {
    int32_t identity = kTrkIdentity;
    double firmware = 23.1;
    std::optional<int32_t> features = 0; // nullopt: the parameter is unknown (-38)
    std::optional<int32_t> options = 0;
    std::optional<int32_t> switching1 = 0;
};

struct Identification : ::testing::Test {
    ScriptedBus bus;
    RecordingPrompter prompter;
    MainWindowModel model;
    bus::Operands ops;

    Identification() {
        bus.load();
        bus.errorTexts.insert(bus::status::DeviceMismatch, QStringLiteral("Gerät passt nicht"));
        bus.typeNames = {{kFamilyDvn500, QStringLiteral("DVN 500")},
                         {kFamilyTrk520, QStringLiteral("TRK 520")},
                         {kFamilyDvn20, QStringLiteral("DVN 20 TB")}};
        model.busAddress = 7;
    }

    void attach(const Instrument& i) {
        bus.on(bus::cmd::ReadIdentity, 0, {}, i.identity, -1);
        bus.on(bus::cmd::ReadVersion, 0, i.firmware, {}, -1);
        auto word = [&](int p, std::optional<int32_t> v) {
            bus.onParam(p, v ? 0 : bus::status::UnknownParameter, v, -1);
        };
        word(bus::param::Features, i.features);
        word(bus::param::Options, i.options);
        word(bus::param::SwitchFunction1, i.switching1);
    }

    // Checks the instrument against a model as the readout does: item, flags, feature word.
    int16_t check(ModelId id) {
        for (MenuItem& item : model.modelItems)
            item.checked = false;
        model.modelItem(id).checked = true;
        const ModelEntry& e = catalogue::entry(id);
        model.hasCurrentOutput = e.hasCurrentOutput;
        model.hasVoltageOutput = e.hasVoltageOutput;
        bus::buildExpectedFeatures(model);
        bus.calls.clear();
        prompter.shown.clear();
        return bus::checkConnectedDevice(bus, prompter, model, e.family, ops);
    }

    QStringList commands() const {
        QStringList out;
        for (const auto& c : bus.transmits())
            out.append(c.command == bus::cmd::Parameter ? QStringLiteral("248:%1").arg(c.valueIn)
                                                        : QString::number(c.command));
        return out;
    }
};

const QStringList kAllWords{QStringLiteral("12"), QStringLiteral("254"), QStringLiteral("248:38"),
                            QStringLiteral("248:39"), QStringLiteral("248:18")};

} // namespace

TEST_F(Identification, ExpectedFeaturesFollowTheCheckedModel) {
    auto features = [&](ModelId id) {
        for (MenuItem& item : model.modelItems)
            item.checked = false;
        model.modelItem(id).checked = true;
        bus::buildExpectedFeatures(model);
        return model.expectedFeatures;
    };
    EXPECT_EQ(features(ModelId::DVN20TB), 0);
    EXPECT_EQ(features(ModelId::TRK520), 0);
    EXPECT_EQ(features(ModelId::DVN500XAO), 0x0004);
    EXPECT_EQ(features(ModelId::TRK520XAOV), 0x8000);
    EXPECT_EQ(features(ModelId::TRK520PID), 0x0010);
    EXPECT_EQ(features(ModelId::TRK520PIDXAO), 0x0014);
    // The two continuous-output models share a model code; the checked item tells them apart.
    EXPECT_EQ(features(ModelId::TRK520PID_StetigA), 0x0034);
    EXPECT_EQ(features(ModelId::TRK520PID_StetigV), 0x8030);
    for (MenuItem& item : model.modelItems)
        item.checked = false;
    bus::buildExpectedFeatures(model);
    EXPECT_EQ(model.expectedFeatures, 0);
}

TEST_F(Identification, Dvn20PassesOnIdentityAndVersionAlone) {
    attach({kDvn20Identity, 1.4});
    EXPECT_EQ(check(ModelId::DVN20TB), 0);
    EXPECT_EQ(commands(), (QStringList{QStringLiteral("12"), QStringLiteral("254")}));
    EXPECT_TRUE(prompter.shown.isEmpty());
    EXPECT_DOUBLE_EQ(model.deviceVersion, 1.4);
    for (const auto& c : bus.transmits())
        EXPECT_EQ(c.address, 7);
}

TEST_F(Identification, OperandsArePresetBeforeIdentityAndVersion) {
    attach({kDvn500Identity, 23.0});
    ops = {3, 5.5, 99};
    check(ModelId::DVN500);
    const auto t = bus.transmits();
    ASSERT_GE(t.size(), 2);
    EXPECT_EQ(t[0].integerIn, 0);
    EXPECT_EQ(t[1].integerIn, 0);
    EXPECT_EQ(t[1].valueIn, 0.0);
}

TEST_F(Identification, MatchingInstrumentsOfEachFamilyPass) {
    struct Case {
        ModelId model;
        Instrument instrument;
        bool analog, pidOption, pidActive;
    } cases[] = {
        {ModelId::DVN500, {kDvn500Identity, 23.0}, false, false, false},
        // Instruments with an analog output carry the option bit too.
        {ModelId::DVN500XAOV, {kDvn500Identity, 23.0, 0x8000, 0x20}, true, true, false},
        {ModelId::TRK520, {kTrkIdentity, 23.1}, false, false, false},
        {ModelId::TRK520XAO, {kTrkIdentity, 23.1, 0x0004, 0x20}, true, true, false},
        {ModelId::TRK520PID, {kTrkIdentity, 23.1, 0, 0x20, 0x10}, false, true, true},
        {ModelId::TRK520PIDXAOV, {kTrkIdentity, 23.1, 0x8000, 0x20, 0x10}, true, true, true},
        {ModelId::TRK520PID_StetigA, {kTrkIdentity, 23.1, 0x0004, 0x20, 0x30}, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(catalogue::entry(c.model).designation);
        bus = ScriptedBus();
        bus.load();
        attach(c.instrument);
        EXPECT_EQ(check(c.model), 0);
        EXPECT_TRUE(prompter.shown.isEmpty()) << prompter.texts().join(QLatin1Char('|')).toStdString();
        EXPECT_FALSE(model.deviceMismatch);
        EXPECT_EQ(model.deviceHasAnalogOutput, c.analog);
        EXPECT_EQ(model.deviceHasPidOption, c.pidOption);
        EXPECT_EQ(model.devicePidActive, c.pidActive);
    }
}

TEST_F(Identification, WrongFamilyNamesBothTypesWhenTheLibraryKnowsThem) {
    attach({kDvn500Identity});
    EXPECT_EQ(check(ModelId::TRK520), bus::status::DeviceMismatch);
    EXPECT_TRUE(model.deviceMismatch);
    EXPECT_EQ(commands(), QStringList{QStringLiteral("12")});
    EXPECT_EQ(prompter.texts(),
              (QStringList{QStringLiteral("Falsches Gerät angeschlossen!\nEs ist ein DVN 500 "
                                          "angeschlossen.\nAusgewählt wurde aber ein TRK 520."),
                           kMismatchError}));
    EXPECT_EQ(prompter.captions(), (QStringList{kMismatchCaption, QStringLiteral("Fehler")}));
    for (const auto& s : prompter.shown) {
        EXPECT_EQ(s.message.icon, Prompter::Icon::None);
        EXPECT_EQ(s.message.buttons, QList<Prompter::Button>{Prompter::Button::Ok});
    }
    // GetType is asked for the whole identity word, then for the selected family.
    QList<int32_t> asked;
    for (const auto& c : bus.calls)
        if (c.fn == QLatin1String("GetType")) asked.append(c.integerIn);
    EXPECT_EQ(asked, (QList<int32_t>{kDvn500Identity, kFamilyTrk520}));
}

TEST_F(Identification, WrongFamilyVariantsWhenTheLibraryLacksANameOrTheFamilyIsForeign) {
    bus.typeNames.clear();
    attach({kDvn500Identity});
    check(ModelId::TRK520);
    EXPECT_EQ(prompter.texts(),
              (QStringList{QStringLiteral("Falsches Gerät angeschlossen!\n"), kMismatchError}));

    bus = ScriptedBus();
    bus.load();
    bus.errorTexts.insert(bus::status::DeviceMismatch, QStringLiteral("Gerät passt nicht"));
    attach({0x07A00001});
    check(ModelId::DVN20TB);
    EXPECT_EQ(prompter.texts(),
              (QStringList{QStringLiteral("Nicht unterstütztes Gerät angeschlossen!\nEs ist ein "
                                          "unbekanntes Gerät angeschlossen."),
                           kMismatchError}));

    bus.typeNames.insert(0x07A00000, QStringLiteral("XR 7"));
    check(ModelId::DVN20TB);
    EXPECT_EQ(prompter.texts(),
              (QStringList{QStringLiteral("Nicht unterstütztes Gerät angeschlossen!\nEs ist ein XR 7 "
                                          "angeschlossen.\nDieses Gerät wird nicht von diesem "
                                          "Programm unterstützt."),
                           kMismatchError}));
    EXPECT_TRUE(model.deviceMismatch);
}

TEST_F(Identification, OldFirmwarePassesWithAHintButRefusesPidModels) {
    attach({kTrkIdentity, 22.4});
    EXPECT_EQ(check(ModelId::TRK520), 0);
    EXPECT_EQ(commands(), (QStringList{QStringLiteral("12"), QStringLiteral("254")}));
    EXPECT_EQ(prompter.texts(), QStringList{kOldFirmwareHint});
    EXPECT_EQ(prompter.captions(), QStringList{QStringLiteral("Hinweis")});
    EXPECT_FALSE(model.deviceMismatch);
    EXPECT_DOUBLE_EQ(model.deviceVersion, 22.4);

    for (ModelId pid : {ModelId::TRK520PID, ModelId::TRK520PID_StetigV}) {
        EXPECT_EQ(check(pid), bus::status::DeviceMismatch);
        EXPECT_TRUE(model.deviceMismatch);
        EXPECT_EQ(
            prompter.texts(),
            (QStringList{kOldFirmwareHint,
                         QStringLiteral("Angeschlossenes Gerät hat keine erweiterten Regelfunktionen!\n"
                                        "Geräteversion zu alt, nicht unterstützt!\nNeues Gerät anschliessen "
                                        "oder ohne PID Option auswählen."),
                         kMismatchError}));
        EXPECT_EQ(prompter.captions()[1], kMismatchCaption);
    }
}

TEST_F(Identification, PidFunctionMustMatchTheModel) {
    // Active PID on an instrument selected without it.
    attach({kTrkIdentity, 23.1, 0, 0x20, 0x10});
    EXPECT_EQ(check(ModelId::TRK520), bus::status::DeviceMismatch);
    EXPECT_EQ(commands(), kAllWords);
    EXPECT_EQ(prompter.texts(), (QStringList{QStringLiteral("PID-Regelfunktion im Gerät vorhanden!\nBitte "
                                                            "entsprechendes Gerät auswählen/anstecken."),
                                             kMismatchError}));

    // Option present but switched off.
    bus = ScriptedBus();
    bus.load();
    bus.errorTexts.insert(bus::status::DeviceMismatch, QStringLiteral("Gerät passt nicht"));
    attach({kTrkIdentity, 23.1, 0, 0x20, 0x01});
    EXPECT_EQ(check(ModelId::TRK520PID), bus::status::DeviceMismatch);
    EXPECT_EQ(prompter.texts().value(0),
              QStringLiteral("PID-Regelfunktion im Gerät deaktiviert!\nAktivieren oder "
                             "Gerät ohne PID-Funktion auswählen"));

    // No option at all: switching function 1 is not even read.
    bus = ScriptedBus();
    bus.load();
    attach({kTrkIdentity, 23.1, 0, 0, 0x10});
    EXPECT_EQ(check(ModelId::TRK520PID), bus::status::DeviceMismatch);
    EXPECT_EQ(commands(), kAllWords.mid(0, 4));
    EXPECT_EQ(prompter.texts().value(0), QStringLiteral("PID-Regelfunktion vom Gerät nicht unterstützt!"));
    EXPECT_FALSE(model.devicePidActive);
}

TEST_F(Identification, AnalogOutputMustMatchTheModel) {
    const QString noAnalog = QStringLiteral("Gerät besitzt keinen analog Ausgang!");
    const QString unexpectedAnalog =
        QStringLiteral("Analog-Ausgang im Gerät vorhanden!\nBitte entsprechendes Gerät auswählen/anstecken.");
    const QString current = QStringLiteral(
        "Angeschlossenes Gerät besitzt einen Strom-Ausgang!\nBitte Gerät mit Strom-Normsignal auswählen.");
    const QString voltage = QStringLiteral("Angeschlossenes Gerät besitzt einen Spannungs-Ausgang!\nBitte "
                                           "Gerät mit Spannungs-Normsignal auswählen.");
    struct Case {
        int32_t features;
        int32_t options;
        ModelId model;
        QStringList texts;
    } cases[] = {
        {0, 0, ModelId::TRK520XAO, {noAnalog}},
        {0x0004, 0x20, ModelId::TRK520, {current}},
        {0x0004, 0x20, ModelId::TRK520XAOV, {current}},
        {0x8000, 0x20, ModelId::DVN500XAO, {voltage}},
        // Both bits: the voltage output counts.
        {0x8004, 0x20, ModelId::TRK520XAO, {voltage}},
        // Without the option bit an analog instrument is not one of the analog models.
        {0x0004, 0, ModelId::TRK520, {unexpectedAnalog, current}},
        {0x0004, 0, ModelId::TRK520XAO, {unexpectedAnalog}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(catalogue::entry(c.model).designation);
        bus = ScriptedBus();
        bus.load();
        bus.errorTexts.insert(bus::status::DeviceMismatch, QStringLiteral("Gerät passt nicht"));
        attach({catalogue::entry(c.model).family, 23.0, c.features, c.options});
        EXPECT_EQ(check(c.model), bus::status::DeviceMismatch);
        EXPECT_EQ(prompter.texts(), c.texts + QStringList{kMismatchError});
    }
}

TEST_F(Identification, EveryFailingRuleIsReportedInTurn) {
    // A plain relay instrument selected as a PID model with current output.
    attach({kTrkIdentity, 23.1, 0, 0, 0});
    EXPECT_EQ(check(ModelId::TRK520PIDXAO), bus::status::DeviceMismatch);
    EXPECT_EQ(prompter.texts(), (QStringList{QStringLiteral("Gerät besitzt keinen analog Ausgang!"),
                                             QStringLiteral("PID-Regelfunktion vom Gerät nicht unterstützt!"),
                                             kMismatchError}));

    // A continuous-output instrument selected as plain PID: only its current output differs.
    bus = ScriptedBus();
    bus.load();
    bus.errorTexts.insert(bus::status::DeviceMismatch, QStringLiteral("Gerät passt nicht"));
    attach({kTrkIdentity, 23.1, 0x0004, 0x20, 0x30});
    EXPECT_EQ(check(ModelId::TRK520PID), bus::status::DeviceMismatch);
    EXPECT_EQ(
        prompter.texts(),
        (QStringList{QStringLiteral("Angeschlossenes Gerät besitzt einen Strom-Ausgang!\nBitte Gerät mit "
                                    "Strom-Normsignal auswählen."),
                     kMismatchError}));
}

TEST_F(Identification, RelayOnlyInstrumentIsANoticeAndALaterCheckClearsIt) {
    attach({kTrkIdentity, 23.1, 0x20});
    EXPECT_EQ(check(ModelId::TRK520), 0);
    EXPECT_TRUE(model.deviceRelayOnly);
    EXPECT_FALSE(model.deviceMismatch);
    EXPECT_EQ(prompter.texts(),
              QStringList{QStringLiteral("Angeschlossenes Gerät besitzt nur einen Relais-Ausgang!")});
    EXPECT_EQ(prompter.captions(), QStringList{QStringLiteral("Hinweis")});

    bus = ScriptedBus();
    bus.load();
    attach({kTrkIdentity, 23.1, 0});
    EXPECT_EQ(check(ModelId::TRK520), 0);
    EXPECT_FALSE(model.deviceRelayOnly);
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(Identification, UnknownWordsReadAsCleared) {
    attach({kTrkIdentity, 23.1, std::nullopt, std::nullopt});
    EXPECT_EQ(check(ModelId::TRK520), 0);
    EXPECT_EQ(commands(), kAllWords.mid(0, 4));
    EXPECT_TRUE(prompter.shown.isEmpty());

    // An unknown switching function word is an inactive PID function.
    bus = ScriptedBus();
    bus.load();
    attach({kTrkIdentity, 23.1, 0, 0x20, std::nullopt});
    EXPECT_EQ(check(ModelId::TRK520PID), bus::status::DeviceMismatch);
    EXPECT_TRUE(model.deviceHasPidOption);
    EXPECT_FALSE(model.devicePidActive);
    EXPECT_EQ(prompter.texts().value(0),
              QStringLiteral("PID-Regelfunktion im Gerät deaktiviert!\nAktivieren oder "
                             "Gerät ohne PID-Funktion auswählen"));

    // The answer to an unknown word is not taken, whatever the library left in the integer.
    bus = ScriptedBus();
    bus.load();
    ScriptedBus::Answer unknown;
    unknown.command = bus::cmd::Parameter;
    unknown.parameter = 38.0;
    unknown.status = bus::status::UnknownParameter;
    unknown.integer = 0x20;
    unknown.times = -1;
    bus.add(unknown);
    attach({kTrkIdentity, 23.1});
    EXPECT_EQ(check(ModelId::TRK520), 0);
    EXPECT_FALSE(model.deviceRelayOnly);
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(Identification, BusFailuresEndWithTheLibraryErrorAndClearTheFlags) {
    bus.errorTexts.insert(-20, QStringLiteral("Keine Antwort"));
    model.deviceMismatch = model.deviceRelayOnly = model.deviceHasAnalogOutput = model.deviceHasPidOption =
        model.devicePidActive = true;
    bus.on(bus::cmd::ReadIdentity, -20);
    EXPECT_EQ(check(ModelId::TRK520), -20);
    EXPECT_EQ(commands(), QStringList{QStringLiteral("12")});
    EXPECT_EQ(prompter.texts(), QStringList{QStringLiteral("(Fehler -20)Keine Antwort")});
    EXPECT_EQ(prompter.captions(), QStringList{QStringLiteral("Fehler")});
    EXPECT_FALSE(model.deviceMismatch || model.deviceRelayOnly || model.deviceHasAnalogOutput ||
                 model.deviceHasPidOption || model.devicePidActive);

    // The version is kept whatever the status; an unanswered version is no old instrument.
    bus = ScriptedBus();
    bus.load();
    bus.errorTexts.insert(-20, QStringLiteral("Keine Antwort"));
    bus.on(bus::cmd::ReadIdentity, 0, {}, kTrkIdentity).on(bus::cmd::ReadVersion, -20, 21.0);
    EXPECT_EQ(check(ModelId::TRK520PID), -20);
    EXPECT_DOUBLE_EQ(model.deviceVersion, 21.0);
    EXPECT_EQ(prompter.texts(), QStringList{QStringLiteral("(Fehler -20)Keine Antwort")});
    EXPECT_FALSE(model.deviceMismatch);

    // A word that cannot be read is not compared.
    bus = ScriptedBus();
    bus.load();
    bus.errorTexts.insert(-20, QStringLiteral("Keine Antwort"));
    bus.onParam(bus::param::Options, -20);
    attach({kTrkIdentity, 23.1, 0x0004});
    EXPECT_EQ(check(ModelId::TRK520), -20);
    EXPECT_EQ(commands(), kAllWords.mid(0, 4));
    EXPECT_EQ(prompter.texts(), QStringList{QStringLiteral("(Fehler -20)Keine Antwort")});
    EXPECT_FALSE(model.deviceMismatch);
}
