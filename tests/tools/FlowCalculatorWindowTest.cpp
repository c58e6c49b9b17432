#include "tools/FlowCalculatorWindow.h"
#include "config/ConfigFixture.h"

#include <gtest/gtest.h>

namespace {

enum Unit { LMin, LH, M3Min, M3H };

const QString kOverflowCaption = QStringLiteral("Fehler, Werteüberlauf");
const QString kDiHiOverflow =
    QStringLiteral("Wert für di.Hi überschreitet den Maximalwert 9999\nWerte können nicht verwendet werden!");
const QString kFrHiOverflow =
    QStringLiteral("Wert für Fr.Hi überschreitet den Maximalwert 9999\nWerte können nicht verwendet werden!");

// A calculator over a TRK 520 main window.
struct Flow {
    ConfigFixture f;
    FlowCalculatorWindow w;

    explicit Flow(QChar sep = QChar(u',')) : f(sep), w(f.actions, f.prompter, sep) {
        f.actions.selectModel(ModelId::TRK520);
        w.FormCreate();
    }

    void enter(const char* max, Unit unit, const char* pulses, bool perCubicMetre, Unit display, int dp,
               int output = 0) {
        w.eMaxChange(QLatin1String(max));
        w.cbEinheitChange(unit);
        w.eImpulszahlChange(QLatin1String(pulses));
        w.cbImpulseProChange(perCubicMetre ? 1 : 0);
        w.cbAnzeigeeinheitChange(display);
        w.cbDpChange(dp);
        w.cbAusgangssignalChange(output);
    }
    bool showsInputsOnly() const {
        return w.mKurzanleitung.visible && !w.pErgenisse.visible &&
               !w.bDurchFlussMessungEinstellungUebernehmen.enabled;
    }
};

} // namespace

TEST(FlowCalculator, WorkedExamples) {
    struct Case {
        const char* max;
        Unit unit;
        const char* pulses;
        bool perCubicMetre;
        Unit display;
        int dp;
        float f;
        int32_t F;
        const char* diHi;
    };
    const Case cases[] = {
        {"100", LMin, "10", false, LMin, 0, 16.667f, 17, "102"},
        {"60", LMin, "1", false, LMin, 0, 1.0f, 1, "60"},
        {"20", M3H, "1500", true, LMin, 1, 8.333f, 9, "360,0"},
        {"500", LMin, "100", false, LMin, 0, 833.333f, 834, "500"},
        // Cubic metres on either side; a unit's factor turns it into l/s (m³/min 0,06, m³/h 3,6):
        // 0,5 m³/min / 0,06 = 8,333 l/s, x 10/l: f = 83,33 Hz, F = 84;
        //   V = 0,5 x 60 / 0,06 = 500 l/min, D = 84 x 500 / 83,33 = 504.
        {"0,5", M3Min, "10", false, LMin, 0, 83.333f, 84, "504"},
        // 2 m³/min / 0,06 = 33,33 l/s, x 100/m³ = 0,1/l: f = 3,333 Hz, F = 4;
        //   V = 2 x 3,6 / 0,06 = 120 m³/h, D = 4 x 120 / 3,333 = 144,0.
        {"2", M3Min, "100", true, M3H, 1, 3.333f, 4, "144,0"},
        // 9 m³/h / 3,6 = 2,5 l/s, x 3000/m³ = 3/l: f = 7,5 Hz, F = 8;
        //   V = 9 x 0,06 / 3,6 = 0,15 m³/min, D = 8 x 0,15 / 7,5 = 0,16.
        {"9", M3H, "3000", true, M3Min, 2, 7.5f, 8, "0,16"},
    };
    for (const Case& c : cases) {
        Flow t;
        t.enter(c.max, c.unit, c.pulses, c.perCubicMetre, c.display, c.dp);
        t.w.bEinstellwerte_zeigenClick();
        SCOPED_TRACE(c.max);
        EXPECT_TRUE(t.f.prompter.shown.isEmpty());
        EXPECT_EQ(t.w.frhi.value.caption, QString::number(c.F));
        EXPECT_EQ(t.w.dihi.value.caption, QLatin1String(c.diHi));
        EXPECT_EQ(t.w.inp.value.caption, QStringLiteral("FrEq"));
        EXPECT_EQ(t.w.sens.value.caption, QStringLiteral("TTL"));
        EXPECT_FALSE(t.w.filt.value.visible);
        EXPECT_TRUE(t.w.pErgenisse.visible && t.w.bDurchFlussMessungEinstellungUebernehmen.enabled);
        EXPECT_FALSE(t.w.mKurzanleitung.visible);
    }
    // A whole frequency stays whole; the volume flow keeps single precision.
    const auto exact = FlowCalculatorWindow::calculate(60, LMin, 1, LMin);
    EXPECT_EQ(exact.f, 1.0f);
    EXPECT_EQ(exact.F, 1);
    const auto cubic = FlowCalculatorWindow::calculate(20, M3H, 1.5f, LMin);
    EXPECT_NEAR(cubic.V, 333.33f, 0.01f);
    EXPECT_NEAR(cubic.D, 360.0f, 0.001f);

    Flow point(QChar(u'.'));
    point.enter("20", M3H, "1500", true, LMin, 1, 2);
    point.w.bEinstellwerte_zeigenClick();
    EXPECT_EQ(point.w.dihi.value.caption, QStringLiteral("360.0"));
    EXPECT_EQ(point.w.sens.value.caption, QStringLiteral("PNP"));
}

