#include "BusRunFixture.h"

#include "bus/RawValue.h"

#include <cmath>
#include <functional>
#include <limits>

namespace {

namespace cmd = bus::cmd;

constexpr int16_t kUnknown = bus::status::UnknownParameter;

const char* const kSettings = "254 248:0 248:1 204 201 200 248:8 248:9 177 176 248:10 202";

std::vector<std::string> seq(std::initializer_list<const char*> parts) {
    std::vector<std::string> out;
    for (const char* p : parts) {
        const auto more = cmds(p);
        out.insert(out.end(), more.begin(), more.end());
    }
    return out;
}

struct Readout_ : BusRunFixture {
    // A TRK 520 family instrument showing 0 to 100,0 on a 0 - 10 V input.
    void voltageInput(int32_t outputFunction) {
        params({{0, 0}, {1, 0}, {8, 1}, {9, 50}, {10, 1}, {11, outputFunction}});
        integers({{cmd::ReadDecimals, 1}, {cmd::ReadUnit, 1}});
        values({{cmd::ReadDisplayHigh, 100.0},
                {cmd::ReadDisplayLow, 0.0},
                {cmd::ReadRangeHigh, 1000.0},
                {cmd::ReadRangeLow, 0.0}});
    }
};

} // namespace

// --- Sequences per family and output function ------------------------------------------------------

TEST_F(Readout_, Dvn20TbReadsItsOwnParameterTable) {
    f.actions.selectModel(ModelId::DVN20TB);
    attach(kDvn20, 21.2);
    params({{0, 0},  {1, 0},    {5, 1},    {7, 9999}, {6, -500}, {8, 2},    {9, 50}, {4, 2000},
            {3, 10}, {10, 4},   {2, 2},    {11, 2},   {15, 900}, {16, 850}, {17, 5}, {18, 1},
            {19, 1}, {20, 100}, {21, 150}, {22, 120}, {23, 2},   {24, 1}});
    EXPECT_EQ(readout(), 0);
    EXPECT_EQ(commands(), seq({"12 254", "248:0 248:1 248:5 248:7 248:6 248:8 248:9 248:4 248:3 248:10 248:2",
                               "248:11 248:15 248:16 248:17 248:18 248:19 248:20 248:21 248:22 248:23 248:24",
                               "12 254"}));
    const auto& m = f.model;
    EXPECT_EQ(m.cpAnzeigeDp.itemIndex, 1);
    EXPECT_EQ(m.neAnzeigeHigh.text, QStringLiteral("999,9"));
    EXPECT_EQ(m.neAnzeigeLow.text, QStringLiteral("-50,0"));
    EXPECT_EQ(m.cbLimit.itemIndex, 2);
    EXPECT_EQ(m.neFilter.text, QStringLiteral("0,50"));
    EXPECT_EQ(m.cbAnzeigeUnit.itemIndex, 1); // code 2 is the second item
    EXPECT_EQ(m.rgOutput.itemIndex, 2);
    EXPECT_TRUE(m.gpOut1Parameter.visible && m.gpOut2Parameter.visible);
    EXPECT_EQ(m.neOut1Einschaltpunkt.text, QStringLiteral("90,0"));
    EXPECT_EQ(m.neOut1Delay.text, QStringLiteral("0,05"));
    EXPECT_EQ(m.cbOut1Mode.itemIndex, 1);
    EXPECT_EQ(m.neOut2Ausschaltpunkt.text, QStringLiteral("15,0"));
    EXPECT_EQ(m.neOut2Delay.text, QStringLiteral("1,20"));
    EXPECT_EQ(m.cbOut2Mode.itemIndex, 2);
    EXPECT_EQ(m.cbOut2Vorzugslage.itemIndex, 1);
    EXPECT_EQ(panel(), QStringLiteral("DVN 20 TB Seriennummer: 07910505, Version: 21,2."));
    EXPECT_TRUE(f.prompter.shown.isEmpty());
    // The port is closed, the library stays loaded.
    EXPECT_EQ(bus.calls.last().fn, QStringLiteral("TBCloseCom"));
    EXPECT_TRUE(bus.isLoaded());
}

