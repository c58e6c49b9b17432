#include "bus/BusCommands.h"
#include "bus/BusConstants.h"
#include "support/ScriptedBus.h"

#include <gtest/gtest.h>

namespace {

struct Loaded : ScriptedBus {
    Loaded() { load(); }
};

} // namespace

TEST(RestartAndPoll, AnAnsweringInstrumentIsPolledOnce) {
    Loaded bus;
    bus::Operands ops{4, 2.5, 77};
    EXPECT_EQ(bus::restartAndPoll(bus, 3, ops), 0);
    // The restart goes out with the operands as they were.
    EXPECT_EQ(bus.trace(), (QStringList{QStringLiteral("3:241:2.5:77=0"), QStringLiteral("3:12:2.5:77=0")}));
    EXPECT_EQ(bus.calls[0].auxIn, 4);
}

TEST(RestartAndPoll, PollsUntilTheInstrumentAnswersAgain) {
    Loaded bus;
    bus.on(bus::cmd::Restart, -5).on(bus::cmd::ReadIdentity, -20, {}, {}, 2);
    bus::Operands ops;
    // The restart's own status does not count.
    EXPECT_EQ(bus::restartAndPoll(bus, 1, ops), 0);
    EXPECT_EQ(bus.trace(), (QStringList{QStringLiteral("1:241:0:0=-5"), QStringLiteral("1:12:0:0=-20"),
                                        QStringLiteral("1:12:0:0=-20"), QStringLiteral("1:12:0:0=0")}));
}

TEST(RestartAndPoll, ASilentInstrumentEndsAfterTheLimitWithItsStatus) {
    for (int limit : {bus::kPollLimit, bus::kPollLimitDvn20Sensor}) {
        Loaded bus;
        bus.on(bus::cmd::ReadIdentity, -20, {}, {}, -1);
        bus::Operands ops;
        EXPECT_EQ(bus::restartAndPoll(bus, 1, ops, limit), -20);
        EXPECT_EQ(bus.transmits().size(), 1 + limit);
    }
}

TEST(ParameterCommand, ReadsWithTheNumberAndWritesWithTheNumberPlus256) {
    Loaded bus;
    bus.onParam(11, 0, 2);
    bus::Operands ops;
    EXPECT_EQ(bus::readParameter(bus, 7, 11, ops), 0);
    EXPECT_EQ(ops.integer, 2);
    EXPECT_EQ(bus::writeParameter(bus, 7, 11, 4, ops), 0);
    EXPECT_EQ(bus.trace(), (QStringList{QStringLiteral("7:248:11:0=0"), QStringLiteral("7:248:267:4=0")}));
}

TEST(AddressQuery, GoesToTheBroadcastAddressAndTakesTheLowWord) {
    Loaded bus;
    bus.on(bus::cmd::QueryAddress, 0, {}, 0x00120005).on(bus::cmd::QueryAddress, -30);
    bus::Operands ops{0, 9.0, 0};
    int16_t address = -1;
    EXPECT_EQ(bus::queryAddress(bus, bus::kAddressQueryRead, ops, address), 0);
    EXPECT_EQ(address, 5);
    EXPECT_EQ(bus.calls[0].address, 255);
    EXPECT_EQ(bus.calls[0].valueIn, 0.0);
    EXPECT_EQ(bus.calls[0].integerIn, static_cast<int32_t>(0xF7FFFFFF));

    // A failed query leaves the address as it was.
    EXPECT_EQ(bus::queryAddress(bus, bus::kAddressQueryWrite, ops, address), -30);
    EXPECT_EQ(address, 5);
    EXPECT_EQ(bus.calls[1].integerIn, -1);
}
