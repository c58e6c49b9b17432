#include "ConfigFixture.h"
#include "UserSteps.h"
#include "config/ControlTable.h"

#include <gtest/gtest.h>

#include <QMap>

namespace {

const QString kEmptyNotice = QStringLiteral(
    " wird auf 0 gesetzt da keine Eingabe im Feld\nAndere Werte (wie z.B. Min/Max-Grenzen) können dadurch "
    "ebenfalls geändert werden\nProgramm wird fortgesetzt");

enum { kVoltage, kCurrent, kResistance, kThermocouple, kFrequency, kSpeed, kUp, kDown, kInterface, kFlow };

// Rows of "Einstellwerte" by their value component; the filter counts once.
QStringList shownRows(MainWindowModel& m) {
    QStringList out;
    for (const ControlSpec* s : controltable::inside("gpAnzeigeElemente")) {
        if (s->isField() && s->in(m).visible) out << s->in(m).name;
    }
    return out;
}

} // namespace

// ---------------------------------------------------------------------------------------
// Field clamp rule
// ---------------------------------------------------------------------------------------

class ClampRule : public BothSeparators {};
INSTANTIATE_BOTH_SEPARATORS(ClampRule);

TEST_P(ClampRule, HoldsDisplayValuesToTheDisplayCounts) {
    MainWindowModel& m = f.model;
    m.neAnzeigeHigh.text = QStringLiteral("12345");
    f.actions.aSetAnzeigeHigh();
    EXPECT_EQ(m.neAnzeigeHigh.text, QStringLiteral("9999"));

    m.cpAnzeigeDp.setItemIndex(2);
    f.actions.aSetDp();
    m.neAnzeigeLow.text = QStringLiteral("-25");
    f.actions.aSetAnzeigeLow();
    EXPECT_EQ(m.neAnzeigeLow.text, f.num("-19,99"));

    m.neAnzeigeHigh.text = f.num("12,345");
    f.actions.aSetAnzeigeHigh();
    EXPECT_EQ(m.neAnzeigeHigh.text, f.num("12,35"));
    EXPECT_TRUE(f.prompter.shown.isEmpty());
}

TEST_P(ClampRule, ReadsEitherSeparatorTyped) {
    NumericField& n = f.model.neOut1Delay; // 1 / 2 digits
    for (const char* typed : {"1.5", "1,5"}) {
        n.text = QString::fromLatin1(typed);
        f.actions.clampValue(n, 0.0, 2.0);
        EXPECT_EQ(n.text, f.num("1,50")) << typed;
    }
}

TEST_P(ClampRule, UpperLimitFirstThenLowerWins) {
    NumericField& n = f.model.neMessbereichLow;
    n.text = QStringLiteral("50");
    f.actions.clampValue(n, 100.0, 10.0); // crossed limits: the lower one is applied last
    EXPECT_EQ(n.text, QStringLiteral("100"));
}

TEST_P(ClampRule, EmptyOrNonNumericFieldBecomesZeroWithNotice) {
    NumericField& n = f.model.neAnzeigeHigh;
    n.text.clear();
    f.actions.clampCounts(n, -1999, 9999);
    EXPECT_EQ(n.text, QStringLiteral("0"));
    ASSERT_EQ(f.prompter.shown.size(), 1);
    EXPECT_EQ(f.prompter.shown[0].message.text, QStringLiteral("neAnzeigeHigh") + kEmptyNotice);
    EXPECT_EQ(f.prompter.shown[0].message.caption, QStringLiteral("Hinweis"));
    EXPECT_EQ(f.prompter.shown[0].message.buttons, QList<Prompter::Button>{Prompter::Button::Ok});

    // A lone sign is no number either; the field is not left holding it.
    n.text = QStringLiteral("-");
    f.actions.clampCounts(n, 100, 9999);
    EXPECT_EQ(n.text, QStringLiteral("100"));
    EXPECT_EQ(f.prompter.shown.size(), 2);

    NumericField& filter = f.model.neFilter;
    filter.text.clear();
    f.actions.emptyFieldNotice(filter, QStringLiteral("Filter"));
    EXPECT_EQ(filter.text, f.num("0,0000"));
    EXPECT_TRUE(f.prompter.shown.last().message.text.startsWith(QStringLiteral("Filter wird auf 0")));
}

