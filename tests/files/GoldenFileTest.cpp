// d20 files written by hand, one per model family, each with the values the window must show
// after loading it. Every other file test writes and reads with the program's own code, so a
// fault shared by writer and reader (a misspelled tag, a field out of order) goes unnoticed there.

#include "FileWindow.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace {

struct Golden {
    const char* file;
    Session session;
    ModelId model;
    // What the window shows after loading, field by field in file order, "; " between them.
    const char* fields;
    // The four extended words, empty when the file has none.
    QStringList words;
};

// The comment typed when the loaded window is saved again; the file holds it word by word with
// "<" and ">" replaced.
const QString kComment = QStringLiteral("Prüfstand  3 <Halle 2>");
const QString kCommentShown = QStringLiteral("Kommentar:  Prüfstand 3 ‹Halle 2›\n");

// clang-format off
const Golden kGolden[] = {
    // Up counter with both switching outputs and their output type. The DVN 20 TB never uses the
    // extended words, so its files carry none.
    {"dvn20tb-comma.d20",
     Session{QChar(u','), false, true},
     ModelId::DVN20TB,
     "rgInput 6; rgSensor 1; cpAnzeigeDp 1; neAnzeigeHigh 850,5; neAnzeigeLow 0,0; cbLimit 2; neFilter 1,25; "
     "neMessbereichHigh 5000; neMessbereichLow 10; neVorteiler 25; cbAnzeigeUnit 0; cbAnzeigeMessart 0; "
     "cbEdge 1; "
     "rgOutput 2; neOut1Einschaltpunkt 100,0; neOut1Ausschaltpunkt 90,5; neOut1Delay 1,50; cbOut1Mode 2; "
     "cbOut1Vorzugslage 1; neOut2Einschaltpunkt 120,0; neOut2Ausschaltpunkt 12,5; neOut2Delay 0,30; "
     "cbOut2Mode 1; cbOut2Vorzugslage 1; "
     "cbStromAusgang 0; neDAC_High 850,5; neDAC_Low 0,0; cbAnalogOut1Vorzugslage 0; neDAFilter 0; "
     "rgReglerFunktion -1; nePID_SP1 1000; nePID_Proportional 1000; ne_PIDIntegral 1000; "
     "nePID_Derivation 1000; nePID_CyC 1000; nePIDdur 1000; nePIDthr 1000; cbPID_Vorzugslage Off; "
     "MainMenueExtrasAnzeigeeinheit 0; cb_AnzeigeEinheit -1",
     {}},
    // Current input with the display unit extra ("bar") and the voltage output; no output functions.
    {"dvn500xao010-point.d20",
     Session{QChar(u'.'), true, true},
     ModelId::DVN500XAOV,
     "rgInput 1; rgSensor 1; cpAnzeigeDp 2; neAnzeigeHigh 75.25; neAnzeigeLow -5.50; cbLimit 1; "
     "neFilter 0.75; neMessbereichHigh 2500; neMessbereichLow -100; neVorteiler 40; cbAnzeigeUnit 0; "
     "cbAnzeigeMessart 0; cbEdge 0; "
     "rgOutput -1; neOut1Einschaltpunkt 50.00; neOut1Ausschaltpunkt 45.50; neOut1Delay 1.50; cbOut1Mode 0; "
     "cbOut1Vorzugslage 0; neOut2Einschaltpunkt 60.00; neOut2Ausschaltpunkt -2.50; neOut2Delay 0.50; "
     "cbOut2Mode 0; cbOut2Vorzugslage 0; "
     "cbStromAusgang 0; neDAC_High 70.00; neDAC_Low -5.00; cbAnalogOut1Vorzugslage 1; neDAFilter 12; "
     "rgReglerFunktion -1; nePID_SP1 1000; nePID_Proportional 1000; ne_PIDIntegral 1000; "
     "nePID_Derivation 1000; nePID_CyC 1000; nePIDdur 1000; nePIDthr 1000; cbPID_Vorzugslage Off; "
     "MainMenueExtrasAnzeigeeinheit 1; cb_AnzeigeEinheit 2",
     {"3", "17", "129", "66"}},
    // Pt100 in °F (the temperature range follows the sensor), the current range 0...20 mA and a
    // cooling three-point step controller; the PID bit is allowed in switching function 1.
    {"trk520pidxao020-comma.d20",
     Session{QChar(u','), false, true},
     ModelId::TRK520PIDXAO,
     "rgInput 2; rgSensor 0; cpAnzeigeDp 1; neAnzeigeHigh 392,0; neAnzeigeLow -58,0; cbLimit 0; "
     "neFilter 0,00; neMessbereichHigh 5000; neMessbereichLow 10; neVorteiler 25; cbAnzeigeUnit 1; "
     "cbAnzeigeMessart 0; cbEdge 0; "
     "rgOutput 1; neOut1Einschaltpunkt 100,0; neOut1Ausschaltpunkt 90,5; neOut1Delay 1,50; cbOut1Mode 0; "
     "cbOut1Vorzugslage 1; neOut2Einschaltpunkt 120,0; neOut2Ausschaltpunkt -10,0; neOut2Delay 0,30; "
     "cbOut2Mode 0; cbOut2Vorzugslage 1; "
     "cbStromAusgang 1; neDAC_High 350,0; neDAC_Low -40,0; cbAnalogOut1Vorzugslage 1; neDAFilter 0; "
     "rgReglerFunktion 3; nePID_SP1 150,5; nePID_Proportional 2,5; ne_PIDIntegral 120; nePID_Derivation 30; "
     "nePID_CyC 2,5; nePIDdur 60,0; nePIDthr 5,5; cbPID_Vorzugslage On; "
     "MainMenueExtrasAnzeigeeinheit 0; cb_AnzeigeEinheit -1",
     {"3", "17", "145", "66"}},
    // Frequency input, PID controller with the alarm output (its delay in whole seconds); the
    // continuous output allows the PID and the continuous-output bit in switching function 1.
    {"trk520pidsta1-point.d20",
     Session{QChar(u'.'), true, true},
     ModelId::TRK520PID_StetigA,
     "rgInput 4; rgSensor 2; cpAnzeigeDp 1; neAnzeigeHigh 850.0; neAnzeigeLow -12.5; cbLimit 2; "
     "neFilter 2.00; neMessbereichHigh 5000; neMessbereichLow 10; neVorteiler 25; cbAnzeigeUnit 0; "
     "cbAnzeigeMessart 1; cbEdge 0; "
     "rgOutput 3; neOut1Einschaltpunkt 400.0; neOut1Ausschaltpunkt 380.5; neOut1Delay 0.75; cbOut1Mode 0; "
     "cbOut1Vorzugslage 0; neOut2Einschaltpunkt 800.0; neOut2Ausschaltpunkt -10.0; neOut2Delay 30; "
     "cbOut2Mode 0; cbOut2Vorzugslage 0; "
     "cbStromAusgang 1; neDAC_High 700.0; neDAC_Low 0.0; cbAnalogOut1Vorzugslage 0; neDAFilter 7; "
     "rgReglerFunktion 1; nePID_SP1 425.5; nePID_Proportional 12.5; ne_PIDIntegral 240; nePID_Derivation 45; "
     "nePID_CyC 1.5; nePIDdur 90.0; nePIDthr 2.5; cbPID_Vorzugslage On; "
     "MainMenueExtrasAnzeigeeinheit 1; cb_AnzeigeEinheit 1",
     {"5", "33", "49", "130"}},
};
// clang-format on