TEST_F(Readout_, Dvn500AnalogModelReadsNoOutputFunctionButTheAnalogOutput) {
    f.actions.selectModel(ModelId::DVN500XAO);
    attach(kDvn500, 23.0, 0x0004, 0x20, 0);
    params({{0, 1}, {1, 0}, {8, 0}, {9, 0}, {10, 1}, {25, 1}, {26, 5}, {13, 1000}, {12, -20}, {14, 1}});
    integers({{cmd::ReadDecimals, 1}, {cmd::ReadUnit, 1}});
    values({{cmd::ReadDisplayHigh, 100.0}, {cmd::ReadDisplayLow, -10.0}});
    EXPECT_EQ(readout(), 0);
    EXPECT_EQ(commands(), seq({"12 254 248:38 248:39 248:18", kSettings, "248:25 248:26 248:13 248:12 248:14",
                               "12 254"}));
    const auto& m = f.model;
    EXPECT_EQ(m.rgInput.itemIndex, 1);
    EXPECT_EQ(m.cbStromAusgang.itemIndex, 1);
    EXPECT_EQ(m.neDAFilter.text, QStringLiteral("5"));
    EXPECT_EQ(m.neDAC_High.text, QStringLiteral("100,0"));
    EXPECT_EQ(m.neDAC_Low.text, QStringLiteral("-2,0"));
    EXPECT_EQ(m.cbAnalogOut1Vorzugslage.itemIndex, 1);
}

TEST_F(Readout_, Trk520ThreePointControllerReadsBothSwitchingOutputsCallByCall) {
    f.actions.selectModel(ModelId::TRK520);
    attach(kTrk, 23.1);
    voltageInput(2);
    params({{18, 0}, {23, 0}});
    integers({{cmd::ReadPreferredState, 1}, {cmd::ReadPreferredState, 0}});
    values({{cmd::ReadOnPoint, 30.0},
            {cmd::ReadOffPoint, 25.5},
            {cmd::ReadDelay, 0.5},
            {cmd::ReadOnPoint, 10.0},
            {cmd::ReadOffPoint, 15.0},
            {cmd::ReadDelay, 1.5}});
    EXPECT_EQ(readout(), 0);
    // Output 1 carries index 0, output 2 index 1; the preferred state takes it as the value.
    EXPECT_EQ(trace(cmd::ReadOnPoint),
              (std::vector<std::string>{call(42, 0, 0), call(44, 0, 0), call(50, 0, 0), readP(18),
                                        call(52, 0, 0), call(42, 0, 1), call(44, 0, 1), call(50, 0, 1),
                                        call(52, 1, 0), readP(23), call(12, 0, 0), call(254, 0, 0)}));
    const auto& m = f.model;
    EXPECT_EQ(m.neOut1Einschaltpunkt.text, QStringLiteral("30,0"));
    EXPECT_EQ(m.neOut1Ausschaltpunkt.text, QStringLiteral("25,5"));
    EXPECT_EQ(m.neOut1Delay.text, QStringLiteral("0,50"));
    EXPECT_EQ(m.cbOut1Vorzugslage.itemIndex, 1);
    EXPECT_EQ(m.neOut2Einschaltpunkt.text, QStringLiteral("10,0"));
    EXPECT_EQ(m.neOut2Delay.text, QStringLiteral("1,50"));
    EXPECT_EQ(m.cbOut2Vorzugslage.itemIndex, 0);
    EXPECT_EQ(m.teFilter.text, QStringLiteral("0,50"));
    EXPECT_EQ(panel(), QStringLiteral("TRK 520 Seriennummer: 07810101, Version: 23,1."));
}