TEST_P(ClampRule, SeparatorIsReadOnceAndCached) {
    for (int i = 0; i < 3; ++i)
        f.actions.aSetAnzeigeHigh();
    EXPECT_EQ(f.actions.separator(), GetParam());
    EXPECT_EQ(f.separatorReads, 1);
    f.actions.resetSeparatorCache();
    f.actions.separator();
    EXPECT_EQ(f.separatorReads, 2);
}

// A damaged settings file is reported once, not at every field the window refreshes.
TEST(ClampRuleStore, FailedReadFallsBackToTheFieldForTheRestOfTheRun) {
    ConfigFixture f(QChar(u'.'));
    f.storedSeparator.reset();
    NumericField& n = f.model.neOut1Delay;
    n.Seperator = QStringLiteral(".");
    n.text = QStringLiteral("1,5");
    f.actions.clampValue(n, 0.0, 2.0);
    EXPECT_EQ(n.text, QStringLiteral("1.50"));
    f.storedSeparator = QChar(u',');
    f.actions.aSetAll();
    f.actions.clampValue(n, 0.0, 2.0);
    EXPECT_EQ(n.text, QStringLiteral("1.50"));
    EXPECT_EQ(f.separatorReads, 1);
}

// ---------------------------------------------------------------------------------------
// Setters
// ---------------------------------------------------------------------------------------

class InputSetters : public BothSeparators {};
INSTANTIATE_BOTH_SEPARATORS(InputSetters);

TEST_P(InputSetters, TemperatureRangesFollowSensorDecimalPointAndUnit) {
    MainWindowModel& m = f.model;
    f.actions.selectModel(ModelId::TRK520);
    steps::chooseInput(f, kThermocouple, 0); // Typ K
    m.cpAnzeigeDp.setItemIndex(1);
    m.cbAnzeigeUnit.setItemIndex(1); // ° F
    f.actions.aSetUnit();
    EXPECT_EQ(m.neAnzeigeLow.text, QStringLiteral("-94"));
    EXPECT_EQ(m.neAnzeigeHigh.text, QStringLiteral("482"));
    f.actions.aSetAll();
    EXPECT_EQ(m.neAnzeigeLow.text, f.num("-94,0"));
    EXPECT_EQ(m.neAnzeigeHigh.text, f.num("482,0"));

    m.cpAnzeigeDp.setItemIndex(0);
    m.cbAnzeigeUnit.setItemIndex(0);
    m.rgSensor.setItemIndex(3); // Typ J
    f.actions.aSetUnit();
    EXPECT_EQ(m.neAnzeigeLow.text, QStringLiteral("-170"));
    EXPECT_EQ(m.neAnzeigeHigh.text, QStringLiteral("950"));
    EXPECT_EQ(m.cpAnzeigeDp.itemIndex, 0);

    m.cpAnzeigeDp.setItemIndex(1);
    m.rgSensor.setItemIndex(2); // Typ N
    f.actions.aSetUnit();
    EXPECT_EQ(m.neAnzeigeLow.text, QStringLiteral("-100"));
    EXPECT_EQ(m.neAnzeigeHigh.text, QStringLiteral("300"));
}

TEST_P(InputSetters, Dvn20ThermocouplesStayInWholeDegrees) {
    MainWindowModel& m = f.model;
    f.actions.selectModel(ModelId::DVN20TB);
    steps::chooseInput(f, kThermocouple, 0);
    EXPECT_FALSE(m.cpAnzeigeDp.visible);
    m.cpAnzeigeDp.setItemIndex(1); // e.g. from an old file
    m.cbAnzeigeUnit.setItemIndex(1);
    f.actions.aSetUnit();
    EXPECT_EQ(m.cpAnzeigeDp.itemIndex, 1);
    EXPECT_EQ(m.neAnzeigeLow.text, QStringLiteral("-454"));
    // Single-precision conversion, shown to 15 digits as the instrument program does.
    EXPECT_EQ(m.neAnzeigeHigh.text, f.num("2501,60009765625"));
}

