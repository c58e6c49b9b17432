#include "ConfigFixture.h"
#include "UserSteps.h"

using steps::configure;
using steps::value;

namespace {

constexpr int kVoltage = 0;
constexpr int kThermocouple = 3;
constexpr int kInterface = 8;

class OutputRules : public BothSeparators {};
INSTANTIATE_BOTH_SEPARATORS(OutputRules);

TEST_P(OutputRules, SwitchPointsFollowAnInvertedDisplayRange) {
    configure(f, ModelId::TRK520, kVoltage, 0, 1);
    f.model.neAnzeigeLow.text = QStringLiteral("100");
    f.model.neAnzeigeHigh.text = QStringLiteral("0");

    f.model.neOut1Einschaltpunkt.text = QStringLiteral("150");
    f.model.neOut1Ausschaltpunkt.text = QStringLiteral("-5");
    f.actions.aSetAll();
    EXPECT_EQ(f.model.neOut1Einschaltpunkt.text, QStringLiteral("100"));
    EXPECT_EQ(f.model.neOut1Ausschaltpunkt.text, QStringLiteral("0"));
}

TEST_P(OutputRules, AlarmLimitsStayOrderedInsideTheDisplayRange) {
    configure(f, ModelId::TRK520, kVoltage, 0, 4); // display 0 to 1000
    NumericField& upper = f.model.neOut2Einschaltpunkt;
    NumericField& lower = f.model.neOut2Ausschaltpunkt;

    upper.text = QStringLiteral("1200");
    f.actions.aSetAll();
    EXPECT_EQ(upper.text, QStringLiteral("1000"));

    // The upper limit is raised to the lower one, never the other way round.
    upper.text = QStringLiteral("500");
    lower.text = QStringLiteral("600");
    f.actions.aSetAll();
    EXPECT_EQ(upper.text, QStringLiteral("600"));
    EXPECT_EQ(lower.text, QStringLiteral("600"));

    // A lower limit below the display range must not leave the upper one below it.
    upper.text = QStringLiteral("-50");
    lower.text = QStringLiteral("-100");
    f.actions.aSetAll();
    EXPECT_EQ(upper.text, QStringLiteral("0"));
    EXPECT_EQ(lower.text, QStringLiteral("0"));

    // Pasted text that is no number becomes 0; it must not push the upper limit first.
    upper.text = QStringLiteral("3");
    lower.text = QStringLiteral("5x");
    f.actions.aSetAll();
    EXPECT_EQ(upper.text, QStringLiteral("3"));
    EXPECT_EQ(lower.text, QStringLiteral("0"));

    upper.text.clear();
    f.actions.aSetAll();
    ASSERT_FALSE(f.prompter.shown.isEmpty());
    EXPECT_TRUE(f.prompter.texts().last().startsWith(QStringLiteral("Einschaltpunkt wird auf 0 gesetzt")));
    EXPECT_EQ(f.prompter.captions().last(), QStringLiteral("Hinweis"));
}

TEST_P(OutputRules, ShortListThirdItemIsTheAlarmOutput) {
    configure(f, ModelId::TRK520PIDXAO, kVoltage, 0, 2);
    EXPECT_EQ(f.actions.outputCode(), 4);
    EXPECT_TRUE(f.model.gpOut2Parameter.visible);
    EXPECT_FALSE(f.model.gpOut1Parameter.visible);
    EXPECT_FALSE(f.model.rgReglerFunktion.visible);
    EXPECT_EQ(f.model.gpOut2Parameter.caption, QStringLiteral("Alarmausgang"));
    EXPECT_EQ(f.model.lOut2Einschaltpunkt.caption, QStringLiteral("Max. Alarmgrenze"));
    EXPECT_EQ(f.model.lOut2Ausschaltpunkt.caption, QStringLiteral("Min. Alarmgrenze"));
    EXPECT_FALSE(f.model.cbOut2Vorzugslage.visible);

    f.model.neOut2Delay.text = QStringLiteral("5000");
    f.actions.aSetAll();
    EXPECT_EQ(f.model.neOut2Delay.text, QStringLiteral("5000"));
    EXPECT_EQ(f.model.lOut2Delay.caption, QStringLiteral("Verzögerung [sec]"));
}

TEST_P(OutputRules, SecondSwitchingOutputDelayIsAtMostTwoSeconds) {
    configure(f, ModelId::TRK520, kVoltage, 0, 2);
    EXPECT_EQ(f.model.gpOut2Parameter.caption, QStringLiteral("Schaltausgang 2"));
    EXPECT_TRUE(f.model.cbOut2Vorzugslage.visible);
    f.model.neOut2Delay.text = QStringLiteral("5");
    f.model.neOut1Delay.text = QStringLiteral("0");
    f.actions.aSetAll();
    EXPECT_EQ(f.model.neOut2Delay.text, f.num("2,00"));
    EXPECT_EQ(f.model.neOut1Delay.text, f.num("0,01"));
}

TEST_P(OutputRules, InterfaceModeUsesTheWholeDisplayRange) {
    f.actions.selectModel(ModelId::TRK520);
    steps::chooseInput(f, kInterface);
    f.model.cpAnzeigeDp.itemIndex = 2;
    f.actions.cpAnzeigeDpChange();
    f.model.neAnzeigeHigh.text = QStringLiteral("5");
    f.model.neAnzeigeLow.text = QStringLiteral("3");
    f.actions.aSetAll();
    EXPECT_DOUBLE_EQ(value(f, f.model.neAnzeigeHigh), 99.99);
    EXPECT_DOUBLE_EQ(value(f, f.model.neAnzeigeLow), -19.99);
}

TEST_P(OutputRules, AnalogScalingIsHeldToTheDisplayRange) {
    configure(f, ModelId::TRK520XAO, kVoltage, 0, 0);
    f.model.cpAnzeigeDp.itemIndex = 1;
    f.actions.cpAnzeigeDpChange();
    f.model.neAnzeigeLow.text = f.num("0,0");
    f.model.neAnzeigeHigh.text = f.num("100,0");
    f.model.neDAC_High.text = QStringLiteral("5000");
    f.model.neDAC_Low.text = QStringLiteral("-5");
    f.model.neDAFilter.text = QStringLiteral("300");
    f.actions.aSetAll();
    EXPECT_EQ(f.model.neDAC_High.text, f.num("100,0"));
    EXPECT_EQ(f.model.neDAC_Low.text, f.num("0,0"));
    EXPECT_EQ(f.model.neDAFilter.text, QStringLiteral("200"));

    // 1.10 at two decimals is 110 counts even though 1.1 * 100 is a hair above 110.
    f.model.cpAnzeigeDp.itemIndex = 2;
    f.actions.cpAnzeigeDpChange();
    f.model.neAnzeigeHigh.text = f.num("1,10");
    f.model.neDAC_High.text = QStringLiteral("50");
    f.actions.aSetAll();
    EXPECT_EQ(f.model.neDAC_High.text, f.num("1,10"));
}

TEST_P(OutputRules, AnalogGroupShowsWhatTheModelDrives) {
    // Continuous voltage output: never shown.
    configure(f, ModelId::TRK520PID_StetigV, kVoltage, 0, 1);
    EXPECT_FALSE(f.model.gpAnalogOut1.visible);

    // Continuous current output: only the current range.
    configure(f, ModelId::TRK520PID_StetigA, kVoltage, 0, 1);
    EXPECT_TRUE(f.model.gpAnalogOut1.visible);
    EXPECT_TRUE(f.model.cbStromAusgang.visible);
    EXPECT_FALSE(f.model.neDAC_High.visible);
    EXPECT_FALSE(f.model.neDAFilter.visible);
    EXPECT_EQ(f.model.gpAnalogOut1.geometry.height, 56);

    // A thermocouple does not use the output filter; voltage outputs have no current range.
    configure(f, ModelId::TRK520XAOV, kThermocouple, 0, 0);
    EXPECT_TRUE(f.model.gpAnalogOut1.visible);
    EXPECT_FALSE(f.model.cbStromAusgang.visible);
    EXPECT_FALSE(f.model.neDAFilter.visible);
    EXPECT_FALSE(f.model.l_Out1DAFilter.visible);
    EXPECT_EQ(f.model.neDAFilter.text, QStringLiteral("0"));
    EXPECT_EQ(f.model.neDAC_Low.geometry.top, 20);
    EXPECT_EQ(f.model.gpAnalogOut1DAWlo.geometry.top, 20);
    EXPECT_EQ(f.model.cbAnalogOut1Vorzugslage.geometry.top, 68);
    EXPECT_EQ(f.model.gpAnalogOut1.geometry.height, 3 * 24 + 32);
}

TEST_P(OutputRules, OutputTypeRowsOnlyOnTheDisplayWithSwitchingOutputs) {
    configure(f, ModelId::DVN20TB, kVoltage, 0, 2);
    EXPECT_TRUE(f.model.cbOut1Mode.visible);
    EXPECT_TRUE(f.model.lOut2Mode.visible);
    EXPECT_EQ(f.model.gpOut1Parameter.geometry.height, 5 * 24 + 32);

    configure(f, ModelId::TRK520, kVoltage, 0, 2);
    EXPECT_FALSE(f.model.cbOut1Mode.visible);
    EXPECT_FALSE(f.model.cbOut2Mode.visible);
    EXPECT_EQ(f.model.gpOut1Parameter.geometry.height, 4 * 24 + 32);
}

TEST_P(OutputRules, SavingAndProgrammingWaitForACompleteConfiguration) {
    MenuItem& save = f.model.miDatenspeichern;
    MenuItem& program = f.model.miKonfigurationprogrammieren1;
    f.model.Konfigurationlesen1.enabled = true;

    f.actions.selectModel(ModelId::TRK520PID);
    EXPECT_FALSE(save.enabled);
    steps::chooseInput(f, kVoltage);
    EXPECT_FALSE(save.enabled) << "no sensor chosen yet";
    f.model.rgSensor.itemIndex = 0;
    f.actions.rgSensorClick();
    EXPECT_TRUE(save.enabled);

    steps::chooseOutput(f, 1);
    EXPECT_FALSE(save.enabled);
    EXPECT_FALSE(program.enabled);
    f.actions.aSetAll();
    EXPECT_FALSE(save.enabled) << "a refresh must not complete the configuration";
    steps::chooseController(f, 0);
    EXPECT_TRUE(save.enabled);
    EXPECT_TRUE(program.enabled);

    // Without a port, reading and programming stay off.
    f.model.Konfigurationlesen1.enabled = false;
    steps::chooseOutput(f, 4);
    EXPECT_TRUE(save.enabled);
    EXPECT_FALSE(program.enabled);

    // Models without output functions are complete with their sensor.
    f.actions.selectModel(ModelId::DVN500);
    EXPECT_FALSE(save.enabled);
    steps::chooseInput(f, kVoltage, 0);
    EXPECT_TRUE(save.enabled);
}

} // namespace
