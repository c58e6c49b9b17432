// Every model's configured window, saved to a d20 file and loaded into another
// window that showed something else: both windows must show the same.

#include "FileWindow.h"

#include <gtest/gtest.h>

#include <iterator>
#include <ostream>
#include <tuple>

namespace {

struct ModelSetup {
    ModelId model;
    int kind;
    int sensor; // -1: interface mode, no sensor
    int dp;     // -1: left as it is
    int output; // list position, -1: the model has none
    int controller;
    bool unitExtra;
    bool words;
};

// Each model with another input kind, so that every kind is loaded once.
const ModelSetup kModelSetups[] = {
    {ModelId::DVN20TB, 1, 0, 1, 2, -1, true, false},
    {ModelId::DVN500, 9, 1, 1, -1, -1, false, false},
    {ModelId::DVN500XAO, 4, 2, 0, -1, -1, false, true},
    {ModelId::DVN500XAOV, 2, 0, -1, -1, -1, false, false},
    {ModelId::TRK520, 3, 0, 1, 3, -1, false, false},
    {ModelId::TRK520XAO, 5, 1, 0, 2, -1, false, false},
    {ModelId::TRK520XAOV, 6, 2, 2, 1, -1, false, false},
    {ModelId::TRK520PID, 0, 1, 1, 1, 2, true, true},
    {ModelId::TRK520PIDXAO, 7, 0, 0, 1, 0, false, false},
    {ModelId::TRK520PIDXAOV, 8, -1, 2, 2, -1, true, false},
    {ModelId::TRK520PID_StetigA, 3, 2, 1, 1, 1, false, false},
    {ModelId::TRK520PID_StetigV, 1, 1, 0, 2, 0, false, true},
};

void configure(FileWindow& w, const ModelSetup& s) {
    MainWindowModel& m = w.m();
    w.a().selectModel(s.model);
    if (s.words) {
        // Restoring the DVN 20 TB at start-up took the extended words out of use.
        if (!m.MainMenueExtras_ErweiterteKonfiguration.checked)
            w.a().MainMenueExtras_ErweiterteKonfigurationClick();
        m.e_erw_Allgemein.text = QStringLiteral("3");
        m.e_erw_Alarm.text = QStringLiteral("17");
        m.e_erw_Schaltfunktion2.text = QStringLiteral("255");
    }
    w.input(s.kind, s.sensor);
    if (s.dp >= 0) {
        m.cpAnzeigeDp.setItemIndex(s.dp);
        w.a().cpAnzeigeDpChange();
    }
    if (s.unitExtra) w.pick(m.cb_AnzeigeEinheit, 2);
    w.pick(m.cbAnzeigeUnit, 1);
    w.type(m.neMessbereichHigh, "5000");
    w.type(m.neMessbereichLow, "10");
    w.type(m.neVorteiler, "25");
    w.type(m.neAnzeigeHigh, "150,5");
    w.type(m.neAnzeigeLow, "-20,25");
    w.pick(m.cbLimit, 2);
    w.pick(m.cbEdge, 1);
    m.teFilter.text = QStringLiteral("1") + w.separator + QStringLiteral("25");
    w.a().teFilterExit();
    w.type(m.neFilter, "1,25");
    if (s.output >= 0) w.output(s.output);
    if (s.controller >= 0) w.controller(s.controller);
    w.type(m.neOut1Einschaltpunkt, "100");
    w.type(m.neOut1Ausschaltpunkt, "90,5");
    w.type(m.neOut1Delay, "1,5");
    w.pick(m.cbOut1Mode, 1);
    w.pick(m.cbOut1Vorzugslage, 1);
    w.type(m.neOut2Einschaltpunkt, "120");
    w.type(m.neOut2Ausschaltpunkt, "-10");
    w.type(m.neOut2Delay, "30");
    w.pick(m.cbOut2Mode, 2);
    w.pick(m.cbOut2Vorzugslage, 1);
    w.pick(m.cbStromAusgang, 1);
    w.type(m.neDAC_High, "140");
    w.type(m.neDAC_Low, "-5");
    w.type(m.neDAFilter, "7");
    w.pick(m.cbAnalogOut1Vorzugslage, 1);
    w.type(m.nePID_SP1, "50,5");
    w.type(m.nePID_Proportional, "2,5");
    w.type(m.ne_PIDIntegral, "120");
    w.type(m.nePID_Derivation, "30");
    w.type(m.nePID_CyC, "2,5");
    w.type(m.nePIDdur, "60");
    w.type(m.nePIDthr, "5,5");
    w.pick(m.cbPID_Vorzugslage, 1);
}

// The window's shape: every group's visibility and, when shown, its place (its size follows the rows
// it shows), the word fields' state and the menus. The re-saved file covers every value.
QStringList shape(MainWindowModel& m) {
    QStringList out;
    for (const Control* c : std::initializer_list<const Control*>{
             &m.rgInput, &m.rgSensor, &m.rgOutput, &m.rgReglerFunktion, &m.gpAnzeigeElemente,
             &m.gpOut1Parameter, &m.gpOut2Parameter, &m.gpAnalogOut1, &m.gpPIDRegler,
             &m.gb_ErweiterteKonfiguration, &m.e_erw_Alarm, &m.l_AnzeigeEinheit, &m.teFilter, &m.neFilter})
        out << (c->visible ? QStringLiteral("%1 enabled=%2 at %3,%4 %5x%6")
                                 .arg(c->name)
                                 .arg(c->enabled)
                                 .arg(c->geometry.left)
                                 .arg(c->geometry.top)
                                 .arg(c->geometry.width)
                                 .arg(c->geometry.height)
                           : c->name + QStringLiteral(" hidden"));
    for (const MenuItem* item : m.menuItems()) {
        // What can be undone is the window's history, not its configuration.
        if (item == &m.miRueckgaengig || item == &m.miWiederholen) continue;
        out << QStringLiteral("%1 checked=%2 enabled=%3")
                   .arg(item->name)
                   .arg(item->checked)
                   .arg(item->enabled);
    }
    return out;
}

class RoundTrip : public ::testing::TestWithParam<std::tuple<int, QChar>> {};

} // namespace

