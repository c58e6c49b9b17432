#include "bus/LibraryBinding.h"
#include "tools/AddressWindow.h"
#include "tools/DeviceNameWindow.h"
#include "tools/SelectAddressWindow.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

// Readable failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

// The tool windows with their own bindings of the built library in front of the
// default roster; the main window's binding stays loaded, as while a tool is shown.
struct BusToolsEndToEnd : ::testing::Test {
    QTemporaryDir dir;
    LibraryBinding mainLibrary{{QStringLiteral(TRAXBUS_LIBDIR)}};
    RecordingPrompter prompter;
    ManualClock clock;

    BusToolsEndToEnd() {
        qputenv("TRAXBUS_SIM", dir.filePath(QStringLiteral("roster.json")).toLocal8Bit());
        qunsetenv("TRAXBUS_TRACE");
        mainLibrary.load();
    }
    std::unique_ptr<BusLibrary> binding(const QList<BusLibrary::Entry>& entries) {
        return std::make_unique<LibraryBinding>(QStringList{QStringLiteral(TRAXBUS_LIBDIR)}, entries);
    }
    std::unique_ptr<AddressWindow> addressWindow(int16_t port, int16_t address) {
        auto w =
            std::make_unique<AddressWindow>(binding(AddressWindow::entries()), mainLibrary, prompter, clock);
        w->comPort = port;
        w->converterCode = 6;
        w->currentAddress = address;
        return w;
    }
};

} // namespace

TEST_F(BusToolsEndToEnd, AnInstrumentKeepsItsNewAddress) {
    auto w = addressWindow(1, -1);
    w->b_InformationenClick();
    EXPECT_EQ(w->l_Adresse.caption, QStringLiteral("Adresse 1"));
    EXPECT_EQ(w->l_IDNummer.caption, QStringLiteral("ID Nummer 07810101"));
    EXPECT_EQ(w->l_GeraeteTyp.caption, QStringLiteral("TRK 520"));
    w->eAdresseEdited(QStringLiteral("17"));
    w->b_AdresseSetzenClick();
    EXPECT_EQ(w->StatusBar1.text, QStringLiteral("Adresse erfolgreich geändert"));
    EXPECT_EQ(w->l_Adresse.caption, QStringLiteral("Adresse 17"));
    EXPECT_TRUE(prompter.shown.isEmpty());

    // Two instruments on port 8: the chosen one moves; the read-back cannot tell them apart.
    auto line = addressWindow(8, 2);
    line->b_InformationenClick();
    EXPECT_EQ(line->l_GeraeteTyp.caption, QStringLiteral("DVN 500"));
    line->eAdresseEdited(QStringLiteral("5"));
    line->b_AdresseSetzenClick();
    EXPECT_EQ(line->StatusBar1.text, QStringLiteral("Konnte Adresse nicht neu einlesen -7"));
    EXPECT_EQ(line->currentAddress, 5);
    auto moved = addressWindow(8, 5);
    moved->b_InformationenClick();
    EXPECT_EQ(moved->l_IDNummer.caption, QStringLiteral("ID Nummer 07610809"));
}

TEST_F(BusToolsEndToEnd, ANameIsWrittenInTheInstrumentsCodePageAndReadBack) {
    DeviceNameWindow w(binding(DeviceNameWindow::entries()), mainLibrary, prompter, clock);
    w.comPort = 1;
    w.converterCode = 6;
    w.b_InformationenClick();
    EXPECT_EQ(w.Edit1.text, QStringLiteral("Kessel 1"));
    w.Edit1Edited(QStringLiteral("Kühlraum Ω 123456789")); // pasted: 20 characters, one outside the code page
    w.b_NamenAendernClick();
    EXPECT_EQ(w.StatusBar1.text, QStringLiteral("Bezeichner erfolgreich geändert."));
    EXPECT_EQ(w.Edit1.text, QStringLiteral("Kühlraum ? 12345"));
    EXPECT_EQ(w.l_GeraeteNamen.caption, QStringLiteral("Kühlraum ? 12345"));
    EXPECT_TRUE(prompter.shown.isEmpty());

    w.comPort = 2; // an instrument without a name
    w.b_InformationenClick();
    EXPECT_EQ(w.StatusBar1.text, QStringLiteral("Bezeichner nicht unterstützt."));
    EXPECT_FALSE(w.b_NamenAendern.enabled);
    w.comPort = 9; // nobody there
    w.b_InformationenClick();
    EXPECT_EQ(w.StatusBar1.text, QStringLiteral("Informationen Einlesen fehlgeschlagen."));
}

TEST_F(BusToolsEndToEnd, TheAddressCheckFindsOneOfTwoOnlyByItsAddress) {
    SelectAddressWindow w(binding(SelectAddressWindow::entries()), prompter);
    w.comPort = 8;
    w.converterCode = 6;
    w.te_SelectedDeviceAddress.text = QStringLiteral("2");
    w.btn_CheckClick();
    EXPECT_EQ(w.l_Geraetetyp.caption, QStringLiteral("DVN 500"));
    EXPECT_TRUE(w.btn_OK.enabled);
    EXPECT_TRUE(prompter.shown.isEmpty());

    w.te_SelectedDeviceAddress.text = QStringLiteral("0");
    w.btn_CheckClick();
    EXPECT_EQ(w.StatusBar1.text, QStringLiteral("Informationen Einlesen fehlgeschlagen"));
    EXPECT_FALSE(w.btn_OK.enabled);
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.texts().last().startsWith(QStringLiteral("(Fehler -7) ")));

    w.comPort = 9;
    w.btn_CheckClick();
    EXPECT_TRUE(prompter.texts().last().startsWith(QStringLiteral("(Fehler -2) ")));
}
