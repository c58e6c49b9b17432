#include "support/AppFixture.h"

#include "app/ComPortWindow.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<ComPortWindow> portWindow(AppFixture& f, QList<int16_t> ports, int16_t status = 0) {
    auto bus = std::make_unique<ScriptedBus>();
    bus->ports = std::move(ports);
    bus->portsStatus = status;
    auto w = std::make_unique<ComPortWindow>(std::move(bus), *f.store);
    w->FormCreate();
    return w;
}

} // namespace

TEST(PortWindow, ListsThePortsAndStoresTheChosenOne) {
    AppFixture f;
    auto w = portWindow(f, {1, 3, 12});
    EXPECT_EQ(w->cb_ComPorts.items,
              (QStringList{QStringLiteral("COM1"), QStringLiteral("COM3"), QStringLiteral("COM12")}));
    EXPECT_TRUE(w->cb_ComPorts.enabled);
    EXPECT_FALSE(w->b_ComPortAuswaehlen.enabled);
    EXPECT_EQ(w->cb_ComPorts.caption, QStringLiteral("COM#"));

    // Typing into the edit part selects nothing, so choosing does nothing.
    w->cb_ComPortsEdited(QStringLiteral("COM3"));
    w->b_ComPortAuswaehlenClick();
    EXPECT_FALSE(w->closeRequested);

    w->cb_ComPortsChange(2);
    EXPECT_TRUE(w->b_ComPortAuswaehlen.enabled);
    w->b_ComPortAuswaehlenClick();
    EXPECT_TRUE(w->closeRequested);
    EXPECT_EQ(f.stored(QStringLiteral("Schnittstelle"), QStringLiteral("ComPort")), QStringLiteral("12"));
}

TEST(PortWindow, NoPortsOrAFailedQueryKeepTheChoiceDisabled) {
    AppFixture f;
    auto none = portWindow(f, {});
    EXPECT_TRUE(none->cb_ComPorts.enabled);
    EXPECT_TRUE(none->cb_ComPorts.items.isEmpty());
    EXPECT_FALSE(none->b_ComPortAuswaehlen.enabled);

    auto failed = portWindow(f, {1}, -5);
    EXPECT_FALSE(failed->cb_ComPorts.enabled);
    EXPECT_FALSE(failed->b_ComPortAuswaehlen.enabled);
    EXPECT_TRUE(f.prompter.shown.isEmpty());

    // A port number of 0 is never stored.
    auto zero = portWindow(f, {0});
    zero->cb_ComPortsChange(0);
    zero->b_ComPortAuswaehlenClick();
    EXPECT_FALSE(zero->closeRequested);
}

TEST(PortWindow, WithoutTheLibraryTheListStaysDisabled) {
    AppFixture f;
    auto bus = std::make_unique<ScriptedBus>();
    bus->loadSucceeds = false;
    ComPortWindow w(std::move(bus), *f.store);
    w.FormCreate();
    EXPECT_FALSE(w.cb_ComPorts.enabled);
    EXPECT_TRUE(f.prompter.shown.isEmpty());
}