TEST_F(Readout_, AlarmFunctionsReadTheAlarmLimitsIntoOutput2) {
    struct Case {
        int32_t code;
        const char* blocks;
        bool output1;
    } cases[] = {
        {4, "23 22 248:27", false},
        {5, "23 22 248:27", false},
        // "2 Punkt Regler mit Alarm" drives output 1 too: its points are read as they are written.
        {3, "42 44 50 248:18 52 23 22 248:27", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        reset();
        f.actions.selectModel(ModelId::TRK520);
        attach(kTrk, 23.1);
        voltageInput(c.code);
        values({{cmd::ReadOnPoint, 40.0},
                {cmd::ReadOffPoint, 20.0},
                {cmd::ReadDelay, 0.2},
                {cmd::ReadAlarmMax, 90.0},
                {cmd::ReadAlarmMin, 10.0}});
        params({{27, 30}});
        EXPECT_EQ(readout(), 0);
        EXPECT_EQ(commands(), seq({"12 254 248:38 248:39", kSettings, "248:11", c.blocks, "12 254"}));
        const auto& m = f.model;
        EXPECT_EQ(m.gpOut2Parameter.caption, QStringLiteral("Alarmausgang"));
        EXPECT_EQ(m.neOut2Einschaltpunkt.text, QStringLiteral("90,0"));
        EXPECT_EQ(m.neOut2Ausschaltpunkt.text, QStringLiteral("10,0"));
        EXPECT_EQ(m.neOut2Delay.text, QStringLiteral("30"));
        EXPECT_EQ(m.gpOut1Parameter.visible, c.output1);
        if (c.output1) {
            EXPECT_EQ(m.neOut1Einschaltpunkt.text, QStringLiteral("40,0"));
        }
    }
}

TEST_F(Readout_, ShortListShowsCode4AtPosition2AndReadsAlarmAnalogAndController) {
    f.actions.selectModel(ModelId::TRK520PIDXAO);
    attach(kTrk, 23.1, 0x0004, 0x20, 0x10);
    voltageInput(4);
    params({{27, 5},
            {25, 0},
            {26, 10},
            {13, 800},
            {12, 100},
            {14, 0},
            {19, 1},
            {22, 0},
            {24, 0},
            {16, 0},
            {17, 20},
            {15, 60}});
    values({{cmd::ReadAlarmMax, 80.0},
            {cmd::ReadAlarmMin, 5.0},
            {cmd::ReadOnPoint, 50.0},
            {cmd::ReadOffPoint, 2.5}});
    EXPECT_EQ(readout(), 0);
    EXPECT_EQ(commands(), seq({"12 254 248:38 248:39 248:18", kSettings, "248:11 23 22 248:27",
                               "248:25 248:26 248:13 248:12 248:14",
                               "42 44 248:19 248:22 248:24 248:16 248:17 248:15 52", "12 254"}));
    const auto& m = f.model;
    EXPECT_EQ(m.rgOutput.itemIndex, 2);
    EXPECT_EQ(m.rgOutput.selectedText(), QStringLiteral("Alarmfunktion gemeinsam"));
    EXPECT_EQ(m.neOut2Einschaltpunkt.text, QStringLiteral("80,0"));
    EXPECT_EQ(m.neDAC_High.text, QStringLiteral("80,0"));
    EXPECT_EQ(m.neDAC_Low.text, QStringLiteral("10,0"));
    // With an alarm function the controller group offers no function.
    EXPECT_FALSE(m.gpPIDRegler.visible);
}

TEST_F(Readout_, ActivePidWithThreePointStepFillsTheControllerGroup) {
    f.actions.selectModel(ModelId::TRK520PID);
    attach(kTrk, 23.1, 0, 0x20, 0x10);
    voltageInput(1);
    params({{18, 0}, {23, 0}, {19, 2}, {22, 55}, {24, 1200}, {16, 30}, {17, 25}, {15, 120}});
    // Output 1 and 2 points first, then set point 2000 (above the display) and band 0.
    values({{cmd::ReadOnPoint, 30.0},
            {cmd::ReadOffPoint, 20.0},
            {cmd::ReadDelay, 0.1},
            {cmd::ReadOnPoint, 1.0},
            {cmd::ReadOffPoint, 1.0},
            {cmd::ReadDelay, 0.1},
            {cmd::ReadOnPoint, 2000.0},
            {cmd::ReadOffPoint, 0.0}});
    integers({{cmd::ReadPreferredState, 0}, {cmd::ReadPreferredState, 0}, {cmd::ReadPreferredState, 1}});
    EXPECT_EQ(readout(), 0);
    EXPECT_EQ(commands(),
              seq({"12 254 248:38 248:39 248:18", kSettings, "248:11", "42 44 50 248:18 52",
                   "42 44 50 52 248:23", "42 44 248:19 248:22 248:24 248:16 248:17 248:15 52", "12 254"}));
    const auto& m = f.model;
    EXPECT_EQ(m.rgReglerFunktion.itemIndex, 2);
    EXPECT_TRUE(m.gpPIDRegler.visible);
    EXPECT_EQ(m.gpPIDRegler.caption, QStringLiteral("3-Punkt-Schritt-Regler heizen"));
    EXPECT_EQ(m.nePID_SP1.text, QStringLiteral("100,0"));        // held to the display range
    EXPECT_EQ(m.nePID_Proportional.text, QStringLiteral("0,1")); // at least one count
    EXPECT_EQ(m.nePIDthr.text, QStringLiteral("5,5"));
    EXPECT_EQ(m.nePIDdur.text, QStringLiteral("120,0"));
    EXPECT_EQ(m.nePID_Derivation.text, QStringLiteral("30"));
    EXPECT_EQ(m.nePID_CyC.text, QStringLiteral("2,5"));
    EXPECT_EQ(m.ne_PIDIntegral.text, QStringLiteral("120"));
    EXPECT_EQ(m.cbPID_Vorzugslage.itemIndex, 1);
}

TEST_F(Readout_, ControllerBlockNeedsActivePidAndAnOutputFunction) {
    struct Case {
        int32_t switching1, outputFunction;
        const char* tail;
    } cases[] = {
        {0x10, 0, "12 254"}, // output function "no"
        {0x10, 1,
         "42 44 50 248:18 52 42 44 50 52 248:23 42 44 248:19 248:22 248:24 248:16 248:17 248:15 52 12 254"},
    };
    for (const Case& c : cases) {
        reset();
        f.actions.selectModel(ModelId::TRK520PID);
        attach(kTrk, 23.1, 0, 0x20, c.switching1);
        voltageInput(c.outputFunction);
        readout();
        EXPECT_EQ(commands(), seq({"12 254 248:38 248:39 248:18", kSettings, "248:11", c.tail}));
    }
}

TEST_F(Readout_, OlderFirmwareReadsThePreferredStatesAsParameters) {
    f.actions.selectModel(ModelId::TRK520);
    attach(kTrk, 22.4);
    voltageInput(2);
    params({{18, 0}, {19, 1}, {24, 1}, {23, 0}});
    EXPECT_EQ(readout(), 0);
    EXPECT_EQ(commands(),
              seq({"12 254", kSettings, "248:11 42 44 50 248:18 248:19 42 44 50 248:24 248:23", "12 254"}));
    EXPECT_EQ(f.model.cbOut1Vorzugslage.itemIndex, 1);
    EXPECT_EQ(f.model.cbOut2Vorzugslage.itemIndex, 1);
    EXPECT_EQ(f.prompter.captions(), QStringList{QStringLiteral("Hinweis")}); // the version hint only
}

TEST_F(Readout_, RelayOnlyInstrumentLeavesOutput2Untouched) {
    f.actions.selectModel(ModelId::TRK520);
    attach(kTrk, 23.2, 0x0020);
    voltageInput(2);
    f.model.neOut2Einschaltpunkt.text = QStringLiteral("77");
    EXPECT_EQ(readout(), 0);
    EXPECT_EQ(commands(), seq({"12 254 248:38 248:39", kSettings, "248:11 42 44 50 248:18 52", "12 254"}));
    EXPECT_TRUE(f.model.deviceRelayOnly);
    EXPECT_EQ(f.model.neOut2Einschaltpunkt.text, QStringLiteral("77,0"));
}

// --- Tolerated and untolerated -38 ----------------------------------------------------------------

// -38 ("parameter unknown") injected at one read after another: where the step tolerates it the
// run goes on to the identity read, elsewhere it ends right there and is reported.
TEST_F(Readout_, UnknownParameterIsToleratedExactlyWhereTheStepSaysSo) {
    struct Case {
        ModelId model;
        double firmware;
        int32_t outputFunction;
        const char*
            at; // "command" or "248:p", optionally "#n" for the n-th such read after the identification
        bool goesOn;
    } cases[] = {
        // Settings and output function: -38 is taken (or not) but ends the run.
        {ModelId::TRK520PID, 23.1, 2, "248:0", false},
        {ModelId::TRK520PID, 23.1, 2, "248:1", false},
        {ModelId::TRK520PID, 23.1, 2, "204", false},
        {ModelId::TRK520PID, 23.1, 2, "201", false},
        {ModelId::TRK520PID, 23.1, 2, "200", false},
        {ModelId::TRK520PID, 23.1, 2, "248:8", false},
        {ModelId::TRK520PID, 23.1, 2, "248:9", false},
        {ModelId::TRK520PID, 23.1, 2, "177", false},
        {ModelId::TRK520PID, 23.1, 2, "176", false},
        {ModelId::TRK520PID, 23.1, 2, "248:10", false},
        {ModelId::TRK520PID, 23.1, 2, "202", false},
        {ModelId::TRK520PID, 23.1, 2, "248:11", false},
        // Both switching outputs and the controller: the run goes on.
        {ModelId::TRK520PID, 23.1, 2, "42", true},
        {ModelId::TRK520PID, 23.1, 2, "44", true},
        {ModelId::TRK520PID, 23.1, 2, "50", true},
        {ModelId::TRK520PID, 23.1, 2, "248:18", true},
        {ModelId::TRK520PID, 23.1, 2, "52", true},
        {ModelId::TRK520PID, 23.1, 2, "42#1", true},
        {ModelId::TRK520PID, 23.1, 2, "44#1", true},
        {ModelId::TRK520PID, 23.1, 2, "50#1", true},
        {ModelId::TRK520PID, 23.1, 2, "52#1", true},
        {ModelId::TRK520PID, 23.1, 2, "248:23", true},
        {ModelId::TRK520PID, 23.1, 2, "42#2", true},
        {ModelId::TRK520PID, 23.1, 2, "44#2", true},
        {ModelId::TRK520PID, 23.1, 2, "248:19", true},
        {ModelId::TRK520PID, 23.1, 2, "248:22", true},
        {ModelId::TRK520PID, 23.1, 2, "248:24", true},
        {ModelId::TRK520PID, 23.1, 2, "248:16", true},
        {ModelId::TRK520PID, 23.1, 2, "248:17", true},
        {ModelId::TRK520PID, 23.1, 2, "248:15", true},
        {ModelId::TRK520PID, 23.1, 2, "52#2", true},
        // Older firmware: the preferred states as parameters.
        {ModelId::TRK520, 22.4, 2, "248:19", true},
        {ModelId::TRK520, 22.4, 2, "248:24", true},
        // Alarm limits and delay are not tolerated.
        {ModelId::TRK520, 23.1, 4, "23", false},
        {ModelId::TRK520, 23.1, 4, "22", false},
        {ModelId::TRK520, 23.1, 4, "248:27", false},
        // Analog range and filter may be unknown before firmware 23 only.
        {ModelId::TRK520XAO, 23.1, 0, "248:25", false},
        {ModelId::TRK520XAO, 23.1, 0, "248:26", false},
        {ModelId::TRK520XAO, 22.4, 0, "248:25", true},
        {ModelId::TRK520XAO, 22.4, 0, "248:26", true},
        {ModelId::TRK520XAO, 23.1, 0, "248:13", false},
        {ModelId::TRK520XAO, 23.1, 0, "248:12", false},
        {ModelId::TRK520XAO, 23.1, 0, "248:14", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.at) + " on " + catalogue::entry(c.model).designation + " " +
                     std::to_string(c.firmware));
        reset();
        f.actions.selectModel(c.model);
        attachTrkFor(c.model, c.firmware);
        // The n-th read of the command (after the identification) answers -38.
        failAt(c.at, kUnknown);
        bus.onParam(11, 0, c.outputFunction);

        const int16_t status = readout();
        const auto sent = commands();
        if (c.goesOn) {
            EXPECT_EQ(status, 0);
            EXPECT_EQ(std::vector<std::string>(sent.end() - 2, sent.end()), cmds("12 254"));
        } else {
            EXPECT_EQ(status, kUnknown);
            EXPECT_EQ(sent.back(),
                      QString::fromLatin1(c.at).section(QLatin1Char('#'), 0, 0).toStdString())
                << "nothing is read after the refused step";
            EXPECT_EQ(panel(), QStringLiteral("(Fehler -38) Parameter unbekannt"));
        }
        // A failed read is reported in the status bar only.
        EXPECT_FALSE(f.prompter.captions().contains(QStringLiteral("Fehler")));
    }
}

