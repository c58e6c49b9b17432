#include "ConfigFixture.h"
#include "UserSteps.h"

using steps::chooseController;
using steps::chooseOutput;
using steps::configure;

namespace {

constexpr int kVoltage = 0;

class ControllerRules : public BothSeparators {};
INSTANTIATE_BOTH_SEPARATORS(ControllerRules);

TEST_P(ControllerRules, FunctionsOfferedFollowTheOutputFunction) {
    const QStringList all = ConfigActions::reglerFunktionItems();

    configure(f, ModelId::TRK520PID, kVoltage, 0, 1);
    EXPECT_TRUE(f.model.rgReglerFunktion.visible);
    EXPECT_EQ(f.model.rgReglerFunktion.items, all);
    EXPECT_EQ(f.model.rgReglerFunktion.itemIndex, -1);
    EXPECT_FALSE(f.model.gpOut1Parameter.visible) << "the PID group takes its place";

    chooseOutput(f, 3);
    EXPECT_EQ(f.model.rgReglerFunktion.items, all.mid(0, 2));

    chooseOutput(f, 4);
    EXPECT_FALSE(f.model.rgReglerFunktion.visible);
    EXPECT_FALSE(f.model.gpPIDRegler.visible);

    // The continuous output cannot run a step controller.
    configure(f, ModelId::TRK520PID_StetigA, kVoltage, 0, 1);
    EXPECT_EQ(f.model.rgReglerFunktion.items, all.mid(0, 2));

    // Without the PID option switching output 1 stays.
    configure(f, ModelId::TRK520, kVoltage, 0, 1);
    EXPECT_FALSE(f.model.rgReglerFunktion.visible);
    EXPECT_TRUE(f.model.gpOut1Parameter.visible);
}

TEST_P(ControllerRules, ClickingTheCheckedItemAgainResetsNothing) {
    configure(f, ModelId::TRK520PID, kVoltage, 0, 1);
    chooseController(f, 3);
    ASSERT_TRUE(f.model.miDatenspeichern.enabled);
    for (RadioGroup* g : {&f.model.rgInput, &f.model.rgSensor, &f.model.rgOutput, &f.model.rgReglerFunktion})
        f.actions.radioItemClick(*g, g->itemIndex);
    EXPECT_EQ(f.model.rgReglerFunktion.itemIndex, 3);
    EXPECT_TRUE(f.model.gpPIDRegler.visible);
    EXPECT_TRUE(f.model.miDatenspeichern.enabled);

    f.actions.radioItemClick(f.model.rgOutput, 2);
    EXPECT_EQ(f.model.rgReglerFunktion.itemIndex, -1) << "a real change still resets the controller";
}

TEST_P(ControllerRules, GroupRowsAndCaptionFollowTheChosenFunction) {
    configure(f, ModelId::TRK520PID, kVoltage, 0, 1);
    chooseController(f, 3);
    const GroupBox& g = f.model.gpPIDRegler;
    EXPECT_TRUE(g.visible);
    EXPECT_TRUE(g.enabled);
    EXPECT_EQ(g.caption, QStringLiteral("3-Punkt-Schritt-Regler kühlen"));
    EXPECT_EQ(g.geometry.height, 8 * 24 + 32);
    EXPECT_TRUE(f.model.lPIDdur.visible);
    EXPECT_EQ(f.model.nePIDthr.geometry.top, 20 + 6 * 24);
    EXPECT_EQ(f.model.lPIDthr.geometry.top, 20 + 6 * 24);
    EXPECT_EQ(f.model.cbPID_Vorzugslage.geometry.top, 20 + 7 * 24);

    chooseController(f, 0);
    EXPECT_EQ(g.caption, QStringLiteral("PID-Regler heizen"));
    EXPECT_EQ(g.geometry.height, 6 * 24 + 32);
    EXPECT_FALSE(f.model.nePIDdur.visible);
    EXPECT_FALSE(f.model.lPIDthr.visible);
    EXPECT_EQ(f.model.cbPID_Vorzugslage.geometry.top, 20 + 5 * 24);
}

TEST_P(ControllerRules, ParametersAreHeldToTheirLimits) {
    configure(f, ModelId::TRK520PID, kVoltage, 0, 1);
    chooseController(f, 2);
    f.model.neAnzeigeLow.text = QStringLiteral("200");
    f.model.neAnzeigeHigh.text = QStringLiteral("100");
    f.model.nePID_SP1.text = QStringLiteral("50");
    f.model.nePID_CyC.text = QStringLiteral("0");
    f.model.nePIDdur.text = QStringLiteral("1000");
    f.model.nePIDthr.text = QStringLiteral("25");
    f.model.ne_PIDIntegral.text = QStringLiteral("-3");
    f.actions.aSetAll();
    EXPECT_EQ(f.model.nePID_SP1.text, QStringLiteral("100"));
    EXPECT_EQ(f.model.nePID_CyC.text, f.num("0,1"));
    EXPECT_EQ(f.model.nePIDdur.text, f.num("999,9"));
    EXPECT_EQ(f.model.nePIDthr.text, f.num("20,0"));
    EXPECT_EQ(f.model.ne_PIDIntegral.text, QStringLiteral("0"));

    f.model.nePID_SP1.text = QStringLiteral("300");
    f.model.nePID_CyC.text = QStringLiteral("500");
    f.actions.aSetAll();
    EXPECT_EQ(f.model.nePID_SP1.text, QStringLiteral("200"));
    EXPECT_EQ(f.model.nePID_CyC.text, f.num("320,0"));

    // Set point and proportional band follow the decimal point.
    f.model.cpAnzeigeDp.itemIndex = 1;
    f.actions.cpAnzeigeDpChange();
    f.model.nePID_Proportional.text = QStringLiteral("0");
    f.actions.aSetAll();
    EXPECT_EQ(f.model.nePID_Proportional.text, f.num("0,1"));
    EXPECT_EQ(f.model.nePID_SP1.Nachkommastellen, 1);
}

TEST_P(ControllerRules, NewOutputFunctionClearsTheController) {
    f.model.Konfigurationlesen1.enabled = true;
    configure(f, ModelId::TRK520PID, kVoltage, 0, 1);
    chooseController(f, 1);
    f.model.cbPID_Vorzugslage.itemIndex = 1;
    ASSERT_TRUE(f.model.miDatenspeichern.enabled);

    chooseOutput(f, 2);
    EXPECT_EQ(f.model.rgReglerFunktion.itemIndex, -1);
    EXPECT_FALSE(f.model.gpPIDRegler.visible);
    EXPECT_EQ(f.model.cbPID_Vorzugslage.itemIndex, 0);
    EXPECT_FALSE(f.model.miDatenspeichern.enabled);
    EXPECT_FALSE(f.model.miKonfigurationprogrammieren1.enabled);
}

TEST_P(ControllerRules, NewInputKindClearsTheController) {
    configure(f, ModelId::TRK520PID, kVoltage, 0, 1);
    chooseController(f, 0);
    ASSERT_TRUE(f.model.gpPIDRegler.visible);

    steps::chooseInput(f, kVoltage, 1);
    EXPECT_EQ(f.model.rgOutput.itemIndex, 0);
    EXPECT_FALSE(f.model.rgReglerFunktion.visible);
    EXPECT_FALSE(f.model.gpPIDRegler.visible);
}

} // namespace