TEST_P(InputSetters, ResistanceSetsItsDecimalPoint) {
    MainWindowModel& m = f.model;
    f.actions.selectModel(ModelId::TRK520);
    steps::chooseInput(f, kResistance, 0); // Pt100, 0.1K
    EXPECT_EQ(m.cpAnzeigeDp.itemIndex, 1);
    EXPECT_EQ(m.neAnzeigeLow.text, f.num("-50,0"));
    EXPECT_EQ(m.neAnzeigeHigh.text, f.num("200,0"));
    m.rgSensor.setItemIndex(2); // Pt1000
    f.actions.rgSensorClick();
    EXPECT_EQ(m.cpAnzeigeDp.itemIndex, 0);
    EXPECT_EQ(m.neAnzeigeLow.text, QStringLiteral("-200"));
    EXPECT_EQ(m.neAnzeigeHigh.text, QStringLiteral("850"));
}

TEST_P(InputSetters, SpeedAlwaysShowsTheFullRange) {
    MainWindowModel& m = f.model;
    f.actions.selectModel(ModelId::TRK520);
    steps::chooseInput(f, kSpeed, 1);
    m.neAnzeigeLow.text = QStringLiteral("-500");
    m.neAnzeigeHigh.text = QStringLiteral("20");
    m.neVorteiler.text = QStringLiteral("0");
    f.actions.numericFieldExit();
    EXPECT_EQ(m.neAnzeigeLow.text, QStringLiteral("0"));
    EXPECT_EQ(m.neAnzeigeHigh.text, QStringLiteral("9999"));
    EXPECT_EQ(m.neVorteiler.text, QStringLiteral("1"));
}

TEST_P(InputSetters, PreDividerLimitDependsOnFlowInput) {
    MainWindowModel& m = f.model;
    m.neVorteiler.text = QStringLiteral("5000");
    m.rgInput.setItems(catalogue::inputKinds());
    m.rgInput.setItemIndex(kFlow);
    f.actions.aSetVorteiler();
    EXPECT_EQ(m.neVorteiler.text, QStringLiteral("5000"));
    m.rgInput.setItemIndex(kUp);
    f.actions.aSetVorteiler();
    EXPECT_EQ(m.neVorteiler.text, QStringLiteral("1000"));
}

TEST_P(InputSetters, MeasuringRangeLimits) {
    MainWindowModel& m = f.model;
    m.rgInput.setItems(catalogue::inputKinds());

    m.rgInput.setItemIndex(kFrequency);
    m.neMessbereichLow.text = QStringLiteral("-5");
    m.neMessbereichHigh.text = QStringLiteral("1000");
    f.actions.aSetMessbereichLow();
    EXPECT_EQ(m.neMessbereichLow.text, QStringLiteral("0"));
    m.neMessbereichLow.text = QStringLiteral("1500");
    f.actions.aSetMessbereichLow();
    EXPECT_EQ(m.neMessbereichLow.text, QStringLiteral("1000"));
    m.neMessbereichHigh.text = QStringLiteral("200");
    f.actions.aSetMessbereichHigh(); // cannot go below the low end
    EXPECT_EQ(m.neMessbereichHigh.text, QStringLiteral("1000"));
    m.neMessbereichHigh.text = QStringLiteral("12000");
    f.actions.aSetMessbereichHigh();
    EXPECT_EQ(m.neMessbereichHigh.text, QStringLiteral("9999"));
    // Both ends pasted beyond the counts: neither may drag the other out of range.
    m.neMessbereichLow.text = QStringLiteral("50000");
    m.neMessbereichHigh.text = QStringLiteral("99999");
    f.actions.aSetMessbereichLow();
    f.actions.aSetMessbereichHigh();
    EXPECT_EQ(m.neMessbereichLow.text, QStringLiteral("9999"));
    EXPECT_EQ(m.neMessbereichHigh.text, QStringLiteral("9999"));

    m.rgInput.setItemIndex(kVoltage);
    m.neMessbereichLow.text = QStringLiteral("-5000");
    f.actions.aSetMessbereichLow();
    EXPECT_EQ(m.neMessbereichLow.text, QStringLiteral("-1999"));

    for (int counter : {kUp, kDown}) {
        m.rgInput.setItemIndex(counter);
        m.neMessbereichLow.text = QStringLiteral("500");
        m.neMessbereichHigh.text = QStringLiteral("0");
        f.actions.aSetMessbereichHigh();
        EXPECT_EQ(m.neMessbereichHigh.text, QStringLiteral("0"));
        m.neMessbereichHigh.text = QStringLiteral("-3");
        f.actions.aSetMessbereichHigh();
        EXPECT_EQ(m.neMessbereichHigh.text, QStringLiteral("0"));
    }
}