// The analog range goes out whatever the status, but its answer cannot turn an unknown output
// function (taken, left as -38, the rest skipped) into a successful run.
TEST_F(Readout_, UnknownOutputFunctionIsTakenAndTheAnalogRangeCannotHideIt) {
    f.actions.selectModel(ModelId::TRK520XAO);
    attach(kTrk, 22.4, 0x0004, 0x20);
    bus.onParam(11, kUnknown);
    bus.onParam(25, 0, 1);
    f.model.rgOutput.setItemIndex(1);
    EXPECT_EQ(readout(), kUnknown);
    EXPECT_EQ(commands(), seq({"12 254", kSettings, "248:11 248:25"}));
    EXPECT_EQ(panel(), QStringLiteral("(Fehler -38) Parameter unbekannt"));
    EXPECT_EQ(f.model.rgOutput.itemIndex, 0);
    EXPECT_EQ(f.model.cbStromAusgang.itemIndex, 1);
}

TEST_F(Readout_, UnknownInputKindEndsTheRunAndDecimalsOfTheDvn20AreTakenButStop) {
    f.actions.selectModel(ModelId::TRK520);
    attach(kTrk, 23.1);
    bus.onParam(0, kUnknown);
    EXPECT_EQ(readout(), kUnknown);
    EXPECT_EQ(commands(), cmds("12 254 248:38 248:39 254 248:0"));
    EXPECT_EQ(f.model.rgInput.itemIndex, -1);

    reset();
    f.actions.selectModel(ModelId::DVN20TB);
    attach(kDvn20, 21.2);
    params({{0, 0}, {1, 0}});
    bus.onParam(5, kUnknown, 2);
    EXPECT_EQ(readout(), kUnknown);
    EXPECT_EQ(commands(), cmds("12 254 248:0 248:1 248:5"));
    EXPECT_EQ(f.model.cpAnzeigeDp.itemIndex, 2);
}

