#include "BusLibFixture.h"

#include <set>

namespace {

std::vector<int16_t> ports(BusLib& lib, int16_t& status) {
    std::vector<int16_t> list(256, -1);
    int16_t count = -1;
    status = lib.searchPorts(list.data(), &count);
    list.resize(count < 0 ? 0 : count);
    return list;
}

} // namespace

TEST_F(BusLibTest, FirstUseCreatesTheDefaultRosterWithItsFolders) {
    const auto nested = dir_ / "a" / "b" / "sim.json";
    setenv("TRAXBUS_SIM", nested.c_str(), 1);
    EXPECT_EQ(lib->version(), 0x0170);
    ASSERT_TRUE(std::filesystem::exists(nested));

    int16_t status = 0;
    EXPECT_EQ(ports(*lib, status), (std::vector<int16_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(status, 0);
}

TEST_F(BusLibTest, WithoutTraxbusSimTheRosterLivesInTheXdgConfigFolder) {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    unsetenv("TRAXBUS_SIM");
    setenv("XDG_CONFIG_HOME", (dir_ / "xdg").c_str(), 1);

    int16_t status = 0;
    EXPECT_EQ(ports(*lib, status).size(), 10u);
    EXPECT_TRUE(std::filesystem::exists(dir_ / "xdg" / "Halvora" / "traxbus-sim.json"));

    if (old)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

// What identification reads from each default port must let the user pick the model by port.
TEST_F(BusLibTest, DefaultPortsHoldTheInstrumentsTheirModelsNeed) {
    struct Expected {
        int16_t port;
        const char* type;
        bool newFirmware;
        int32_t features; // -1: not readable
        int32_t options;
        int32_t pidBits; // bits 4 and 5 of parameter 18, -1: not checked
        bool hasName;
    };
    const Expected expected[] = {
        {1, "TRK 520", true, 0x0000, 0x0020, 0x10, true}, {2, "TRK 520", false, -1, -1, -1, false},
        {3, "TRK 520", true, 0x0004, 0x0020, 0x00, true}, {4, "DVN 500", true, 0x8000, 0x0020, 0x00, true},
        {5, "DVN 20 TB", false, -1, -1, -1, false},       {6, "TRK 520", true, 0x0020, 0x0000, 0x00, true},
        {7, "TRK 520", true, 0x0004, 0x0020, 0x30, true},
    };
    std::set<int32_t> identities;
    for (const auto& e : expected) {
        SCOPED_TRACE("port " + std::to_string(e.port));
        ASSERT_EQ(open(e.port), 0);
        double value = 0;
        int32_t address = static_cast<int32_t>(0xF7FFFFFF);
        ASSERT_EQ(tx(255, 14, value, address), 0);
        EXPECT_EQ(address, 1);
        const int32_t id = identity(1);
        identities.insert(id);
        char type[256] = {};
        EXPECT_GE(lib->type(id, type), 0);
        EXPECT_STREQ(type, e.type);

        double firmware = 0;
        ASSERT_EQ(readValue(1, 254, firmware), 0);
        EXPECT_EQ(firmware >= 23.0, e.newFirmware);
        int32_t word = 0;
        if (e.features >= 0) {
            EXPECT_EQ(readParameter(1, 38, word), 0);
            EXPECT_EQ(word, e.features);
            EXPECT_EQ(readParameter(1, 39, word), 0);
            EXPECT_EQ(word, e.options);
        }
        if (e.pidBits >= 0) {
            EXPECT_EQ(readParameter(1, 18, word), 0);
            EXPECT_EQ(word & 0x30, e.pidBits);
        }
        char name[32] = {};
        int16_t aux = 0;
        int16_t length = 30;
        EXPECT_EQ(lib->transmitString(1, 1, &aux, name, &length) >= 0, e.hasName);
        lib->closeCom();
    }
    EXPECT_EQ(identities.size(), std::size(expected));

    ASSERT_EQ(open(8), 0);
    EXPECT_NE(identity(1), identity(2));
    ASSERT_EQ(open(9), 0);
    double value = 0;
    int32_t address = 0;
    EXPECT_EQ(tx(255, 14, value, address), st::NoAnswer);
}