TEST(FlowCalculator, OverflowsReturnToTheInputs) {
    struct Case {
        const char* max;
        const char* pulses;
        Unit display;
        int dp;
        QStringList messages;
    };
    const Case cases[] = {
        {"6000", "100", LMin, 0, {kFrHiOverflow}},               // F = 10000
        {"1000", "1", LH, 0, {kDiHiOverflow}},                   // D = 61200
        {"1000", "1000", LH, 0, {kDiHiOverflow, kFrHiOverflow}}, // both, di.Hi first
        // Four digits in all: 2040 does not fit behind one decimal.
        {"2000",
         "1",
         LMin,
         1,
         {QStringLiteral(
             "Wert für di.Hi überschreitet bei dP 000,0 den Maximalwert 999,9\nWerte können nicht "
             "verwendet werden!")}},
    };
    for (const Case& c : cases) {
        Flow t;
        SCOPED_TRACE(c.max);
        t.enter(c.max, LMin, c.pulses, false, c.display, c.dp, 2);
        t.w.bEinstellwerte_zeigenClick();
        EXPECT_EQ(t.f.prompter.texts(), c.messages);
        for (const auto& s : t.f.prompter.shown) {
            EXPECT_EQ(s.message.caption, kOverflowCaption);
            EXPECT_EQ(s.message.icon, Prompter::Icon::None);
        }
        EXPECT_TRUE(t.showsInputsOnly());
        EXPECT_EQ(t.w.cbAnzeigeeinheit.itemIndex, 0);
        EXPECT_EQ(t.w.cbAusgangssignal.itemIndex, 0);
        EXPECT_EQ(t.w.cbDp.itemIndex, 0);
        EXPECT_EQ(t.w.dihi.value.caption, QStringLiteral("  "));
    }
}