TEST_P(InputSetters, DecimalPointSetsDigitsOfDisplayAndOutputFields) {
    MainWindowModel& m = f.model;
    m.cpAnzeigeDp.setItemIndex(3);
    f.actions.cpAnzeigeDpChange();
    for (NumericField* n :
         {&m.neAnzeigeHigh, &m.neAnzeigeLow, &m.neOut1Einschaltpunkt, &m.neOut1Ausschaltpunkt,
          &m.neOut2Einschaltpunkt, &m.neOut2Ausschaltpunkt, &m.neDAC_Low, &m.neDAC_High}) {
        EXPECT_EQ(n->Vorkommastellen, 1) << n->name.toStdString();
        EXPECT_EQ(n->Nachkommastellen, 3) << n->name.toStdString();
    }
    EXPECT_EQ(m.neAnzeigeHigh.text, f.num("9,999"));
    EXPECT_EQ(m.neFilter.Nachkommastellen, 2);
    EXPECT_TRUE(m.Panel1.visible);
}

TEST_P(InputSetters, FilterLimitsPerModel) {
    MainWindowModel& m = f.model;
    f.actions.selectModel(ModelId::DVN20TB);
    m.neFilter.text = QStringLiteral("0");
    f.actions.aSetFilter();
    EXPECT_EQ(m.neFilter.text, f.num("0,01"));
    EXPECT_EQ(m.teFilter.text, f.num("0,01"));

    f.actions.selectModel(ModelId::TRK520);
    m.neFilter.text = QStringLiteral("0");
    f.actions.aSetFilter();
    EXPECT_EQ(m.neFilter.text, f.num("0,00"));
    EXPECT_EQ(m.teFilter.text, QStringLiteral("oFF"));
    m.neFilter.text = QStringLiteral("3");
    f.actions.aSetFilter();
    EXPECT_EQ(m.teFilter.text, f.num("2,00"));
    EXPECT_TRUE(m.Panel1.visible);
}

// ---------------------------------------------------------------------------------------
// Filter text field
// ---------------------------------------------------------------------------------------

class FilterTyping : public BothSeparators {
  protected:
    void SetUp() override { f.actions.selectModel(ModelId::TRK520); }
    // Types `keys` into the emptied field; returns the keys refused.
    QString type(const QString& keys) {
        f.model.teFilter.text.clear();
        QString refused;
        for (QChar k : keys) {
            if (!f.actions.teFilterKeyPress(k)) refused += k;
        }
        return refused;
    }
    QString text() const { return f.model.teFilter.text; }
};
INSTANTIATE_BOTH_SEPARATORS(FilterTyping);

TEST_P(FilterTyping, FirstKeyIntoEmptyField) {
    type(QStringLiteral("7"));
    EXPECT_EQ(text(), f.num("2,00"));
    type(QStringLiteral("1"));
    EXPECT_EQ(text(), f.num("1,"));
    type(QStringLiteral("0"));
    EXPECT_EQ(text(), f.num("0,"));
    for (const char* s : {",", "."}) {
        type(QString::fromLatin1(s));
        EXPECT_EQ(text(), f.num("0,")) << s;
    }
    type(QStringLiteral("\r"));
    EXPECT_EQ(text(), QStringLiteral("oFF"));
}

