#include "support/AppFixture.h"
#include "tools/AddressWindow.h"
#include "tools/DeviceNameWindow.h"
#include "tools/SelectAddressWindow.h"

#include <gtest/gtest.h>

TEST(ToolMenus, TheAddressWindowHandsItsAddressBackOnlyWhenOneWasChosen) {
    AppFixture f;
    MainHandlers& h = f.start();
    f.model.comPort = 3;
    f.model.converterCode = 7;
    for (int16_t chosen : {int16_t(2), int16_t(-1)}) {
        f.model.busAddress = chosen;
        f.prompter.onModal = [&](ModalWindow& window) {
            auto& w = static_cast<AddressWindow&>(window);
            EXPECT_TRUE(f.buses.first()->isLoaded()); // the tools open the port through it
            EXPECT_EQ(w.comPort, 3);
            EXPECT_EQ(w.converterCode, 7);
            EXPECT_EQ(w.currentAddress, chosen);
            w.currentAddress = 9;
        };
        h.MainMenueExtrasAdresseSetzenClick();
        EXPECT_FALSE(f.buses.first()->isLoaded());
        EXPECT_EQ(f.model.busAddress, chosen < 0 ? chosen : 9);
    }

    f.prompter.onModal = [&](ModalWindow& window) {
        auto& w = static_cast<DeviceNameWindow&>(window);
        EXPECT_EQ(w.comPort, 3);
        EXPECT_TRUE(f.buses.first()->isLoaded());
    };
    h.mmExtras_GeraeteNamenZuweisenClick();
    EXPECT_EQ(f.prompter.modalWindows,
              QStringList({"Tf_AdresseSetzen", "Tf_AdresseSetzen", "Tf_GeraeteNamenAendern"}));
    EXPECT_FALSE(f.buses.first()->isLoaded());
}

TEST(ToolMenus, TheSelectedAddressIsTakenOnlyOnOk) {
    AppFixture f;
    MainHandlers& h = f.start();
    f.model.busAddress = -1;
    f.prompter.onModal = [](ModalWindow& window) {
        auto& w = static_cast<SelectAddressWindow&>(window);
        EXPECT_EQ(w.te_SelectedDeviceAddress.text, QStringLiteral("-1"));
        w.te_SelectedDeviceAddressEdited(QStringLiteral("12"));
    };
    h.MainMenueExtras_SelectAddressClick(); // closed with the window's close button
    EXPECT_EQ(f.model.busAddress, -1);
    f.prompter.onModal = [](ModalWindow& window) {
        auto& w = static_cast<SelectAddressWindow&>(window);
        w.te_SelectedDeviceAddressEdited(QStringLiteral("12"));
        w.btn_OKClick();
    };
    h.MainMenueExtras_SelectAddressClick();
    EXPECT_EQ(f.model.busAddress, 12);
    EXPECT_FALSE(f.buses.first()->isLoaded());

    // Without the library no tool window opens.
    AppFixture g;
    g.mainScript.loadSucceeds = false;
    MainHandlers& broken = g.start();
    broken.MainMenueExtras_SelectAddressClick();
    EXPECT_TRUE(g.prompter.modalWindows.isEmpty());
    EXPECT_EQ(g.prompter.texts(), QStringList({"Konte DLL-Datei nicht öffnen!\nProgramm wird beendet!"}));
}
