#include "app/ComPortWindow.h"
#include "bus/BusConstants.h"
#include "support/AppFixture.h"
#include "tools/SelectAddressWindow.h"
#include "ui/ComPortDialog.h"
#include "ui/QtPrompter.h"
#include "ui/SelectAddressDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

// The address selection shows its failure before the error box opens over it.
TEST(PromptOrder, WindowShowsItsStateBeforeTheMessageBoxOpens) {
    auto bus = std::make_unique<ScriptedBus>();
    bus->typeNames[kFamilyTrk520] = QStringLiteral("TRK 520");
    bus->errorTexts.insert(-2, QStringLiteral(" Keine Antwort"));
    bus->on(bus::cmd::ReadIdentity, 0, {}, 0x07810101, 1).on(bus::cmd::ReadIdentity, -2, {}, {}, 1);
    QtPrompter prompter;
    SelectAddressWindow w(std::move(bus), prompter);
    w.te_SelectedDeviceAddress.text = QStringLiteral("5");
    SelectAddressDialog dialog(w);
    dialog.show();
    auto* check = dialog.findChild<QPushButton*>(QStringLiteral("btn_Check"));
    check->click();
    ASSERT_EQ(w.StatusBar1.text, QStringLiteral("Informationen Einlesen erfolgreich."));

    QStringList seenUnderTheBox;
    QTimer::singleShot(0, [&] {
        for (QLabel* l : dialog.findChild<QWidget*>(w.StatusBar1.name)->findChildren<QLabel*>())
            seenUnderTheBox.append(l->text());
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->accept();
    });
    check->click();
    EXPECT_EQ(seenUnderTheBox, QStringList{QStringLiteral("Informationen Einlesen fehlgeschlagen")});
}

// Enter in the port field presses no button: the list is not searched again. Enter on a
// focused button presses it.
TEST(PromptOrder, PortWindowHasNoDefaultButton) {
    AppFixture f;
    auto bus = std::make_unique<ScriptedBus>();
    ScriptedBus* seen = bus.get();
    ComPortWindow w(std::move(bus), *f.store);
    w.FormCreate();
    ComPortDialog dialog(w);
    dialog.show();
    const int searches = seen->loads;
    QComboBox* ports = dialog.findChild<QComboBox*>();
    ports->setFocus();
    QTest::keyClick(ports, Qt::Key_Return);
    EXPECT_EQ(seen->loads, searches);
    EXPECT_TRUE(dialog.isVisible());
    // Enter on a button that has the focus presses it, as Space does.
    auto* list = dialog.findChild<QPushButton*>(QStringLiteral("b_ComPortsEinlesen"));
    ASSERT_NE(list, nullptr);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(seen->loads, searches + 1);
}