TEST_P(FilterTyping, DigitsFillTwoPlacesAndRefuseTheRest) {
    EXPECT_EQ(type(QStringLiteral("1593")), QStringLiteral("3"));
    EXPECT_EQ(text(), f.num("1,59"));
    EXPECT_EQ(type(QStringLiteral("0,5")), QStringLiteral(","));
    EXPECT_EQ(text(), f.num("0,5"));
    EXPECT_EQ(type(QStringLiteral("a-1+")), QStringLiteral("a-+"));
    EXPECT_EQ(text(), f.num("1,"));
    type(QStringLiteral("2"));
    f.actions.teFilterKeyPress(QChar(u'7'));
    EXPECT_EQ(text(), f.num("2,00"));
}

TEST_P(FilterTyping, OffAndBackspace) {
    type(QStringLiteral("1,2O"));
    EXPECT_EQ(text(), QStringLiteral("oFF"));
    f.actions.teFilterKeyPress(QChar(u'1')); // typing over "oFF" starts again
    EXPECT_EQ(text(), f.num("1,"));
    type(QStringLiteral("15"));
    f.actions.teFilterKeyPress(QChar(8));
    f.actions.teFilterKeyPress(QChar(8));
    EXPECT_EQ(text(), QStringLiteral("1"));
    f.actions.teFilterKeyPress(QChar(u'2'));
    EXPECT_EQ(text(), f.num("1,2"));
    type(QStringLiteral("o"));
    f.actions.teFilterKeyPress(QChar(8));
    EXPECT_EQ(text(), QString());
}

TEST_P(FilterTyping, CompletionOnLeaving) {
    struct Case {
        const char* typed;
        const char* shown;  // teFilter afterwards, ',' standing for the separator
        const char* stored; // neFilter afterwards
    };
    const Case cases[] = {
        {"", "oFF", "0,00"},    {"0", "oFF", "0,00"},     {",", "oFF", "0,00"},   {"o", "oFF", "0,00"},
        {"1", "1,00", "1,00"},  {"5", "2,00", "2,00"},    {"1,", "1,00", "1,00"}, {"0,5", "0,50", "0,50"},
        {"0,0", "oFF", "0,00"}, {"1,75", "1,75", "1,75"}, {"oFF", "oFF", "0,00"},
    };
    for (const Case& c : cases) {
        f.model.teFilter.text = f.num(QString::fromLatin1(c.typed));
        f.actions.teFilterExit();
        EXPECT_EQ(text(), f.num(QString::fromLatin1(c.shown))) << c.typed;
        EXPECT_EQ(f.model.neFilter.text, f.num(QString::fromLatin1(c.stored))) << c.typed;
    }
    EXPECT_TRUE(f.prompter.shown.isEmpty());
}

// ---------------------------------------------------------------------------------------
// Input kinds and sensors
// ---------------------------------------------------------------------------------------

class InputLayout : public BothSeparators {};
INSTANTIATE_BOTH_SEPARATORS(InputLayout);