// --- Failures -------------------------------------------------------------------------------------

TEST_F(Readout_, FailureHalfwayKeepsWhatWasReadAndIsNotHiddenByTheAnalogRead) {
    f.actions.selectModel(ModelId::TRK520XAO);
    attach(kTrk, 23.1, 0x0004, 0x20, 0);
    voltageInput(1);
    values({{cmd::ReadOnPoint, 60.0}});
    bus.on(cmd::ReadOffPoint, -2);
    f.model.neOut1Ausschaltpunkt.text = QStringLiteral("12");
    EXPECT_EQ(readout(), -2);
    // The analog range is still asked for, but the failure stays and nothing else is read.
    EXPECT_EQ(commands(), seq({"12 254 248:38 248:39 248:18", kSettings, "248:11 42 44 248:25"}));
    EXPECT_EQ(f.model.neOut1Einschaltpunkt.text, QStringLiteral("60,0"));
    EXPECT_EQ(f.model.neOut1Ausschaltpunkt.text, QStringLiteral("12,0"));
    EXPECT_EQ(panel(), QStringLiteral("(Fehler -2) Keine Antwort"));
    EXPECT_TRUE(f.prompter.shown.isEmpty());
    EXPECT_EQ(bus.calls.last().fn, QStringLiteral("TBCloseCom"));
}