TEST(PortWindow, FailedWriteKeepsTheWindowOpenWithAMessage) {
    AppFixture f;
    {
        QFile file(f.iniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[[[kaputt\n\x01=\n");
    }
    auto w = portWindow(f, {2});
    w->cb_ComPortsChange(0);
    w->b_ComPortAuswaehlenClick();
    EXPECT_FALSE(w->closeRequested);
    EXPECT_TRUE(f.prompter.captions().contains(QStringLiteral("GetLastError")));
}

TEST(Converter, ClickStoresAtOnceAndTheNextStartRestoresIt) {
    AppFixture f;
    f.preset(QStringLiteral("Schnittstelle"), QStringLiteral("ComPort"), QStringLiteral("1"));
    {
        MainHandlers& h = f.start();
        h.FormActivate();
        h.MainMenueWandlerItemClick(1);
        EXPECT_EQ(f.model.StatusBar1.panels[1], QStringLiteral("TBW2"));
        EXPECT_EQ(f.model.converterCode, 66);
        EXPECT_TRUE(f.model.MainMenueWandlerItem1.checked);
        EXPECT_FALSE(f.model.MainMenueWandlerItem3.checked);
        EXPECT_EQ(f.store->lastByteCount(), 3);
        EXPECT_EQ(f.stored(QStringLiteral("Schnittstelle"), QStringLiteral("PegelWandler")), QStringLiteral("66"));
        h.MainMenueWandlerItemClick(0);
        EXPECT_EQ(f.model.StatusBar1.panels[1], QStringLiteral("TBW1, TBW3, TBW64, TBW240"));
        EXPECT_EQ(f.store->lastByteCount(), 2);
    }
    AppFixture g;
    g.preset(QStringLiteral("Schnittstelle"), QStringLiteral("ComPort"), QStringLiteral("1"));
    g.preset(QStringLiteral("Schnittstelle"), QStringLiteral("PegelWandler"), QStringLiteral("5"));
    g.start().FormActivate();
    EXPECT_EQ(g.model.converterCode, 6);
    EXPECT_EQ(g.model.StatusBar1.panels[1], QStringLiteral("TBW1, TBW64, TBW240"));
    EXPECT_TRUE(g.model.MainMenueWandlerItem0.checked);
}

TEST(Converter, ClickEnablesReadingEvenWithoutAPort) {
    AppFixture f;
    MainHandlers& h = f.start();
    h.FormActivate();
    ASSERT_FALSE(f.model.Konfigurationlesen1.enabled);
    h.MainMenueWandlerItemClick(2);
    EXPECT_TRUE(f.model.Konfigurationlesen1.enabled);
    EXPECT_TRUE(f.model.MainMenueExtras_ErweiterteKonfiguration.enabled);
    EXPECT_EQ(f.model.converterCode, 7);
}

TEST(PortMenu, ShowsThePanelTextAndThePortChoiceRereadsTheStore) {
    AppFixture f;
    f.preset(QStringLiteral("Schnittstelle"), QStringLiteral("ComPort"), QStringLiteral("1"));
    f.preset(QStringLiteral("System"), QStringLiteral("GeraeteTyp"), QStringLiteral("5"));
    MainHandlers& h = f.start();
    h.FormActivate();
    h.SchnittstelleClick();
    EXPECT_EQ(f.model.mmSelectedComPort.caption, QStringLiteral("COM1"));
    f.model.StatusBar1.panels[0].clear();
    h.SchnittstelleClick();
    EXPECT_EQ(f.model.mmSelectedComPort.caption, QStringLiteral("Kein ComPort ausgewählt"));

    // Closed without a choice (Escape), the port window changes nothing.
    h.config().selectModel(ModelId::DVN500);
    h.config().radioItemClick(f.model.rgInput, 1);
    h.commitEdits();
    const MainWindowModel before = f.model;
    h.Portauswahl1Click();
    EXPECT_EQ(f.prompter.modalWindows, QStringList{QStringLiteral("Tf_ComPort")});
    EXPECT_TRUE(f.model == before);

    // Choosing another model is stored only at close: a chosen port brings back the stored one.
    f.prompter.onModal = [](ModalWindow& w) {
        auto& window = static_cast<ComPortWindow&>(w);
        window.cb_ComPortsChange(1);
        window.b_ComPortAuswaehlenClick();
    };
    h.Portauswahl1Click();
    EXPECT_EQ(f.model.comPort, 2);
    EXPECT_EQ(f.model.StatusBar1.panels[0], QStringLiteral("COM2"));
    EXPECT_TRUE(f.model.isChecked(ModelId::TRK520));
    EXPECT_FALSE(f.model.isChecked(ModelId::DVN500));
}