TEST_P(InputLayout, RowsPerInputKind) {
    MainWindowModel& m = f.model;
    f.actions.selectModel(ModelId::TRK520);
    const QStringList display = {"cpAnzeigeDp", "neAnzeigeLow", "neAnzeigeHigh", "cbLimit", "teFilter"};
    const QMap<int, QStringList> rows = {
        {kVoltage, display},
        {kCurrent, display},
        {kResistance, {"teFilter", "cbAnzeigeUnit"}},
        {kThermocouple, {"cpAnzeigeDp", "teFilter", "cbAnzeigeUnit"}},
        {kFrequency,
         {"cpAnzeigeDp", "neAnzeigeLow", "neAnzeigeHigh", "cbLimit", "teFilter", "neMessbereichLow",
          "neMessbereichHigh"}},
        {kSpeed, {"cpAnzeigeDp", "neVorteiler"}},
        {kUp, {"cpAnzeigeDp", "neAnzeigeHigh", "cbLimit", "neMessbereichHigh", "neVorteiler", "cbEdge"}},
        {kDown, {"cpAnzeigeDp", "neAnzeigeHigh", "cbLimit", "neMessbereichHigh", "neVorteiler", "cbEdge"}},
        {kInterface, {"cpAnzeigeDp"}},
        {kFlow, {"cpAnzeigeDp", "teFilter", "neVorteiler", "cbAnzeigeUnit"}},
    };
    for (auto it = rows.begin(); it != rows.end(); ++it) {
        m.rgInput.setItemIndex(it.key());
        f.actions.rgInputClick();
        EXPECT_EQ(shownRows(m), it.value()) << "kind " << it.key();
        EXPECT_TRUE(m.lMainCaption.visible);
        EXPECT_TRUE(m.Panel1.visible);
        EXPECT_TRUE(m.inputKindChanged);
        EXPECT_EQ(m.rgOutput.visible, it.key() == kInterface);
        EXPECT_EQ(m.rgSensor.visible, it.key() != kInterface);
        EXPECT_EQ(m.gpAnzeigeElemente.visible, it.key() == kInterface);
    }
}

TEST_P(InputLayout, ChoosingAKindResetsListsButKeepsValues) {
    MainWindowModel& m = f.model;
    f.actions.selectModel(ModelId::TRK520);
    steps::chooseInput(f, kVoltage, 0);
    m.cbLimit.setItemIndex(2);
    m.cbEdge.setItemIndex(1);
    m.cbOut2Vorzugslage.setItemIndex(1);
    m.rgOutput.setItemIndex(3);
    m.neAnzeigeHigh.text = QStringLiteral("1234");
    steps::chooseInput(f, kCurrent);
    EXPECT_EQ(m.cbLimit.itemIndex, 0);
    EXPECT_EQ(m.cbEdge.itemIndex, 0);
    EXPECT_EQ(m.cbOut2Vorzugslage.itemIndex, 0);
    EXPECT_EQ(m.rgOutput.itemIndex, 0);
    EXPECT_EQ(m.rgSensor.itemIndex, -1);
    EXPECT_EQ(m.rgSensor.items, QStringList({"4 - 20 mA", "0 - 20 mA"}));
    EXPECT_EQ(m.neAnzeigeHigh.text, QStringLiteral("1234"));
    EXPECT_FALSE(m.miDatenspeichern.enabled);
    EXPECT_FALSE(m.miKonfigurationprogrammieren1.enabled);

    m.neAnzeigeLow.text = QStringLiteral("50");
    steps::chooseInput(f, kDown);
    EXPECT_EQ(m.neAnzeigeLow.text, QStringLiteral("-1999"));
    steps::chooseInput(f, kUp);
    EXPECT_EQ(m.neAnzeigeLow.text, QStringLiteral("0"));
}

TEST_P(InputLayout, FilterFieldAndThermocoupleDecimalPointPerModel) {
    MainWindowModel& m = f.model;
    f.actions.selectModel(ModelId::DVN20TB);
    steps::chooseInput(f, kVoltage);
    EXPECT_TRUE(m.neFilter.visible);
    EXPECT_FALSE(m.teFilter.visible);
    EXPECT_EQ(m.rgInput.items.size(), 9);

    f.actions.selectModel(ModelId::TRK520);
    steps::chooseInput(f, kThermocouple, 0);
    EXPECT_TRUE(m.cpAnzeigeDp.visible);
    EXPECT_EQ(m.cpAnzeigeDp.items, QStringList({"0000", "000,0"}));
    m.rgSensor.setItemIndex(1); // Typ S: whole degrees only
    f.actions.rgSensorClick();
    EXPECT_FALSE(m.cpAnzeigeDp.visible);
    EXPECT_EQ(m.cpAnzeigeDp.itemIndex, 0);
    EXPECT_EQ(m.neAnzeigeHigh.text, QStringLiteral("1750"));
}