TEST_F(Readout_, PortMismatchAndMissingModelReadNothing) {
    f.actions.selectModel(ModelId::TRK520);
    bus.openStatus = -3;
    bus.errorTexts.insert(-3, QStringLiteral(" Port nicht offen"));
    EXPECT_EQ(readout(), -3);
    // The version read before the parameters goes out whatever the status, but cannot clear the failure.
    EXPECT_EQ(commands(), cmds("254"));
    EXPECT_EQ(f.prompter.texts(), QStringList{QStringLiteral("(Fehler -3) Port nicht offen")});
    EXPECT_EQ(f.prompter.captions(), QStringList{QStringLiteral("Fehler")});
    EXPECT_EQ(panel(), QStringLiteral("(Fehler -3) Port nicht offen"));

    bus.openStatus = 0;
    f.prompter.shown.clear();
    attach(kDvn500, 23.0);
    f.model.neAnzeigeHigh.text = QStringLiteral("321");
    EXPECT_EQ(readout(), bus::status::DeviceMismatch);
    EXPECT_EQ(commands(), cmds("12"));
    EXPECT_EQ(panel(),
              QStringLiteral("Fehler gewählter Gerätetyp entspricht nicht angeschlossenem Gerätetyp"));
    EXPECT_EQ(f.model.neAnzeigeHigh.text, QStringLiteral("321"));

    for (MenuItem& item : f.model.modelItems)
        item.checked = false;
    f.model.StatusBar1.repaints = 0;
    EXPECT_EQ(readout(), bus::status::NoModel);
    EXPECT_EQ(commands(), cmds(""));
    EXPECT_TRUE(panel().startsWith(QStringLiteral("(Fehler -123)")));
    EXPECT_GE(f.model.StatusBar1.repaints, 2); // progress text and report
}

// --- Address, units, resistance rule ----------------------------------------------------------------

