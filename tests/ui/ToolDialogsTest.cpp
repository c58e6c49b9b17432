#include "bus/BusConstants.h"
#include "config/ModelCatalogue.h"
#include "support/ScriptedBus.h"
#include "tools/AddressWindow.h"
#include "tools/DeviceNameWindow.h"
#include "tools/SelectAddressWindow.h"
#include "ui/AddressDialog.h"
#include "ui/DeviceNameDialog.h"
#include "ui/ScreenCheck.h"
#include "ui/SelectAddressDialog.h"

#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A window binding that finds a TRK 520 at address 5.
std::unique_ptr<BusLibrary> instrumentAt5() {
    auto bus = std::make_unique<ScriptedBus>();
    bus->typeNames[kFamilyTrk520] = QStringLiteral("TRK 520");
    bus->on(bus::cmd::QueryAddress, 0, {}, 5, -1).on(bus::cmd::ReadIdentity, 0, {}, 0x07810101, -1);
    return bus;
}

template <typename T> T* child(QWidget& dialog, const char* name) {
    return dialog.findChild<T*>(QLatin1String(name));
}

// Reads the device in a shown dialog: its size must not change, and no shown
// text may be cut. With TRK_SCREENSHOT_DIR set, both states are saved as pictures.
void readKeepsSizeAndCutsNothing(QDialog& dialog, const char* picture) {
    auto save = [&](const char* state) {
        saveScreen(dialog, QStringLiteral("%1-%2").arg(QLatin1String(picture), QLatin1String(state)));
    };
    dialog.show();
    const QSize unread = dialog.size();
    save("unread");
    child<QPushButton>(dialog, "b_Informationen")->click();
    dialog.layout()->activate();
    EXPECT_EQ(dialog.width(), unread.width()) << picture;
    EXPECT_EQ(dialog.height(), unread.height()) << picture;
    save("read");
    expectTextsWhole(dialog, QLatin1String(picture));
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (!label->isVisible()) continue;
        EXPECT_GE(label->width(), label->sizeHint().width()) << picture << " " << label->text().toStdString();
    }
}

} // namespace

TEST(ToolDialogs, AddressDialogFiltersKeysEmptiesOnDoubleClickAndNotesAnUnchangedClose) {
    RecordingPrompter prompter;
    ManualClock clock;
    ScriptedBus mainBus;
    mainBus.load();
    AddressWindow w(instrumentAt5(), mainBus, prompter, clock);
    AddressDialog dialog(w);
    auto* edit = child<QLineEdit>(dialog, "eAdresse");
    EXPECT_FALSE(edit->isEnabled());
    child<QPushButton>(dialog, "b_Informationen")->click();
    EXPECT_EQ(child<QLabel>(dialog, "l_Adresse")->text(), QStringLiteral("Adresse 5"));
    EXPECT_TRUE(edit->isEnabled());
    QTest::keyClicks(edit, QStringLiteral("x129"));
    EXPECT_EQ(edit->text(), QStringLiteral("512"));
    EXPECT_EQ(w.eAdresse.text, QStringLiteral("512"));
    QTest::mouseDClick(edit, Qt::LeftButton);
    EXPECT_EQ(edit->text(), QString());
    dialog.reject();
    EXPECT_EQ(prompter.texts(), QStringList({"Die Adresse wurde nicht geändert"}));
}

TEST(ToolDialogs, NameDialogStopsAtSixteenCharactersAndShowsTheReadBackName) {
    RecordingPrompter prompter;
    ManualClock clock;
    ScriptedBus mainBus;
    mainBus.load();
    DeviceNameWindow w(instrumentAt5(), mainBus, prompter, clock);
    DeviceNameDialog dialog(w);
    child<QPushButton>(dialog, "b_Informationen")->click();
    auto* edit = child<QLineEdit>(dialog, "Edit1");
    EXPECT_EQ(edit->text(), QStringLiteral("Kessel 1"));
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("Ofen im Keller Nord"));
    EXPECT_EQ(edit->text(), QStringLiteral("Ofen im Keller N"));
    child<QPushButton>(dialog, "b_NamenAendern")->click();
    EXPECT_EQ(child<QLabel>(dialog, "l_GeraeteNamen")->text(), QStringLiteral("Ofen im Keller N"));
    dialog.reject();
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST(ToolDialogs, AddressAndNameWindowsKeepTheirSizeAndShowAWholeName) {
    RecordingPrompter prompter;
    ManualClock clock;
    ScriptedBus mainBus;
    mainBus.load();
    {
        AddressWindow w(instrumentAt5(), mainBus, prompter, clock);
        AddressDialog dialog(w);
        readKeepsSizeAndCutsNothing(dialog, "Tf_AdresseSetzen");
    }
    const QString widest(16, QLatin1Char('W'));
    auto bus = instrumentAt5();
    static_cast<ScriptedBus&>(*bus).name = widest;
    DeviceNameWindow w(std::move(bus), mainBus, prompter, clock);
    DeviceNameDialog dialog(w);
    readKeepsSizeAndCutsNothing(dialog, "Tf_GeraeteNamenAendern");
    // The field shows the whole name: with the caret at its end nothing has scrolled away.
    auto* edit = child<QLineEdit>(dialog, "Edit1");
    edit->end(false);
    dialog.grab(); // the edit settles its scrolling when painted
    EXPECT_GE(edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x(),
              edit->fontMetrics().horizontalAdvance(widest));
}

TEST(ToolDialogs, SelectionDialogStartsOnTheCheckAndClosesOnOk) {
    RecordingPrompter prompter;
    SelectAddressWindow w(instrumentAt5(), prompter);
    w.FormActivate();
    SelectAddressDialog dialog(w);
    auto* check = child<QPushButton>(dialog, "btn_Check");
    EXPECT_EQ(dialog.focusWidget(), check);
    EXPECT_EQ(child<QLineEdit>(dialog, "te_SelectedDeviceAddress")->text(), QStringLiteral("-1"));
    check->click();
    dialog.show();
    expectTextsWhole(dialog, QStringLiteral("TSelectDeviceAddress"));
    saveScreen(dialog, QStringLiteral("TSelectDeviceAddress"));
    auto* ok = child<QPushButton>(dialog, "btn_OK");
    ASSERT_TRUE(ok->isEnabled());
    ok->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(w.address, -1);
}
