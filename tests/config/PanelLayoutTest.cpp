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
    EXPECT_EQ(m.gpPIDRegler.geometry.top, 287);
    EXPECT_EQ(m.gpPIDRegler.geometry.height, 8 * 24 + 32);
    EXPECT_TRUE(m.Panel1.visible);
}

// Whatever a model shows, with the extended configuration above it: the panel reaches below
// every shown group, the status bar sits under the panel, and the window still fits a screen
// 1024 pixels high (title bar and menu take about 60). Without the extended group the window
// keeps its designed size.
TEST(PanelLayout, EveryShownGroupIsWholeInAWindowThatFitsTheScreen) {
    constexpr int kTallestClient = 1024 - 60;
    for (const ModelEntry* e = catalogue::begin(); e != catalogue::end(); ++e) {
        ConfigFixture f;
        MainWindowModel& m = f.model;
        f.actions.selectModel(e->id);
        m.extendedConfigUnlocked = true;
        m.MainMenueExtras_ErweiterteKonfiguration.checked = true;
        for (int kind = 0; kind < m.rgInput.items.size(); ++kind) {
            for (int output = 0; output < std::max<qsizetype>(1, m.rgOutput.items.size()); ++output) {
                f.actions.aCheckSpecialFunctionsPanel();
                chooseInput(f, kind, 0);
                if (m.rgOutput.visible) steps::chooseOutput(f, output);
                if (m.rgReglerFunktion.visible) chooseController(f, int(m.rgReglerFunktion.items.size()) - 1);
                const std::string where = std::string(e->designation) + " input " + std::to_string(kind) +
                                          " output " + std::to_string(output);
                const std::initializer_list<const Control*> groups = {&m.gb_ErweiterteKonfiguration,
                                                                      &m.rgInput,
                                                                      &m.rgSensor,
                                                                      &m.rgOutput,
                                                                      &m.rgReglerFunktion,
                                                                      &m.gpAnzeigeElemente,
                                                                      &m.gpOut1Parameter,
                                                                      &m.gpOut2Parameter,
                                                                      &m.gpAnalogOut1,
                                                                      &m.gpPIDRegler};
                for (const Control* g : groups) {
                    if (!g->visible) continue;
                    EXPECT_LT(g->geometry.bottom(), m.Panel1.geometry.bottom())
                        << where << g->name.toStdString();
                }
                EXPECT_EQ(m.StatusBar1.geometry.top, m.Panel1.geometry.bottom() + 1) << where;
                EXPECT_EQ(m.clientHeight, m.StatusBar1.geometry.bottom()) << where;
                EXPECT_LE(m.clientHeight, kTallestClient) << where;
            }
        }
        m.MainMenueExtras_ErweiterteKonfiguration.checked = false;
        f.actions.aCheckSpecialFunctionsPanel();
        chooseInput(f, 0, 0);
        EXPECT_EQ(m.clientHeight, 507) << e->designation;
    }
}

// Tab follows the window as it stands: the extended words in their row, then the first row of
// groups left to right, each group's rows top to bottom, then the next row of groups. Hidden
// and locked controls are no stops; the first focus is a list, where Space changes nothing.
TEST(PanelLayout, TabOrderFollowsTheGroupsOnScreen) {
    ConfigFixture f;
    MainWindowModel& m = f.model;
    f.actions.selectModel(ModelId::TRK520PID);
    EXPECT_EQ(m.firstFocus(), nullptr); // only the input kinds: no safe place yet
    m.extendedConfigUnlocked = true;
    m.MainMenueExtras_ErweiterteKonfiguration.checked = true;
    f.actions.aCheckSpecialFunctionsPanel();
    chooseInput(f, kVoltage, 0);
    steps::chooseOutput(f, 1);
    chooseController(f, 2);
    QStringList names;
    for (const Control* c : m.tabOrder())
        names.append(c->name);
    // Output function and PID group start side by side; the controller list stands below the former.
    EXPECT_EQ(
        names.join(QLatin1Char(' ')).toStdString(),
        "e_erw_Allgemein e_erw_Schaltfunktion1 e_erw_Alarm e_erw_Schaltfunktion2 b_erw_Anzeigen "
        "rgInput rgSensor cpAnzeigeDp neAnzeigeLow neAnzeigeHigh cbLimit teFilter "
        "rgOutput nePID_SP1 nePID_Proportional ne_PIDIntegral nePID_Derivation nePID_CyC nePIDdur nePIDthr "
        "cbPID_Vorzugslage rgReglerFunktion");
    // Locked, the words are shown but take no focus.
    m.extendedConfigUnlocked = false;
    f.actions.aCheckSpecialFunctionsPanel();
    ASSERT_TRUE(m.gb_ErweiterteKonfiguration.visible);
    EXPECT_EQ(m.tabOrder().first(), &m.b_erw_Anzeigen);
    EXPECT_EQ(m.firstFocus(), &m.b_erw_Anzeigen);
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
