#include "BusLibFixture.h"

#include <chrono>

// With "baud" on its port, each call takes its telegrams' time on the line; a silent address
// costs the time-out. The suite itself runs with the wire time switched off.
TEST_F(BusLibTest, BaudOptionMakesEachExchangeTakeItsWireTime) {
    nlohmann::json r = onePort({{{"identity", "0x07810101"}, {"firmware", 23.1}, {"address", 1}}});
    r["ports"][0]["baud"] = 4800;
    writeRoster(r);
    setenv("TRAXBUS_WIRETIME", "on", 1);
    ASSERT_EQ(open(1), 0);

    const auto start = std::chrono::steady_clock::now();
    int32_t out = 0;
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(readParameter(1, 38, out), 0);
    EXPECT_EQ(writeParameter(1, 9, 10), 0); // a write keeps the option in the rewritten roster
    EXPECT_EQ(readParameter(7, 38, out), -2);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    unsetenv("TRAXBUS_WIRETIME");

    // 16 bytes of 10 bits at 4800 baud plus 5 ms turnaround; the silent one 8 bytes plus 100 ms.
    const double modelled = 5 * (16 * 10 * 1000.0 / 4800 + 5) + (8 * 10 * 1000.0 / 4800 + 100);
    EXPECT_GE(ms, modelled);
    EXPECT_LT(ms, 1.6 * modelled); // a busy machine oversleeps a little, never twice the time
    EXPECT_EQ(roster()["ports"][0]["baud"], 4800);
}

TEST_F(BusLibTest, DefaultRosterRunsEveryPortAtTheRealBusSpeed) {
    EXPECT_EQ(lib->version(), 0x0170);
    const auto file = roster(); // the loop must not outlive the parsed document
    for (const auto& port : file["ports"])
        EXPECT_EQ(port.value("baud", 0), 4800) << port["port"];
}