TEST_P(InputLayout, SensorLabels) {
    MainWindowModel& m = f.model;
    f.actions.selectModel(ModelId::TRK520);
    const struct {
        int kind, sensor;
        const char* high;
        const char* low;
    } cases[] = {
        {kVoltage, 0, "Anzeige bei 10V", "Anzeige bei 0V"},
        {kVoltage, 3, "Anzeige bei 50mV", "Anzeige bei 0mV"},
        {kCurrent, 0, "Anzeige bei 20mA", "Anzeige bei 4mA"},
        {kCurrent, 1, "Anzeige bei 20mA", "Anzeige bei 0mA"},
        {kFrequency, 2, "Anzeige bei höchster Frequenz", "Anzeige bei niedrigster Frequenz"},
    };
    for (const auto& c : cases) {
        steps::chooseInput(f, c.kind, c.sensor);
        EXPECT_EQ(m.lAnzeigeHigh.caption, QString::fromUtf8(c.high));
        EXPECT_EQ(m.lAnzeigeLow.caption, QString::fromUtf8(c.low));
        EXPECT_TRUE(m.gpAnzeigeElemente.visible);
        EXPECT_TRUE(m.rgOutput.visible);
    }
    steps::chooseInput(f, kUp, 0);
    EXPECT_EQ(m.lMessbereichHigh.caption, QStringLiteral("Obere Zählbereichsgrenze"));
    EXPECT_EQ(m.lAnzeigeHigh.caption, QStringLiteral("Obere Anzeigebereichsgrenze"));
    EXPECT_FALSE(m.cbAnzeigeUnit.visible);
    steps::chooseInput(f, kFrequency, 0);
    EXPECT_EQ(m.lMessbereichHigh.caption, QStringLiteral("höchste Frequenz"));
}

TEST_P(InputLayout, FlowSensorSwitchesUnitsAndPreDividerLabel) {
    MainWindowModel& m = f.model;
    f.actions.selectModel(ModelId::TRK520);
    m.neFilter.text = QStringLiteral("1");
    steps::chooseInput(f, kFlow, 1);
    EXPECT_EQ(m.cbAnzeigeUnit.items, QStringList({"l/sec", "l/hr", "l/min"}));
    EXPECT_EQ(m.cbAnzeigeUnit.itemIndex, 0);
    EXPECT_TRUE(m.cbAnzeigeUnit.visible);
    EXPECT_EQ(m.lVorteiler.caption, QStringLiteral("Pulse pro Liter"));
    EXPECT_EQ(m.teFilter.text, QStringLiteral("oFF"));

    steps::chooseInput(f, kResistance, 1);
    EXPECT_EQ(m.cbAnzeigeUnit.items, QStringList({"° C", "° F"}));
    EXPECT_EQ(m.lVorteiler.caption, QStringLiteral("Vorteiler"));
}

TEST_P(InputLayout, InterfaceModeIsCompleteAtOnce) {
    MainWindowModel& m = f.model;
    f.actions.selectModel(ModelId::DVN500XAO);
    m.Konfigurationlesen1.enabled = true;
    steps::chooseInput(f, kInterface);
    EXPECT_FALSE(m.rgOutput.visible); // no output functions on this family
    EXPECT_TRUE(m.gpAnzeigeElemente.visible);
    EXPECT_TRUE(m.miDatenspeichern.enabled);
    EXPECT_TRUE(m.miKonfigurationprogrammieren1.enabled);

    f.actions.selectModel(ModelId::TRK520);
    m.Konfigurationlesen1.enabled = false;
    steps::chooseInput(f, kInterface);
    EXPECT_TRUE(m.rgOutput.visible);
    EXPECT_TRUE(m.miDatenspeichern.enabled);
    EXPECT_FALSE(m.miKonfigurationprogrammieren1.enabled);
    EXPECT_EQ(m.cpAnzeigeDp.items.size(), 4);
}

