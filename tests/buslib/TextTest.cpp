#include "BusLibFixture.h"

#include <cstring>
#include <set>

TEST_F(BusLibTest, UnitTextsFitTheirBufferAndNameEachUnitOnce) {
    std::set<std::string> seen;
    for (int16_t code = 0; code < 200; ++code) {
        char text[16];
        std::memset(text, 0, 10);
        std::memset(text + 10, '#', 6);
        ASSERT_EQ(lib->unit(code, text), 0) << code;
        const std::string unit = text;
        EXPECT_LE(unit.size(), 9u) << code;
        EXPECT_FALSE(unit.empty()) << code;
        EXPECT_EQ(std::string(text + 10, 6), "######") << code;
        // The program finds a unit's code by its text.
        if (unit != " " && unit != "?") {
            EXPECT_TRUE(seen.insert(unit).second) << unit;
        }
    }
    EXPECT_GE(seen.size(), 20u);

    const std::pair<int16_t, const char*> fixed[] = {
        {1, "\260C"}, {2, "\260F"}, {79, "l/s"}, {80, "l/h"}, {81, "l/min"}};
    for (const auto& [code, unit] : fixed) {
        char text[10] = {};
        lib->unit(code, text);
        EXPECT_STREQ(text, unit) << code;
    }
    for (int16_t code : {-1, 200, 32767}) {
        char text[10] = {};
        EXPECT_LT(lib->unit(code, text), 0);
        EXPECT_STREQ(text, "?");
    }
}

TEST_F(BusLibTest, TypeNamesOnlyTheThreeFamilies) {
    const std::pair<uint32_t, const char*> known[] = {
        {0x07610404, "DVN 500"}, {0x07800000, "TRK 520"}, {0x079FFFFF, "DVN 20 TB"}};
    for (const auto& [id, name] : known) {
        char text[256] = {};
        EXPECT_GE(lib->type(static_cast<int32_t>(id), text), 0);
        EXPECT_STREQ(text, name);
    }
    for (uint32_t id : {0x07700000u, 0x00000000u, 0x0FF00000u}) {
        char text[256] = {};
        EXPECT_LT(lib->type(static_cast<int32_t>(id), text), 0) << std::hex << id;
    }
}

TEST_F(BusLibTest, EveryOwnStatusHasItsOwnGermanText) {
    const std::string generic = errorText(-30000);
    EXPECT_NE(generic.find("Unbekannter Fehler"), std::string::npos);
    std::set<std::string> texts;
    for (int16_t code : {st::NoAnswer, st::PortNotOpen, st::PortMissing, st::BadBaudRate, st::BadMode,
                         st::Collision, st::UnknownCommand, st::NameTooLong, st::NameUnsupported,
                         st::BufferTooSmall, st::NullPointer, st::BadOperand, st::BadRoster, st::WriteFailed,
                         int16_t(-16), int16_t(-20), int16_t(-21), st::UnknownParameter, st::UseCommand104}) {
        const std::string text = errorText(code);
        EXPECT_NE(text, generic) << code;
        EXPECT_TRUE(texts.insert(text).second) << code;
        EXPECT_LT(text.size(), 256u);
    }
    // The program's own codes are not the library's.
    for (int16_t code : {-1, -123, -9256, -9998, -9999})
        EXPECT_EQ(errorText(code), generic) << code;
    EXPECT_NE(errorText(0).find("Kein Fehler"), std::string::npos);
    EXPECT_NE(errorText(st::NoAnswer).find("Ger\xE4t"), std::string::npos); // Windows-1252 umlaut
}

TEST_F(BusLibTest, LongProblemTextIsCutToTheBuffer) {
    const auto deep = dir_ / std::string(200, 'd') / std::string(200, 'e') / "roster.json";
    std::filesystem::create_directories(deep.parent_path());
    std::ofstream(deep) << "{";
    setenv("TRAXBUS_SIM", deep.c_str(), 1);
    ASSERT_EQ(open(1), st::BadRoster);
    char text[300];
    std::memset(text, '#', sizeof text);
    lib->errorMessage(st::BadRoster, text);
    EXPECT_EQ(std::strlen(text), 255u);
    EXPECT_EQ(text[256], '#');
}

TEST_F(BusLibTest, NullPointersGiveAStatusInsteadOfACrash) {
    ASSERT_EQ(open(1), 0);
    int16_t aux = 0;
    double value = 0;
    int32_t integer = 0;
    EXPECT_EQ(lib->transmit(1, 12, nullptr, &value, &integer), st::NullPointer);
    EXPECT_EQ(lib->transmit(1, 12, &aux, nullptr, &integer), st::NullPointer);
    EXPECT_EQ(lib->transmit(1, 12, &aux, &value, nullptr), st::NullPointer);
    EXPECT_EQ(lib->errorMessage(-2, nullptr), st::NullPointer);
    EXPECT_LT(lib->type(0x07800000, nullptr), 0);
    EXPECT_LT(lib->unit(1, nullptr), 0);
    char text[32] = {};
    int16_t length = 30;
    EXPECT_EQ(lib->transmitString(1, 1, nullptr, text, &length), st::NullPointer);
    EXPECT_EQ(lib->transmitString(1, 1, &aux, nullptr, &length), st::NullPointer);
    EXPECT_EQ(lib->transmitString(1, 2, &aux, text, nullptr), st::NullPointer);
    int16_t count = 0;
    EXPECT_EQ(lib->searchPorts(nullptr, &count), st::NullPointer);
    int16_t ports[256];
    EXPECT_EQ(lib->searchPorts(ports, nullptr), st::NullPointer);
    EXPECT_EQ(lib->readId(1, nullptr), st::NullPointer);
    EXPECT_EQ(lib->measurement(1, nullptr), st::NullPointer);
}