inline void PrintTo(const QStringList& s, std::ostream* os) {
    *os << s.join(QLatin1Char('\n')).toStdString();
}

TEST_P(RoundTrip, SavedWindowLoadsBackIntoAnotherWindow) {
    const ModelSetup& s = kModelSetups[std::get<0>(GetParam())];
    const Session session{std::get<1>(GetParam()), s.unitExtra, s.words};

    FileWindow saver(session);
    configure(saver, s);
    ASSERT_TRUE(saver.m().miDatenspeichern.enabled) << "configuration incomplete";
    const QString path = saver.file("konfig.d20");
    saver.save(path, QStringLiteral("Prüfstand  3"));
    ASSERT_EQ(saver.m().StatusBar1.panels[2], QStringLiteral("Datei: konfig.d20 gespeichert"));
    EXPECT_TRUE(saver.m().t_StatusLeisteEnabled);

    // The loading window shows another model with an input kind chosen.
    FileWindow loader(session);
    loader.a().selectModel(s.model == ModelId::TRK520 ? ModelId::DVN500XAO : ModelId::TRK520);
    loader.input(0, 2);
    loader.load(path);

    ASSERT_EQ(loader.prompter.captions(), QStringList{QStringLiteral("Diese Datei laden?")});
    EXPECT_EQ(loader.m().StatusBar1.panels[2], QStringLiteral("Datei: konfig.d20 geladen"));
    EXPECT_TRUE(loader.m().t_StatusLeisteEnabled);
    EXPECT_EQ(shape(loader.m()), shape(saver.m()));

    // Saving the loaded window again gives the same file.
    loader.save(loader.file("again.d20"), QStringLiteral("Prüfstand  3"));
    EXPECT_EQ(FileWindow::bytes(loader.file("again.d20")), FileWindow::bytes(path));
}

INSTANTIATE_TEST_SUITE_P(
    EveryModel, RoundTrip,
    ::testing::Combine(::testing::Range(0, int(std::size(kModelSetups))),
                       ::testing::Values(QChar(u','), QChar(u'.'))),
    [](const ::testing::TestParamInfo<std::tuple<int, QChar>>& info) {
        const ModelEntry& e = catalogue::entry(kModelSetups[std::get<0>(info.param)].model);
        QString name = QString::fromLatin1(e.menuItem).mid(26);
        return (name + (std::get<1>(info.param) == QChar(u',') ? "_Comma" : "_Point")).toStdString();
    });