// The window's fields in file order, each as its name and what it shows.
QStringList shownFields(const MainWindowModel& m) {
    using M = MainWindowModel;
    struct Entry {
        const ItemList M::*list;
        const NumericField M::*field;
    };
    auto l = [](const ItemList M::*p) { return Entry{p, nullptr}; };
    auto f = [](const NumericField M::*p) { return Entry{nullptr, p}; };
    // clang-format off
    const Entry entries[] = {
        l(&M::rgInput), l(&M::rgSensor), l(&M::cpAnzeigeDp), f(&M::neAnzeigeHigh), f(&M::neAnzeigeLow),
        l(&M::cbLimit), f(&M::neFilter), f(&M::neMessbereichHigh), f(&M::neMessbereichLow),
        f(&M::neVorteiler), l(&M::cbAnzeigeUnit), l(&M::cbAnzeigeMessart), l(&M::cbEdge), l(&M::rgOutput),
        f(&M::neOut1Einschaltpunkt), f(&M::neOut1Ausschaltpunkt), f(&M::neOut1Delay), l(&M::cbOut1Mode),
        l(&M::cbOut1Vorzugslage), f(&M::neOut2Einschaltpunkt), f(&M::neOut2Ausschaltpunkt),
        f(&M::neOut2Delay), l(&M::cbOut2Mode), l(&M::cbOut2Vorzugslage), l(&M::cbStromAusgang),
        f(&M::neDAC_High), f(&M::neDAC_Low), l(&M::cbAnalogOut1Vorzugslage), f(&M::neDAFilter),
        l(&M::rgReglerFunktion), f(&M::nePID_SP1), f(&M::nePID_Proportional), f(&M::ne_PIDIntegral),
        f(&M::nePID_Derivation), f(&M::nePID_CyC), f(&M::nePIDdur), f(&M::nePIDthr),
    };
    // clang-format on
    QStringList out;
    for (const Entry& e : entries) {
        if (e.list)
            out << (m.*e.list).name + QLatin1Char(' ') + QString::number((m.*e.list).itemIndex);
        else
            out << (m.*e.field).name + QLatin1Char(' ') + (m.*e.field).text;
    }
    out << QStringLiteral("cbPID_Vorzugslage ") + m.cbPID_Vorzugslage.selectedText();
    out << QStringLiteral("MainMenueExtrasAnzeigeeinheit %1")
               .arg(int(m.MainMenueExtrasAnzeigeeinheit.checked));
    out << QStringLiteral("cb_AnzeigeEinheit %1").arg(m.cb_AnzeigeEinheit.itemIndex);
    return out;
}

