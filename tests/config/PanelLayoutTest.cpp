#include "ConfigFixture.h"
#include "UserSteps.h"

using steps::chooseController;
using steps::chooseInput;
using steps::configure;

namespace {

constexpr int kVoltage = 0;
constexpr int kFrequency = 4;

constexpr int kColumn2 = 231;
constexpr int kColumn3 = 478;

TEST(PanelLayout, FirstRowSitsBelowTheCaptionOrTheExtendedGroup) {
    ConfigFixture f;
    f.actions.selectModel(ModelId::TRK520);
    chooseInput(f, kVoltage, 0);
    EXPECT_EQ(f.model.rgInput.geometry.top, 39);
    EXPECT_EQ(f.model.rgSensor.geometry.top, 39);
    EXPECT_EQ(f.model.gpAnzeigeElemente.geometry.top, 39);

    f.model.gb_ErweiterteKonfiguration.visible = true;
    f.actions.aAlignPanels();
    EXPECT_EQ(f.model.rgInput.geometry.top, 80);
    EXPECT_EQ(f.model.gpAnzeigeElemente.geometry.top, 80);
}

TEST(PanelLayout, RadioGroupsAreSizedToTheirItems) {
    ConfigFixture f;
    f.actions.selectModel(ModelId::TRK520);
    chooseInput(f, kFrequency);
    EXPECT_EQ(f.model.rgInput.geometry.height, 182);
    EXPECT_EQ(f.model.rgSensor.geometry.height, 77);

    f.actions.selectModel(ModelId::DVN20TB);
    EXPECT_EQ(f.model.rgInput.geometry.height, 9 * 15 + 32);
}

TEST(PanelLayout, SettingsRowsArePackedWithoutGaps) {
    ConfigFixture f;
    f.unitTexts = {QStringLiteral("bar"), QStringLiteral("mbar")};
    f.actions.selectModel(ModelId::TRK520);
    f.actions.MainMenueExtrasAnzeigeeinheitClick();
    chooseInput(f, kVoltage, 0);
    const MainWindowModel& m = f.model;
    EXPECT_EQ(m.gpAnzeigeElemente.geometry.height, 176);
    EXPECT_EQ(m.cb_AnzeigeEinheit.geometry.top, 20 + 3 * 24);
    EXPECT_TRUE(m.teFilter.visible);
    EXPECT_FALSE(m.neFilter.visible);
    EXPECT_EQ(m.teFilter.geometry.top, 20 + 5 * 24);
    EXPECT_EQ(m.lFilter_or_edge.geometry.top, 20 + 5 * 24);

    // The numeric filter takes the row on the display with switching outputs.
    f.actions.selectModel(ModelId::DVN20TB);
    chooseInput(f, kFrequency, 0);
    EXPECT_TRUE(m.neFilter.visible);
    EXPECT_FALSE(m.teFilter.visible);
    EXPECT_EQ(m.lAnzeigeDp.geometry.top, 20);
    EXPECT_EQ(m.neMessbereichLow.geometry.top, 20 + 5 * 24);
    EXPECT_EQ(m.lMessbereichLow.geometry.top, 20 + 5 * 24);
    EXPECT_EQ(m.gpAnzeigeElemente.geometry.height, 7 * 24 + 32);
}

TEST(PanelLayout, OutputGroupsTakeTheirColumns) {
    ConfigFixture f;
    const MainWindowModel& m = f.model;
    // Input list 182 high from 39: y2 = 228, below the five-row settings group.
    configure(f, ModelId::TRK520, kVoltage, 0, 2);
    EXPECT_EQ(m.gpOut1Parameter.geometry.left, kColumn2);
    EXPECT_EQ(m.gpOut2Parameter.geometry.left, kColumn3);
    EXPECT_EQ(m.gpOut1Parameter.geometry.top, 228);
    EXPECT_EQ(m.gpOut2Parameter.geometry.top, 228);
    EXPECT_EQ(m.rgOutput.geometry.top, 228);

    steps::chooseOutput(f, 4);
    EXPECT_EQ(m.gpOut2Parameter.geometry.left, kColumn2);
    EXPECT_EQ(m.gpOut2Parameter.geometry.top, 228);

    configure(f, ModelId::TRK520XAO, kVoltage, 0, 2);
    EXPECT_EQ(m.gpOut2Parameter.geometry.left, kColumn2);
    EXPECT_EQ(m.gpAnalogOut1.geometry.left, kColumn3);
    EXPECT_EQ(m.gpAnalogOut1.geometry.top, m.gpOut2Parameter.geometry.top);

    // A seven-row settings group pushes the second row down.
    configure(f, ModelId::TRK520PID, kFrequency, 0, 3);
    chooseController(f, 0);
    EXPECT_EQ(m.gpAnzeigeElemente.geometry.bottom(), 239);
    EXPECT_EQ(m.gpPIDRegler.geometry.top, 246);
    EXPECT_EQ(m.gpPIDRegler.geometry.left, kColumn2);
    EXPECT_EQ(m.gpOut2Parameter.geometry.left, kColumn3);
    EXPECT_EQ(m.rgReglerFunktion.geometry.top, m.rgOutput.geometry.bottom() + 7);
}

TEST(PanelLayout, AnalogGroupGoesBelowOutputTwoInTheThirdColumn) {
    ConfigFixture f;
    configure(f, ModelId::TRK520PID_StetigA, kVoltage, 0, 3);
    chooseController(f, 0);
    const MainWindowModel& m = f.model;
    EXPECT_EQ(m.gpOut2Parameter.geometry.left, kColumn3);
    EXPECT_EQ(m.gpAnalogOut1.geometry.top, m.gpOut2Parameter.geometry.bottom() + 7);
}

TEST(PanelLayout, TallConfigurationsKeepTheirPlaces) {
    ConfigFixture f;
    f.actions.selectModel(ModelId::TRK520PID);
    f.model.extendedConfigUnlocked = true;
    f.model.MainMenueExtras_ErweiterteKonfiguration.checked = true;
    f.actions.aCheckSpecialFunctionsPanel();
    chooseInput(f, kFrequency, 0);
    steps::chooseOutput(f, 1);
    chooseController(f, 2);
    const MainWindowModel& m = f.model;
    ASSERT_TRUE(m.gb_ErweiterteKonfiguration.visible);
    // y1 = 80; the seven-row settings group ends at 280, so the second row starts at 287.
    // The window does not grow: the group reaches below the panel, which scrolls.
    EXPECT_EQ(m.gpPIDRegler.geometry.top, 287);
    EXPECT_EQ(m.gpPIDRegler.geometry.height, 8 * 24 + 32);
    EXPECT_GT(m.gpPIDRegler.geometry.bottom(), m.Panel1.geometry.height);
    EXPECT_TRUE(m.Panel1.visible);
}

TEST(PanelLayout, NewConfigurationKeepsModelAndValues) {
    ConfigFixture f;
    configure(f, ModelId::TRK520PID, kVoltage, 0, 1);
    chooseController(f, 0);
    f.model.neAnzeigeHigh.text = QStringLiteral("500");

    f.actions.Datenlesen1Click();
    const MainWindowModel& m = f.model;
    EXPECT_TRUE(m.isChecked(ModelId::TRK520PID));
    EXPECT_EQ(m.neAnzeigeHigh.text, QStringLiteral("500"));
    EXPECT_EQ(m.rgInput.itemIndex, -1);
    EXPECT_TRUE(m.rgInput.visible);
    EXPECT_TRUE(m.lMainCaption.visible);
    EXPECT_EQ(m.rgOutput.itemIndex, 0);
    for (const Control* c : std::initializer_list<const Control*>{
             &m.gpAnzeigeElemente, &m.rgSensor, &m.rgOutput, &m.gpOut1Parameter, &m.gpOut2Parameter,
             &m.rgReglerFunktion, &m.gpPIDRegler, &m.gpAnalogOut1})
        EXPECT_FALSE(c->visible) << c->name.toStdString();
    EXPECT_FALSE(m.miDatenspeichern.enabled);

    // The next refresh keeps everything hidden and saving off.
    f.actions.aSetAll();
    EXPECT_FALSE(m.gpPIDRegler.visible);
    EXPECT_FALSE(m.miDatenspeichern.enabled);
}

} // namespace
