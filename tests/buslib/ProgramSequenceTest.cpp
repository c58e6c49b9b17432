#include "BusLibFixture.h"

// The reads a readout sends to each default port for the model the port stands for. None may
// fail: a refused read would end the program's readout early.
namespace {

struct Read {
    int16_t command;
    double value;
    int32_t integer;
};

std::vector<Read> parameters(std::initializer_list<int> numbers) {
    std::vector<Read> reads;
    for (int p : numbers)
        reads.push_back({248, double(p), 0});
    return reads;
}

void append(std::vector<Read>& to, const std::vector<Read>& more) {
    to.insert(to.end(), more.begin(), more.end());
}

std::vector<Read> common() {
    std::vector<Read> reads = {{12, 0, 0}, {254, 0, 0}};
    append(reads, parameters({0, 1}));
    append(reads, {{204, 0, 0}, {201, 0, 0}, {200, 0, 0}});
    append(reads, parameters({8, 9}));
    append(reads, {{177, 0, 0}, {176, 0, 0}});
    append(reads, parameters({10}));
    append(reads, {{202, 0, 0}});
    return reads;
}

const std::vector<Read> kOutput1 = {{42, 0, 0}, {44, 0, 0}, {50, 0, 0}, {248, 18, 0}, {52, 0.0, 0}};
const std::vector<Read> kOutput2 = {{42, 0, 1}, {44, 0, 1}, {50, 0, 1}, {52, 1.0, 1}, {248, 23, 0}};
const std::vector<Read> kAnalog = {{248, 25, 0}, {248, 26, 0}, {248, 13, 0}, {248, 12, 0}, {248, 14, 0}};
const std::vector<Read> kPid = {{42, 0, 0},   {44, 0, 0},   {248, 19, 0}, {248, 22, 0}, {248, 24, 0},
                                {248, 16, 0}, {248, 17, 0}, {248, 15, 0}, {52, 0.0, 0}};

} // namespace

TEST_F(BusLibTest, ReadoutOfEveryDefaultPortRunsWithoutAFailure) {
    const auto identification = parameters({38, 39, 18});
    std::vector<std::pair<int16_t, std::vector<Read>>> runs;
    auto trk = [&](int16_t port, std::vector<std::vector<Read>> blocks) {
        std::vector<Read> reads = identification;
        append(reads, common());
        append(reads, parameters({11}));
        for (const auto& block : blocks)
            append(reads, block);
        runs.emplace_back(port, reads);
    };
    trk(1, {kOutput1, kOutput2, kPid});
    trk(3, {kOutput1, kAnalog});
    trk(6, {kOutput1});
    trk(7, {kOutput1, kOutput2, kAnalog, kPid});
    std::vector<Read> old = common();
    append(old, parameters({11}));
    append(old, {{42, 0, 0}, {44, 0, 0}, {50, 0, 0}, {248, 18, 0}, {248, 19, 0}});
    append(old, {{42, 0, 1}, {44, 0, 1}, {50, 0, 1}, {248, 24, 0}, {248, 23, 0}});
    runs.emplace_back(2, old);
    std::vector<Read> dvn = identification;
    append(dvn, common());
    append(dvn, kAnalog);
    runs.emplace_back(4, dvn);
    runs.emplace_back(
        5, parameters({0, 1, 5, 7, 6, 8, 9, 4, 3, 10, 2, 11, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24}));

    for (const auto& [port, reads] : runs) {
        ASSERT_EQ(open(port), 0);
        for (const auto& read : reads) {
            double value = read.value;
            int32_t integer = read.integer;
            EXPECT_EQ(tx(1, read.command, value, integer), 0)
                << "port " << port << ", command " << read.command << ", value " << read.value;
        }
    }
}

// Programming a DVN 20 TB: the delay of output 2 comes back with -44 and goes out again with 104;
// the sensor write makes the instrument take longer than three polls to come back.
TEST_F(BusLibTest, Dvn20TbProgrammingRunKeepsEveryValue) {
    ASSERT_EQ(open(5), 0);
    const std::pair<int, int32_t> writes[] = {{14, 0},   {13, 0},   {1, 1},    {5, 1},  {7, 9999}, {6, -1999},
                                              {8, 1},    {9, 25},   {4, 2000}, {3, 10}, {10, 4},   {2, 2},
                                              {11, 2},   {15, 900}, {16, 850}, {17, 5}, {18, 1},   {19, 1},
                                              {20, 100}, {21, 150}, {23, 2},   {24, 1}};
    double value = 0;
    int32_t integer = 0;
    for (const auto& [p, raw] : writes) {
        ASSERT_EQ(writeParameter(1, p, raw), 0) << p;
        if (p == 1) {
            ASSERT_EQ(tx(1, 241, value, integer), 0);
            int polls = 0;
            int16_t status = -1;
            while (status < 0 && polls < 10) {
                status = tx(1, 12, value, integer);
                ++polls;
            }
            EXPECT_EQ(status, 0);
            EXPECT_GT(polls, 3);
        }
    }
    ASSERT_EQ(writeParameter(1, 22, 120), st::UseCommand104);
    int16_t aux = 0;
    value = 120;
    integer = 1;
    ASSERT_EQ(lib->transmit(1, 104, &aux, &value, &integer), 0);
    ASSERT_EQ(writeParameter(1, 122, 253), 0);

    lib->closeCom();
    reload();
    ASSERT_EQ(open(5), 0);
    for (const auto& [p, raw] : writes) {
        int32_t out = 0;
        ASSERT_EQ(readParameter(1, p, out), 0);
        EXPECT_EQ(out, raw) << p;
    }
    int32_t delay = 0;
    ASSERT_EQ(readParameter(1, 22, delay), 0);
    EXPECT_EQ(delay, 120);
}