// A file's lines with their line ends, one character per byte: a Windows-1252 character
// compares as the byte it is.
QStringList byteLines(const QString& path) {
    QStringList out;
    for (const QByteArray& line : FileWindow::bytes(path).split('\n'))
        out << QString::fromLatin1(line);
    return out;
}

class GoldenFile : public ::testing::TestWithParam<Golden> {};

void PrintTo(const Golden& g, std::ostream* os) {
    *os << g.file;
}

} // namespace

TEST_P(GoldenFile, LoadsIntoTheWindowAndSavesBackByteForByte) {
    const Golden& g = GetParam();
    const QString golden = QStringLiteral(GOLDEN_DIR "/") + QLatin1String(g.file);
    ASSERT_TRUE(QFile::exists(golden)) << golden.toStdString();

    FileWindow w(g.session);
    w.a().selectModel(ModelId::TRK520); // none of the files' models
    w.load(golden);

    ASSERT_EQ(w.m().StatusBar1.panels[2],
              QStringLiteral("Datei: ") + QLatin1String(g.file) + QStringLiteral(" geladen"));
    ASSERT_NE(w.m().checkedModel(), nullptr);
    EXPECT_EQ(w.m().checkedModel()->id, g.model);
    EXPECT_TRUE(w.prompter.shown.value(0).message.text.contains(kCommentShown));
    EXPECT_EQ(shownFields(w.m()), QString::fromUtf8(g.fields).split(QStringLiteral("; ")));
    const MainWindowModel& m = w.m();
    EXPECT_EQ(m.MainMenueExtras_ErweiterteKonfiguration.checked, !g.words.isEmpty());
    if (!g.words.isEmpty()) {
        EXPECT_EQ((QStringList{m.e_erw_Allgemein.text, m.e_erw_Alarm.text, m.e_erw_Schaltfunktion1.text,
                               m.e_erw_Schaltfunktion2.text}),
                  g.words);
    }

    // Saved again, the file is the hand-written one but for the date and the user's name.
    const QString again = w.file("again.d20");
    w.save(again, kComment);
    QStringList saved = byteLines(again);
    const QStringList written = byteLines(golden);
    ASSERT_EQ(saved.size(), written.size());
    saved[0] = written[0];
    saved[2] = written[2];
    for (int i = 0; i < written.size(); ++i)
        EXPECT_EQ(saved[i], written[i]) << "line " << i + 1;
}

INSTANTIATE_TEST_SUITE_P(EveryFamily, GoldenFile, ::testing::ValuesIn(kGolden),
                         [](const ::testing::TestParamInfo<Golden>& info) {
                             std::string name = info.param.file;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });
