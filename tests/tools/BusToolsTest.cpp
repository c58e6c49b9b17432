#include "bus/BusConstants.h"
#include "config/ModelCatalogue.h"
#include "support/ScriptedBus.h"
#include "tools/AddressWindow.h"
#include "tools/BusScanWindow.h"
#include "tools/DeviceNameWindow.h"
#include "tools/SelectAddressWindow.h"
#include "tools/ToolFields.h"

#include <gtest/gtest.h>

// Readable failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

const QString kQuery = QStringLiteral("255:14:0:%1=0").arg(bus::kAddressQueryRead);

// A tool window's own scripted binding next to the main window's, which is loaded.
struct Tools {
    RecordingPrompter prompter;
    ManualClock clock;
    ScriptedBus mainBus;
    ScriptedBus* bus = nullptr;
    Tools() { mainBus.load(); }
    std::unique_ptr<BusLibrary> binding() {
        auto b = std::make_unique<ScriptedBus>();
        bus = b.get();
        bus->typeNames[kFamilyTrk520] = QStringLiteral("TRK 520");
        return b;
    }
    QStringList fns() const {
        QStringList out;
        for (const auto& c : bus->calls)
            out.append(c.fn);
        return out;
    }
};

void type(AddressWindow& w, const QString& keys) {
    for (QChar k : keys)
        w.eAdresseKeyPress(k, 0, 0, int(w.eAdresse.text.size()));
}

} // namespace

TEST(ToolFields, AddressFieldTakesThreeDigitsAndLeavesOnlyBusAddresses) {
    using namespace toolfields;
    EXPECT_FALSE(addressKey(QStringLiteral("12"), 0, 0, 2, QLatin1Char('a')).accepted);
    EXPECT_EQ(addressKey(QStringLiteral("12"), 0, 0, 1, QLatin1Char('7')).text, QStringLiteral("172"));
    // A fourth digit only in place of selected text.
    EXPECT_FALSE(addressKey(QStringLiteral("123"), 0, 0, 3, QLatin1Char('4')).accepted);
    EXPECT_EQ(addressKey(QStringLiteral("123"), 1, 2, 3, QLatin1Char('4')).text, QStringLiteral("14"));
    EXPECT_EQ(addressKey(QStringLiteral("123"), 0, 0, 3, QChar(kBackspace)).text, QStringLiteral("12"));
    EXPECT_EQ(addressKey(QStringLiteral("123"), 0, 2, 3, QChar(kBackspace)).text, QStringLiteral("3"));
    const KeyResult lf = addressKey(QStringLiteral("123"), 0, 0, 3, QChar(kLineFeed));
    EXPECT_TRUE(lf.accepted);
    EXPECT_EQ(lf.text, QStringLiteral("123"));

    EXPECT_EQ(addressOnExit(QString()), QStringLiteral("0"));
    EXPECT_EQ(addressOnExit(QStringLiteral("239")), QStringLiteral("239"));
    EXPECT_EQ(addressOnExit(QStringLiteral("240")), QStringLiteral("0"));
    EXPECT_EQ(addressOnExit(QStringLiteral("99999999999999999999")), QStringLiteral("0"));
    EXPECT_EQ(addressOnExit(QStringLiteral("1x")), QStringLiteral("1x")); // refused by the action
    EXPECT_EQ(addressValue(QStringLiteral(" 17 ")), std::optional<int16_t>(17));
    EXPECT_FALSE(addressValue(QStringLiteral("1x")));
    EXPECT_FALSE(addressValue(QStringLiteral("-99999")));
}

TEST(ToolFields, NameFieldTakesSixteenCharactersOfAnyKind) {
    using namespace toolfields;
    const QString fifteen(15, QLatin1Char('x'));
    EXPECT_EQ(nameKey(fifteen, 0, 0, 15, QChar(0x20AC)).text, fifteen + QChar(0x20AC));
    const QString sixteen(16, QLatin1Char('x'));
    EXPECT_FALSE(nameKey(sixteen, 0, 0, 16, QLatin1Char('y')).accepted);
    EXPECT_EQ(nameKey(sixteen, 0, 1, 16, QLatin1Char('y')).text, QStringLiteral("y") + fifteen);
    EXPECT_EQ(nameKey(sixteen, 0, 0, 16, QChar(kBackspace)).text, fifteen);
}

TEST(AddressAssignment, ReadsTheInstrumentThenMovesItByItsIdentity) {
    Tools f;
    AddressWindow w(f.binding(), f.mainBus, f.prompter, f.clock);
    w.comPort = 3;
    w.converterCode = 66;
    f.bus->on(bus::cmd::QueryAddress, 0, {}, 0x00010005).on(bus::cmd::ReadIdentity, 0, {}, 0x07810101, -1);

    w.b_InformationenClick();
    const ScriptedBus::Call open = f.mainBus.calls.last(); // the port opens through the main binding
    EXPECT_EQ(open.fn, QStringLiteral("TBOpenCom"));
    EXPECT_EQ(open.address, 3);
    EXPECT_EQ(open.command, 6);
    EXPECT_EQ(f.clock.slept, 555);
    EXPECT_EQ(f.bus->trace(), QStringList({kQuery, QStringLiteral("5:12:0:65541=0")}));
    EXPECT_EQ(f.fns(), QStringList({"TBTransmit", "TBTransmit", "GetType", "TBCloseCom"}));
    EXPECT_EQ(w.l_Adresse.caption, QStringLiteral("Adresse 5"));
    EXPECT_TRUE(w.l_Adresse.visible && w.l_IDNummer.visible && w.l_GeraeteTyp.visible);
    EXPECT_TRUE(w.eAdresse.enabled && w.b_AdresseSetzen.enabled);
    EXPECT_EQ(w.eAdresse.text, QStringLiteral("5"));
    EXPECT_EQ(w.StatusBar1.text, QStringLiteral("Informationen Einlesen erfolgreich."));

    // "250" is no bus address: it becomes 0.
    w.eAdresseDblClick();
    type(w, QStringLiteral("2509"));
    EXPECT_EQ(w.eAdresse.text, QStringLiteral("250"));
    f.bus->calls.clear();
    f.bus->on(bus::cmd::QueryAddress, 0, {}, 0);
    w.b_AdresseSetzenClick();
    EXPECT_EQ(w.eAdresse.text, QStringLiteral("0"));
    EXPECT_EQ(f.bus->trace(), QStringList({"5:12:0:125894913=0", "0:13:0:125894913=0", kQuery}));
    EXPECT_EQ(w.currentAddress, 0);
    EXPECT_EQ(w.l_Adresse.caption, QStringLiteral("Adresse 0"));
    EXPECT_EQ(w.StatusBar1.text, QStringLiteral("Adresse erfolgreich geändert"));
    EXPECT_TRUE(f.prompter.shown.isEmpty());
    w.FormClose();
    EXPECT_TRUE(f.prompter.shown.isEmpty());
}

TEST(AddressAssignment, FailuresAreReportedAndEveryAttemptCounts) {
    Tools f;
    AddressWindow w(f.binding(), f.mainBus, f.prompter, f.clock);
    w.comPort = 3;
    f.mainBus.openStatus = -4;
    w.b_InformationenClick();
    EXPECT_EQ(w.StatusBar1.text, QStringLiteral("Konnte Port 3nicht öffnen Fehler -4"));
    ASSERT_EQ(f.prompter.shown.size(), 1);
    EXPECT_EQ(f.prompter.texts().last(), QStringLiteral("(Fehler -4)Fehlertext -4"));
    EXPECT_EQ(f.prompter.captions().last(), QStringLiteral("Fehler"));
    EXPECT_TRUE(f.bus->trace().isEmpty());

    // A chosen address is asked directly; a silent instrument leaves the window unread.
    f.mainBus.openStatus = 0;
    w.currentAddress = 7;
    f.bus->on(bus::cmd::ReadIdentity, -2);
    w.b_InformationenClick();
    EXPECT_EQ(f.bus->trace(), QStringList({"7:12:0:-134217729=-2"}));
    EXPECT_EQ(w.StatusBar1.text, QStringLiteral("Informationen Einlesen fehlgeschlagen -2"));
    EXPECT_FALSE(w.l_Adresse.visible || w.eAdresse.enabled || w.b_AdresseSetzen.enabled);
    EXPECT_EQ(w.eAdresse.text, QStringLiteral("7"));

    // Moved, but the read-back collides: the label still shows where the instrument went.
    f.bus->on(bus::cmd::ReadIdentity, 0, {}, 0x07810101, -1).on(bus::cmd::QueryAddress, -7);
    w.b_InformationenClick();
    w.eAdresseEdited(QStringLiteral("12"));
    w.b_AdresseSetzenClick();
    EXPECT_EQ(w.StatusBar1.text, QStringLiteral("Konnte Adresse nicht neu einlesen -7"));
    EXPECT_EQ(w.currentAddress, 12);
    EXPECT_EQ(w.l_Adresse.caption, QStringLiteral("Adresse 12"));
    EXPECT_EQ(f.prompter.texts().last(), QStringLiteral("(Fehler -7)Fehlertext -7"));

    // A refused command 13 is shown too, and still counts as an attempt.
    f.bus->on(bus::cmd::SetAddress, -13);
    w.b_InformationenClick();
    w.b_AdresseSetzenClick();
    EXPECT_EQ(f.prompter.texts().last(), QStringLiteral("(Fehler -13)Fehlertext -13"));
    EXPECT_TRUE(w.addressChanged);
    const int boxes = int(f.prompter.shown.size());
    w.FormClose();
    EXPECT_EQ(f.prompter.shown.size(), boxes);
}

TEST(AddressAssignment, PastedTextNeverReachesTheBusAndClosingUnchangedSaysSo) {
    Tools f;
    AddressWindow w(f.binding(), f.mainBus, f.prompter, f.clock);
    f.bus->on(bus::cmd::QueryAddress, 0, {}, 1).on(bus::cmd::ReadIdentity, 0, {}, 0x07810101, -1);
    w.b_InformationenClick();
    const int loads = f.bus->loads;
    w.eAdresseEdited(QStringLiteral("1x"));
    w.b_AdresseSetzenClick();
    EXPECT_EQ(f.bus->loads, loads);
    EXPECT_EQ(f.prompter.shown.last().message.icon, Prompter::Icon::Warning);
    EXPECT_FALSE(w.addressChanged);

    f.bus->calls.clear();
    w.FormClose();
    EXPECT_EQ(f.prompter.texts().last(), QStringLiteral("Die Adresse wurde nicht geändert"));
    EXPECT_EQ(f.prompter.captions().last(), QStringLiteral("Hinweis"));
    EXPECT_EQ(f.prompter.shown.last().message.icon, Prompter::Icon::Information);
    EXPECT_EQ(f.fns(), QStringList({"TBCloseCom"}));
    EXPECT_FALSE(f.bus->isLoaded());
}

TEST(NameChange, ReadsTheNameAndWritesAtMostSixteenCharacters) {
    Tools f;
    DeviceNameWindow w(f.binding(), f.mainBus, f.prompter, f.clock);
    f.bus->on(bus::cmd::QueryAddress, 0, {}, 4).on(bus::cmd::ReadIdentity, 0, {}, 0x07810101, -1);
    w.b_InformationenClick();
    EXPECT_EQ(f.bus->trace(), QStringList({kQuery, QStringLiteral("4:12:0:4=0")}));
    const ScriptedBus::Call read = f.bus->calls.at(3);
    EXPECT_EQ(read.fn, QStringLiteral("TBTransmitString"));
    EXPECT_EQ(read.address, 4);
    EXPECT_EQ(read.command, bus::namecmd::Read);
    EXPECT_EQ(read.integerIn, 254);
    EXPECT_EQ(w.Edit1.text, QStringLiteral("Kessel 1"));
    EXPECT_TRUE(w.Edit1.enabled && w.b_NamenAendern.enabled && w.l_Bezeichnung.visible &&
                w.l_GeraeteTyp.visible);
    EXPECT_EQ(w.StatusBar1.text, QStringLiteral("Informationen Einlesen erfolgreich."));

    f.bus->calls.clear();
    w.Edit1Edited(QStringLiteral("Kessel 2 im Keller")); // pasted, 18 characters
    w.b_NamenAendernClick();
    ASSERT_EQ(f.fns(), QStringList({"TBTransmitString", "TBTransmitString", "TBCloseCom"}));
    EXPECT_EQ(f.bus->calls.at(0).command, bus::namecmd::Write);
    EXPECT_EQ(f.bus->calls.at(0).text, QStringLiteral("Kessel 2 im Kell"));
    EXPECT_EQ(f.bus->calls.at(0).integerIn, 16);
    EXPECT_EQ(f.bus->calls.at(1).command, bus::namecmd::Read);
    EXPECT_EQ(f.bus->calls.at(1).integerIn, 16); // the length the write left
    EXPECT_EQ(w.Edit1.text, QStringLiteral("Kessel 2 im Kell"));
    EXPECT_EQ(w.StatusBar1.text, QStringLiteral("Bezeichner erfolgreich geändert."));
    w.FormClose();
    EXPECT_TRUE(f.prompter.shown.isEmpty());

    // A later read that finds nobody forgets the instrument: no name goes to its old address.
    f.bus->on(bus::cmd::QueryAddress, -7);
    w.b_InformationenClick();
    EXPECT_EQ(w.StatusBar1.text, QStringLiteral("Informationen Einlesen fehlgeschlagen."));
    EXPECT_FALSE(w.Edit1.enabled || w.b_NamenAendern.enabled || w.l_GeraeteNamen.visible ||
                 w.l_Adresse.visible);
    EXPECT_TRUE(f.prompter.shown.isEmpty()); // the unanswered query has no box
}

TEST(NameChange, WithoutNameSupportOrIdentityNothingCanBeChanged) {
    Tools f;
    DeviceNameWindow w(f.binding(), f.mainBus, f.prompter, f.clock);
    f.bus->on(bus::cmd::QueryAddress, 0, {}, 4, -1).on(bus::cmd::ReadIdentity, 0, {}, 0x07810101, 2);
    w.b_InformationenClick();
    f.bus->name.reset(); // a refused write is reported
    w.b_NamenAendernClick();
    EXPECT_EQ(w.StatusBar1.text, QStringLiteral("Konnte Bezeichner nicht schreiben."));
    EXPECT_EQ(f.prompter.texts().last(), QStringLiteral("(Fehler -1)Fehlertext -1"));
    EXPECT_TRUE(w.nameChanged);

    w.b_InformationenClick();
    EXPECT_EQ(w.StatusBar1.text, QStringLiteral("Bezeichner nicht unterstützt."));
    EXPECT_FALSE(w.Edit1.enabled || w.b_NamenAendern.enabled || w.l_GeraeteNamen.visible);
    EXPECT_TRUE(w.l_GeraeteTyp.visible);
    EXPECT_FALSE(w.nameChanged);

    // Identification fails: back to the unread window.
    f.bus->name = QStringLiteral("Kessel 1");
    f.bus->on(bus::cmd::ReadIdentity, 0, {}, 0x07810101, 1).on(bus::cmd::ReadIdentity, -2);
    w.b_InformationenClick();
    ASSERT_TRUE(w.b_NamenAendern.enabled);
    w.b_InformationenClick();
    EXPECT_EQ(w.StatusBar1.text, QStringLiteral("Informationen Einlesen fehlgeschlagen."));
    EXPECT_FALSE(w.Edit1.enabled || w.b_NamenAendern.enabled || w.l_GeraeteNamen.visible ||
                 w.l_Adresse.visible);
    w.FormClose();
    EXPECT_EQ(f.prompter.texts().last(), QStringLiteral("Der Bezeichner wurde nicht geändert"));
    EXPECT_EQ(f.prompter.shown.last().message.icon, Prompter::Icon::Information);
}

TEST(AddressSelection, ChecksTheAddressAndTakesTheFieldOnOk) {
    Tools f;
    SelectAddressWindow w(f.binding(), f.prompter);
    w.comPort = 3;
    w.converterCode = 66;
    w.address = -1;
    w.FormActivate();
    EXPECT_EQ(w.te_SelectedDeviceAddress.text, QStringLiteral("-1"));
    f.bus->on(bus::cmd::QueryAddress, 0, {}, 2).on(bus::cmd::ReadIdentity, 0, {}, 0x07610809);
    f.bus->typeNames[kFamilyDvn500] = QStringLiteral("DVN 500");
    w.btn_CheckClick();
    const ScriptedBus::Call open = f.bus->calls.first(); // opened directly, converter code as stored
    EXPECT_EQ(open.fn, QStringLiteral("TBOpenCom"));
    EXPECT_EQ(open.command, 66);
    EXPECT_EQ(f.bus->trace(), QStringList({kQuery, QStringLiteral("2:12:0:2=0")}));
    EXPECT_EQ(w.l_Geraetetyp.caption, QStringLiteral("DVN 500"));
    EXPECT_TRUE(w.btn_OK.enabled && w.l_Geraetetyp.visible);
    EXPECT_EQ(w.StatusBar1.text, QStringLiteral("Informationen Einlesen erfolgreich."));
    EXPECT_EQ(w.te_SelectedDeviceAddress.text,
              QStringLiteral("-1")); // the found address stays out of the field

    w.te_SelectedDeviceAddressEdited(QStringLiteral("12")); // no new check needed
    w.btn_OKClick();
    EXPECT_TRUE(w.closeRequested);
    EXPECT_EQ(w.address, 12);
}

TEST(AddressSelection, OnlySupportedFamiliesCanBeConfirmed) {
    EXPECT_TRUE(SelectAddressWindow::isSupportedFamily(0x07910505));
    EXPECT_TRUE(SelectAddressWindow::isSupportedFamily(0x07F00000)); // same bits set
    EXPECT_FALSE(SelectAddressWindow::isSupportedFamily(0x07000000));

    Tools f;
    SelectAddressWindow w(f.binding(), f.prompter);
    w.comPort = 3;
    w.te_SelectedDeviceAddress.text = QStringLiteral("5");
    f.bus->on(bus::cmd::ReadIdentity, 0, {}, 0x02200000, 1).on(bus::cmd::ReadIdentity, 0, {}, 0x01200000, 1);
    f.bus->typeNames[0x01200000] = QStringLiteral("XY 12");
    // A type the library cannot name leaves the labels as they were.
    w.btn_CheckClick();
    EXPECT_EQ(w.StatusBar1.text, QString());
    EXPECT_EQ(w.l_Geraetetyp.caption, QStringLiteral("unbekannt"));
    EXPECT_FALSE(w.l_Geraetetyp.visible || w.l_Seriennummer.visible || w.btn_OK.enabled);
    w.btn_CheckClick();
    EXPECT_EQ(w.StatusBar1.text, QStringLiteral("XY 12 wird nicht unterstützt"));
    EXPECT_TRUE(w.l_Geraetetyp.visible);
    EXPECT_FALSE(w.btn_OK.enabled);

    // No answer to the query: nothing is sent to an address that was never found.
    f.bus->calls.clear();
    w.te_SelectedDeviceAddress.text = QStringLiteral("240");
    f.bus->on(bus::cmd::QueryAddress, -7);
    w.btn_CheckClick();
    EXPECT_EQ(w.te_SelectedDeviceAddress.text, QStringLiteral("0"));
    EXPECT_EQ(f.bus->trace(), QStringList({"255:14:0:-134217729=-7"}));
    EXPECT_EQ(w.StatusBar1.text, QStringLiteral("Informationen Einlesen fehlgeschlagen"));
    EXPECT_FALSE(w.l_Geraetetyp.visible || w.btn_OK.enabled);
    EXPECT_EQ(f.prompter.texts().last(), QStringLiteral("(Fehler -7)Fehlertext -7"));

    f.bus->openStatus = -4;
    w.btn_CheckClick();
    EXPECT_EQ(w.StatusBar1.text, QStringLiteral("Konnte Port 3nicht öffnen Fehler -4"));

    const int loads = f.bus->loads;
    w.te_SelectedDeviceAddress.text = QStringLiteral("1x");
    w.btn_CheckClick();
    w.btn_OKClick();
    EXPECT_EQ(f.bus->loads, loads);
    EXPECT_FALSE(w.closeRequested);
    EXPECT_TRUE(f.prompter.texts().last().contains(QStringLiteral("keine gültige Adresse")));
}

// A row of the scan window moves only while its own instrument still answers at its address:
// another one found there is named and nothing is sent to move it.
TEST(BusScan, AddressChangeOnlyForTheRowsOwnInstrument) {
    Tools f;
    BusScanWindow w(f.binding(), f.prompter, f.clock, QString(), QChar(u','));
    w.comPort = 3;
    bus::ScanRow row;
    row.address = 17;
    row.identity = 0x07811001;
    w.rows = {row};
    w.rowSelected(0);
    f.bus->on(bus::cmd::ReadIdentity, 0, {}, 0x07811002, -1);
    w.b_AdresseAendernClick(QStringLiteral("99"));
    for (const ScriptedBus::Call& c : f.bus->transmits())
        EXPECT_NE(c.command, bus::cmd::SetAddress);
    ASSERT_EQ(f.prompter.shown.size(), 1);
    EXPECT_TRUE(f.prompter.shown.at(0).message.text.startsWith(
        QStringLiteral("An Adresse 17 antwortet jetzt ein anderes Gerät (07811002).")));
}
