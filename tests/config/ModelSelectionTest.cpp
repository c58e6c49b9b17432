#include "ConfigFixture.h"
#include "UserSteps.h"

#include <gtest/gtest.h>

namespace {

// Everything a selection may touch, as text, so two windows can be compared.
QStringList snapshot(MainWindowModel& m) {
    QStringList out;
    for (Control* c : m.controls()) {
        const Geometry& g = c->geometry;
        out << QStringLiteral("%1 v%2 e%3 %4,%5,%6,%7")
                   .arg(c->name)
                   .arg(c->visible)
                   .arg(c->enabled)
                   .arg(g.left)
                   .arg(g.top)
                   .arg(g.width)
                   .arg(g.height);
    }
    for (ItemList* l : {&m.rgInput, &m.rgOutput, &m.rgSensor, &m.rgReglerFunktion, &m.cpAnzeigeDp,
                        &m.cbAnalogOut1Vorzugslage, &m.cbAnzeigeUnit, &m.cb_AnzeigeEinheit})
        out << l->name + QLatin1Char(':') + l->items.join(QLatin1Char('|')) + QString::number(l->itemIndex);
    for (NumericField* n : m.numericFields())
        out << n->name + QLatin1Char('=') + n->text;
    for (MenuItem* i : m.menuItems())
        out << QStringLiteral("%1 v%2 e%3 c%4").arg(i->name).arg(i->visible).arg(i->enabled).arg(i->checked);
    out << m.lMainCaption.caption << m.gpAnalogOut1.caption << m.gpAnalogOut1DAWhi.caption
        << m.gpAnalogOut1DAWlo.caption << m.StatusBar1.panels[2] << m.teFilter.text;
    out << QStringLiteral("code %1 flags %2%3%4%5%6")
               .arg(m.modelCode)
               .arg(m.hasAnalogOutput)
               .arg(m.hasCurrentOutput)
               .arg(m.hasVoltageOutput)
               .arg(m.hasPidController)
               .arg(m.hasContinuousOutput);
    return out;
}

int checkedCount(const MainWindowModel& m) {
    int n = 0;
    for (const MenuItem& i : m.modelItems)
        n += i.checked;
    return n;
}

} // namespace

TEST(ModelSelection, EveryModelLeavesOnlyTheInputListOpen) {
    for (const ModelEntry* e = catalogue::begin(); e != catalogue::end(); ++e) {
        ConfigFixture f;
        MainWindowModel& m = f.model;
        // A window in use: something chosen everywhere.
        f.actions.selectModel(ModelId::TRK520PID);
        m.Konfigurationlesen1.enabled = true;
        steps::chooseInput(f, 0, 0);
        steps::chooseOutput(f, 1);
        steps::chooseController(f, 0);
        ASSERT_TRUE(m.gpPIDRegler.visible);

        f.actions.selectModel(e->id);
        const char* name = e->designation;
        EXPECT_EQ(checkedCount(m), 1) << name;
        EXPECT_EQ(m.checkedModel(), e) << name;
        EXPECT_EQ(m.modelCode, e->code) << name;
        EXPECT_EQ(m.lMainCaption.caption, QString::fromUtf8(e->designation));
        EXPECT_TRUE(m.lMainCaption.visible) << name;
        EXPECT_EQ(m.StatusBar1.panels[2], QString::fromUtf8(e->designation));
        EXPECT_EQ(m.rgInput.items, catalogue::inputKinds(e->inputKindCount)) << name;
        EXPECT_EQ(m.rgInput.itemIndex, -1) << name;
        EXPECT_TRUE(m.rgInput.visible) << name;
        EXPECT_EQ(m.rgOutput.items, catalogue::outputItems(e->outputList)) << name;
        for (Control* c : std::initializer_list<Control*>{
                 &m.gpAnzeigeElemente, &m.rgSensor, &m.gpOut1Parameter, &m.gpOut2Parameter, &m.rgOutput,
                 &m.rgReglerFunktion, &m.gpPIDRegler, &m.gpAnalogOut1})
            EXPECT_FALSE(c->visible) << name << " " << c->name.toStdString();
        EXPECT_FALSE(m.miKonfigurationprogrammieren1.enabled) << name;
        EXPECT_FALSE(m.miDatenspeichern.enabled) << name;
        EXPECT_TRUE(m.MainMenueDurchflussMessung.enabled) << name;
        EXPECT_TRUE(m.Panel1.visible) << name;
        EXPECT_EQ(m.hasAnalogOutput, e->hasAnalogOutput) << name;
        EXPECT_EQ(m.hasCurrentOutput, e->hasCurrentOutput) << name;
        EXPECT_EQ(m.hasVoltageOutput, e->hasVoltageOutput) << name;
        EXPECT_EQ(m.hasPidController, e->hasPidController) << name;
        EXPECT_EQ(m.hasContinuousOutput, e->hasContinuousOutput) << name;
    }
}

TEST(ModelSelection, SelectingTwiceGivesTheSameWindowAsOnce) {
    for (const ModelEntry* e = catalogue::begin(); e != catalogue::end(); ++e) {
        ConfigFixture once;
        once.actions.selectModel(e->id);
        ConfigFixture twice;
        twice.actions.selectModel(e->id);
        twice.actions.selectModel(e->id);
        EXPECT_EQ(snapshot(once.model), snapshot(twice.model)) << e->designation;
    }
}

TEST(ModelSelection, EverySelectionSetsAllFiveFlags) {
    ConfigFixture f;
    f.actions.selectModel(ModelId::TRK520PID_StetigA);
    EXPECT_TRUE(f.model.hasContinuousOutput);
    f.actions.selectModel(ModelId::TRK520PIDXAO);
    EXPECT_FALSE(f.model.hasContinuousOutput);
    EXPECT_TRUE(f.model.hasCurrentOutput);
    f.actions.selectModel(ModelId::DVN500);
    EXPECT_FALSE(f.model.hasAnalogOutput || f.model.hasCurrentOutput || f.model.hasVoltageOutput ||
                 f.model.hasPidController || f.model.hasContinuousOutput);
}

TEST(ModelSelection, AnalogTextsComeFromTheModel) {
    ConfigFixture f;
    MainWindowModel& m = f.model;
    f.actions.selectModel(ModelId::TRK520PIDXAO);
    EXPECT_EQ(m.gpAnalogOut1.caption, QStringLiteral("Analog Ausgang (Strom 0...20mA)"));
    EXPECT_EQ(m.gpAnalogOut1DAWhi.caption, QStringLiteral("DA High (20mA bei)"));
    EXPECT_EQ(m.gpAnalogOut1DAWlo.caption, QStringLiteral("DA Low (0(4)mA bei"));
    EXPECT_EQ(m.cbAnalogOut1Vorzugslage.items, QStringList({"Off 0[mA]", "On >23[mA]"}));
    EXPECT_EQ(m.cbAnalogOut1Vorzugslage.itemIndex, 0);

    f.actions.selectModel(ModelId::DVN500XAOV);
    EXPECT_EQ(m.gpAnalogOut1.caption, QStringLiteral("Analog Ausgang (Spannung 0...10V)"));
    EXPECT_EQ(m.gpAnalogOut1DAWlo.caption, QStringLiteral("DA Low (0V bei)"));
    EXPECT_EQ(m.cbAnalogOut1Vorzugslage.items, QStringList({"Off 0[V]", "On >10,5[V]"}));

    // The continuous models only change the group caption.
    f.actions.selectModel(ModelId::TRK520PID_StetigV);
    EXPECT_EQ(m.gpAnalogOut1.caption, QStringLiteral("Stetigausgang Spannung 0...10V"));
    EXPECT_EQ(m.gpAnalogOut1DAWlo.caption, QStringLiteral("DA Low (0V bei)"));
    EXPECT_EQ(m.cbAnalogOut1Vorzugslage.items, QStringList({"Off 0[V]", "On >10,5[V]"}));
}

TEST(ModelCatalogue, OutputCodesAndListPositions) {
    EXPECT_EQ(catalogue::outputCode(OutputList::Short, 2), 4);
    EXPECT_EQ(catalogue::outputPosition(OutputList::Short, 4), 2);
    EXPECT_EQ(catalogue::outputPosition(OutputList::Full, 5), 5);
    // Codes a list lacks, including negative answers, select nothing.
    for (int code : {-1, -5, 2, 3, 5})
        EXPECT_EQ(catalogue::outputPosition(OutputList::Short, code), -1) << code;
    for (int code : {-2, 5})
        EXPECT_EQ(catalogue::outputPosition(OutputList::Continuous, code), -1) << code;
    EXPECT_EQ(catalogue::outputPosition(OutputList::None, 0), -1);
}

TEST(ModelSelection, MenuHandlersByComponentName) {
    ConfigFixture f;
    f.actions.menuModelClick(QStringLiteral("MainMenueSchnittstelleItemTRK520PIDXAOV"));
    EXPECT_TRUE(f.model.isChecked(ModelId::TRK520PIDXAOV));
    EXPECT_EQ(f.model.modelCode, 10);
    f.actions.menuModelClick(QStringLiteral("MainMenueSchnittstelleItemTRK520PID_StetigVClick"));
    EXPECT_TRUE(f.model.isChecked(ModelId::TRK520PID_StetigV));
    EXPECT_EQ(f.model.modelCode, 12);
    f.actions.menuModelClick(QStringLiteral("MainMenueSchnittstelleItemNothing"));
    EXPECT_TRUE(f.model.isChecked(ModelId::TRK520PID_StetigV));
}

TEST(ModelSelection, StoredCodesRestoreTheirModel) {
    const struct {
        int32_t code;
        ModelId model;
    } cases[] = {
        {1, ModelId::DVN500},    {2, ModelId::DVN500XAO},    {3, ModelId::DVN500XAOV},
        {5, ModelId::TRK520},    {6, ModelId::TRK520XAO},    {7, ModelId::TRK520XAOV},
        {8, ModelId::TRK520PID}, {9, ModelId::TRK520PIDXAO}, {10, ModelId::TRK520PIDXAOV},
        {0, ModelId::DVN20TB},   {4, ModelId::DVN20TB},      {11, ModelId::DVN20TB},
        {12, ModelId::DVN20TB},  {13, ModelId::DVN20TB},     {-1, ModelId::DVN20TB},
    };
    for (const auto& c : cases) {
        ConfigFixture f;
        f.actions.selectModel(ModelId::TRK520PID_StetigA);
        f.actions.restoreStoredModel(c.code);
        EXPECT_EQ(f.model.checkedModel(), &catalogue::entry(c.model)) << c.code;
        EXPECT_EQ(checkedCount(f.model), 1) << c.code;
        EXPECT_EQ(f.model.modelCode, catalogue::entry(c.model).code) << c.code;
        EXPECT_FALSE(f.model.hasContinuousOutput) << c.code;
    }
}

TEST(ModelSelection, ExtendedPanelCheckSeesTheDvn20AsChecked) {
    ConfigFixture f;
    MainWindowModel& m = f.model;
    m.extendedConfigUnlocked = true;
    f.actions.selectModel(ModelId::TRK520);
    m.MainMenueExtras_ErweiterteKonfiguration.checked = true;
    f.actions.selectModel(ModelId::TRK520PID);
    EXPECT_TRUE(m.MainMenueExtras_ErweiterteKonfiguration.checked);
    EXPECT_TRUE(m.gb_ErweiterteKonfiguration.visible);

    // The DVN 20 TB has no extended words: its own check must run once it is checked.
    f.actions.selectModel(ModelId::DVN20TB);
    EXPECT_FALSE(m.MainMenueExtras_ErweiterteKonfiguration.checked);
    EXPECT_FALSE(m.gb_ErweiterteKonfiguration.visible);
}