TEST_P(InputLayout, DisplayModelsNeverShowOutputFunctions) {
    MainWindowModel& m = f.model;
    for (ModelId id : {ModelId::DVN500, ModelId::DVN500XAO, ModelId::DVN500XAOV}) {
        f.actions.selectModel(id);
        steps::chooseInput(f, kVoltage, 0);
        EXPECT_FALSE(m.rgOutput.visible);
        EXPECT_TRUE(m.miDatenspeichern.enabled);
    }
}

TEST_P(InputLayout, MeasuringModeIsNeverShown) {
    MainWindowModel& m = f.model;
    m.MainMenueExtrasAnzeigeeinheit.checked = true;
    for (ModelId id : {ModelId::DVN20TB, ModelId::TRK520PID_StetigA}) {
        f.actions.selectModel(id);
        for (int kind = 0; kind < m.rgInput.items.size(); ++kind) {
            steps::chooseInput(f, kind, 0);
            EXPECT_FALSE(m.cbAnzeigeMessart.visible || m.lAnzeigeMessart.visible) << kind;
        }
    }
}

// ---------------------------------------------------------------------------------------
// Display unit extra and range page
// ---------------------------------------------------------------------------------------

TEST(DisplayUnitExtra, TogglesRowForSignalAndInterfaceInputs) {
    ConfigFixture f;
    MainWindowModel& m = f.model;
    f.unitTexts = {QStringLiteral("bar"), QStringLiteral("°C"), QStringLiteral("m³/h")};
    f.actions.selectModel(ModelId::TRK520);
    steps::chooseInput(f, kCurrent, 0);
    f.actions.MainMenueExtrasAnzeigeeinheitClick();
    EXPECT_TRUE(m.MainMenueExtrasAnzeigeeinheit.checked);
    EXPECT_EQ(m.cb_AnzeigeEinheit.items, f.unitTexts);
    EXPECT_EQ(m.cb_AnzeigeEinheit.itemIndex, 0);
    EXPECT_TRUE(m.cb_AnzeigeEinheit.visible);
    EXPECT_TRUE(m.l_AnzeigeEinheit.visible);

    m.cb_AnzeigeEinheit.setItemIndex(2);
    f.actions.MainMenueExtrasAnzeigeeinheitClick();
    EXPECT_FALSE(m.cb_AnzeigeEinheit.visible);
    f.actions.MainMenueExtrasAnzeigeeinheitClick();
    EXPECT_EQ(m.cb_AnzeigeEinheit.items.size(), 3); // rebuilt, not appended
    EXPECT_EQ(m.cb_AnzeigeEinheit.itemIndex, 2);

    f.actions.MainMenueExtrasAnzeigeeinheitClick();
    steps::chooseInput(f, kFrequency, 0);
    f.actions.MainMenueExtrasAnzeigeeinheitClick();
    EXPECT_FALSE(m.cb_AnzeigeEinheit.visible);
}

TEST(DisplayUnitExtra, FullListIsNotReadAgainAndMissingLibraryLeavesItEmpty) {
    ConfigFixture f;
    MainWindowModel& m = f.model;
    f.actions.aPopulateAnzeigeEinheit();
    EXPECT_TRUE(m.cb_AnzeigeEinheit.items.isEmpty());
    EXPECT_EQ(m.cb_AnzeigeEinheit.itemIndex, -1);
    EXPECT_TRUE(f.prompter.shown.isEmpty());

    for (int i = 0; i < 20; ++i)
        f.unitTexts << QStringLiteral("u%1").arg(i);
    f.actions.aPopulateAnzeigeEinheit();
    EXPECT_EQ(m.cb_AnzeigeEinheit.items.size(), 20);
    f.unitTexts = {QStringLiteral("other")};
    f.actions.aPopulateAnzeigeEinheit();
    EXPECT_EQ(m.cb_AnzeigeEinheit.items.first(), QStringLiteral("u0"));
}

TEST(RangePage, OpensTheManualBelowTheCurrentDirectory) {
    ConfigFixture f;
    f.actions.pm_MessbereichAnzeigenClick();
    EXPECT_EQ(f.prompter.openedDocuments,
              QStringList{QStringLiteral("/opt/trk/Manual/OEM_Messbereiche.html")});
}