TEST_F(Readout_, UnknownAddressIsAskedAtTheBroadcastAddressFirst) {
    f.actions.selectModel(ModelId::TRK520);
    f.model.busAddress = 0;
    bus.on(cmd::QueryAddress, 0, {}, 0x00120005);
    attach(kTrk, 23.1);
    voltageInput(0);
    readout();
    const auto t = trace();
    ASSERT_GE(t.size(), 2u);
    EXPECT_EQ(t[0], call(14, 0, int32_t(0xF7FFFFFF), 0, 255));
    EXPECT_EQ(t[1], call(12, 0, 0, 0, 5));
    EXPECT_EQ(f.model.busAddress, 5);
}

TEST_F(Readout_, UnitCodesSelectTheirListPosition) {
    struct Case {
        int32_t kindCode, unitCode;
        QString unit;
    } cases[] = {
        {2, 1, QStringLiteral("° C")}, // Pt100
        {2, 2, QStringLiteral("° F")},
        {5, 80, QStringLiteral("l/hr")}, // flow units start at 79
        {5, 81, QStringLiteral("l/min")},
    };
    for (const Case& c : cases) {
        reset();
        f.actions.selectModel(ModelId::TRK520);
        attach(kTrk, 23.1);
        params({{0, c.kindCode}, {1, 0}, {11, 0}});
        integers({{cmd::ReadDecimals, 0}, {cmd::ReadUnit, c.unitCode}});
        readout();
        EXPECT_EQ(f.model.cbAnzeigeUnit.selectedText(), c.unit) << c.unitCode;
    }
    EXPECT_EQ(f.model.rgInput.selectedText(), QStringLiteral("Durchflussmessung"));
}

TEST_F(Readout_, DisplayUnitExtraSelectsTheUnitTheInstrumentHolds) {
    f.actions.selectModel(ModelId::TRK520);
    f.model.MainMenueExtrasAnzeigeeinheit.checked = true;
    f.unitTexts = {QStringLiteral("mV"), QStringLiteral("bar"), QStringLiteral("%")};
    bus.units = {{5, QStringLiteral("mV")}, {17, QStringLiteral("bar")}, {30, QStringLiteral("%")}};
    attach(kTrk, 23.1);
    bus.on(cmd::ReadUnit, 0, {}, 17);
    voltageInput(0);
    EXPECT_EQ(readout(), 0);
    EXPECT_EQ(commands(), seq({"12 254 248:38 248:39 202", kSettings, "248:11 12 254"}));
    EXPECT_EQ(f.model.cb_AnzeigeEinheit.selectedText(), QStringLiteral("bar"));
    EXPECT_TRUE(f.model.cb_AnzeigeEinheit.visible);
}

TEST_F(Readout_, ResistanceDecimalsTellPt100ResolutionFromPt1000) {
    struct Case {
        ModelId model;
        int32_t sensorCode, decimals;
        int sensor;
    } cases[] = {
        {ModelId::TRK520, 0, 1, 0},  // Pt100, 0.1K
        {ModelId::TRK520, 0, 0, 1},  // Pt100, 1K
        {ModelId::TRK520, 1, 0, 2},  // Pt1000
        {ModelId::DVN20TB, 0, 0, 0}, // the DVN 20 TB keeps the sensor it reports
        {ModelId::DVN20TB, 1, 1, 0},
    };
    for (const Case& c : cases) {
        reset();
        f.actions.selectModel(c.model);
        const bool dvn20 = c.model == ModelId::DVN20TB;
        attach(dvn20 ? kDvn20 : kTrk, 23.1);
        params({{0, 2}, {1, c.sensorCode}, {5, c.decimals}, {11, 0}});
        integers({{cmd::ReadDecimals, c.decimals}});
        readout();
        EXPECT_EQ(f.model.rgSensor.itemIndex, c.sensor) << c.sensorCode << " " << c.decimals;
    }
}

TEST_F(Readout_, ExtendedWordsAreReadFirstWhenInUse) {
    f.actions.selectModel(ModelId::TRK520);
    f.model.extendedConfigUnlocked = true;
    f.model.MainMenueExtras_ErweiterteKonfiguration.checked = true;
    attach(kTrk, 23.1);
    bus.on(cmd::QueryAddress, 0, {}, 1);
    params({{35, 3}, {28, 4}, {18, 5}, {23, 6}});
    voltageInput(0);
    EXPECT_EQ(readout(), 0);
    EXPECT_EQ(commands(),
              seq({"12 254 248:38 248:39 14 248:35 248:28 248:18 248:23", kSettings, "248:11 12 254"}));
    EXPECT_EQ(f.model.e_erw_Schaltfunktion2.text, QStringLiteral("6"));
}

// --- Codes and raw values ----------------------------------------------------------------------------