TEST(FlowCalculator, HandOverFillsTheMainWindowInTheUsersOrder) {
    Flow t;
    MainWindowModel& m = t.f.model;
    // The frequency rows are laid out from the start, no sensor chosen.
    EXPECT_EQ(m.rgSensor.itemIndex, -1);
    EXPECT_TRUE(m.neMessbereichLow.visible && m.neMessbereichHigh.visible && m.cbLimit.visible);
    EXPECT_FALSE(m.cbEdge.visible || m.neVorteiler.visible);

    m.neMessbereichHigh.text = QStringLiteral("5"); // below the new low end until it is raised
    m.cbLimit.itemIndex = 2;
    t.enter("20", M3H, "1500", true, LMin, 1, 1);
    t.w.bEinstellwerte_zeigenClick();
    // Changing an input blanks the values; taking them over computes again.
    t.w.eMaxChange(QStringLiteral("40"));
    EXPECT_EQ(t.w.frhi.value.caption, QStringLiteral("  "));
    EXPECT_TRUE(t.w.bDurchFlussMessungEinstellungUebernehmen.enabled);
    t.w.bDurchFlussMessungEinstellungUebernehmenClick();

    EXPECT_TRUE(t.w.closeRequested);
    EXPECT_EQ(m.rgInput.itemIndex, 4);
    EXPECT_TRUE(m.inputKindChanged);
    EXPECT_EQ(m.rgSensor.itemIndex, 1); // NPN
    EXPECT_EQ(m.cpAnzeigeDp.itemIndex, 1);
    EXPECT_EQ(m.neAnzeigeHigh.text, QStringLiteral("680,0")); // 17 Hz for 16.67 Hz
    EXPECT_EQ(m.neAnzeigeLow.text, QStringLiteral("0,0"));
    EXPECT_EQ(m.neMessbereichLow.text, QStringLiteral("0"));
    EXPECT_EQ(m.neMessbereichHigh.text, QStringLiteral("17"));
    EXPECT_EQ(m.cbLimit.itemIndex, 0);
    EXPECT_EQ(m.teFilter.text, QStringLiteral("1,00"));
    EXPECT_EQ(m.neFilter.text, QStringLiteral("1,00"));
    EXPECT_TRUE(m.gpAnzeigeElemente.visible);
    EXPECT_EQ(m.lAnzeigeHigh.caption, QStringLiteral("Anzeige bei höchster Frequenz"));
    EXPECT_TRUE(t.f.prompter.shown.isEmpty());
}

TEST(FlowCalculator, UnusableInputsHandOverNothing) {
    for (const char* bad : {"abc", "0", "-5", "", "1e-60"}) {
        for (bool inMax : {true, false}) {
            Flow t;
            SCOPED_TRACE(bad);
            const MainWindowModel before = t.f.model;
            t.enter(inMax ? bad : "100", LMin, inMax ? "10" : bad, false, LMin, 0);
            t.w.bDurchFlussMessungEinstellungUebernehmenClick();
            ASSERT_EQ(t.f.prompter.shown.size(), 1);
            EXPECT_TRUE(t.f.prompter.shown[0].message.text.startsWith(
                QStringLiteral("\"%1\" ist keine gültige Eingabe für \"%2\"")
                    .arg(QLatin1String(bad),
                         inMax ? QStringLiteral("Meßbereich max.") : QStringLiteral("Anzahl der Impulse"))));
            EXPECT_TRUE(t.showsInputsOnly());
            EXPECT_FALSE(t.w.closeRequested);
            EXPECT_EQ(t.f.model.rgInput.itemIndex, before.rgInput.itemIndex);
            EXPECT_EQ(t.f.model.neAnzeigeHigh.text, before.neAnzeigeHigh.text);
        }
    }
    // An overflow on the recomputation stops the hand-over as well.
    Flow t;
    t.enter("1000", LMin, "1", false, LMin, 0);
    t.w.bEinstellwerte_zeigenClick();
    t.w.cbAnzeigeeinheitChange(LH);
    t.w.bDurchFlussMessungEinstellungUebernehmenClick();
    EXPECT_EQ(t.f.prompter.texts(), QStringList{kDiHiOverflow});
    EXPECT_EQ(t.f.model.rgInput.itemIndex, -1);
    EXPECT_FALSE(t.w.closeRequested);
}
