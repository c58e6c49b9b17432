#include "bus/BusPort.h"
#include "bus/BusConstants.h"
#include "support/ScriptedBus.h"

#include <gtest/gtest.h>

TEST(OpenBusPort, ConverterTbw2OpensInModeSixAndWaits) {
    ScriptedBus bus;
    bus.load();
    ManualClock clock;
    EXPECT_EQ(bus::openBusPort(bus, 3, 66, clock), 0);
    ASSERT_EQ(bus.calls.size(), 1);
    EXPECT_EQ(bus.calls[0].address, 3);      // port
    EXPECT_EQ(bus.calls[0].integerIn, 4800); // baud
    EXPECT_EQ(bus.calls[0].command, 6);      // mode
    EXPECT_EQ(clock.slept, 555);

    for (int16_t code : {int16_t(0), int16_t(6), int16_t(7)}) {
        bus.calls.clear();
        clock.slept = 0;
        bus::openBusPort(bus, 1, code, clock);
        EXPECT_EQ(bus.calls[0].command, code);
        EXPECT_EQ(clock.slept, 0);
    }
}

TEST(OpenBusPort, ReturnsTheLibraryStatus) {
    ScriptedBus bus;
    bus.load();
    bus.openStatus = -17;
    ManualClock clock;
    EXPECT_EQ(bus::openBusPort(bus, 1, 66, clock), -17);
}

TEST(LibraryLoading, FailureBeepsTwiceAndExplains) {
    ScriptedBus bus;
    bus.loadSucceeds = false;
    RecordingPrompter prompter;
    EXPECT_FALSE(bus::aDLLDynamischLaden(bus, prompter));
    EXPECT_EQ(prompter.beeps, (QList<Prompter::Beep>{Prompter::Beep::Default, Prompter::Beep::Exclamation}));
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(prompter.shown[0].message.text,
              QStringLiteral("Konte DLL-Datei nicht öffnen!\nProgramm wird beendet!"));
    EXPECT_EQ(prompter.shown[0].message.icon, Prompter::Icon::Error);
    // Nothing is sent through an unbound library.
    int16_t aux = 0;
    double value = 0;
    int32_t integer = 0;
    EXPECT_EQ(bus.TBTransmit(1, 12, aux, value, integer), bus::status::NotBound);
}

TEST(ErrorText, StatusInBracketsFollowedByTheLibraryText) {
    ScriptedBus bus;
    bus.load();
    bus.errorTexts.insert(-20, QStringLiteral("Keine Antwort"));
    EXPECT_EQ(bus::errorText(bus, -20), QStringLiteral("(Fehler -20)Keine Antwort"));
    EXPECT_EQ(bus::serialText(0x0781A2B3), QStringLiteral("0781A2B3"));
    EXPECT_EQ(bus::serialText(static_cast<int32_t>(0xF0000001)), QStringLiteral("F0000001"));
}