TEST(DeviceCodes, InputKindCodesRoundTripForEveryFamilyAndGeneration) {
    struct Gen {
        int32_t family;
        double version;
        int kinds;
    } gens[] = {{kFamilyDvn20, 21.0, 9},
                {kFamilyTrk520, 22.4, 9},
                {kFamilyTrk520, 23.0, 10},
                {kFamilyDvn500, 23.0, 10},
                {kFamilyDvn500, 22.0, 10}};
    for (const Gen& g : gens) {
        for (int position = 0; position < g.kinds; ++position) {
            const int code = bus::deviceCodeFromInputIndex(g.family, position, g.version);
            ASSERT_GE(code, 0);
            EXPECT_EQ(bus::inputIndexFromDeviceCode(g.family, code, g.version), position)
                << std::hex << g.family << " " << g.version << " " << position;
        }
    }
    // Flow: the current generation's code 5; the older TRK 520 and the DVN 20 TB cannot measure it.
    EXPECT_EQ(bus::deviceCodeFromInputIndex(kFamilyTrk520, 9, 23.1), 5);
    EXPECT_EQ(bus::deviceCodeFromInputIndex(kFamilyTrk520, 9, 22.9), -1);
    EXPECT_EQ(bus::deviceCodeFromInputIndex(kFamilyDvn20, 9, 21.0), -1);
    EXPECT_EQ(bus::deviceCodeFromInputIndex(kFamilyTrk520, -1, 23.1), -1);
    EXPECT_EQ(bus::inputIndexFromDeviceCode(kFamilyTrk520, 6, 23.1), 6); // the legacy counter code
    EXPECT_EQ(bus::inputIndexFromDeviceCode(kFamilyTrk520, 42, 23.1), 42);
}

class RawValues : public BothSeparators {};
INSTANTIATE_BOTH_SEPARATORS(RawValues);

TEST_P(RawValues, ShowRawValueScalesAndHoldsToTheDisplayRange) {
    NumericField& field = f.model.neAnzeigeHigh;
    auto shown = [&](int32_t raw, int decimals) {
        field.Vorkommastellen = 4 - decimals;
        field.Nachkommastellen = decimals;
        bus::showRawValue(f.actions, field, raw);
        return field.text;
    };
    EXPECT_EQ(shown(-1000, 1), f.num(QStringLiteral("-100,0")));
    EXPECT_EQ(shown(int16_t(0x8000), 0), QStringLiteral("-1999"));
    EXPECT_EQ(shown(123456, 2), f.num(QStringLiteral("99,99")));
    EXPECT_EQ(shown(5, 3), f.num(QStringLiteral("0,005")));
    EXPECT_TRUE(f.prompter.shown.isEmpty());
    field.text.clear();
    EXPECT_EQ(shown(7, 0), QStringLiteral("7"));
    ASSERT_EQ(f.prompter.shown.size(), 1);
    EXPECT_TRUE(f.prompter.texts().first().startsWith(QStringLiteral("neAnzeigeHigh wird auf 0 gesetzt")));
}

TEST_P(RawValues, RawValueOfTruncatesTowardZeroButKeepsDecimalWholeNumbers) {
    NumericField field;
    field.Seperator = QString(f.sep());
    auto raw = [&](const char* text, int decimals) {
        field.text = f.num(QString::fromLatin1(text));
        field.Nachkommastellen = decimals;
        return bus::rawValueOf(field);
    };
    EXPECT_EQ(raw("12,5", 1), 125);
    EXPECT_EQ(raw("-12,5", 1), -125);
    EXPECT_EQ(raw("12,59", 1), 125);
    EXPECT_EQ(raw("-12,59", 1), -125);
    // 0.29 * 100 is a hair below 29 in binary; the field shows 29 hundredths.
    EXPECT_EQ(raw("0,29", 2), 29);
    EXPECT_EQ(raw("1,1", 2), 110);
    EXPECT_EQ(raw("9999", 0), 9999);
    EXPECT_EQ(raw("", 2), 0);
    EXPECT_EQ(bus::rawValueOf(std::nan(""), 2), 0);
    EXPECT_EQ(bus::rawValueOf(std::numeric_limits<double>::infinity(), 0),
              std::numeric_limits<int32_t>::max());
    EXPECT_EQ(bus::rawValueOf(-1e300, 0), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(bus::rawValueOf(2147483647.9, 0), std::numeric_limits<int32_t>::max());
}
