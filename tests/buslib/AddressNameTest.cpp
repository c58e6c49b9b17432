#include "BusLibFixture.h"

#include <cstring>

TEST_F(BusLibTest, AddressQueryAnswersOnlyForASingleInstrument) {
    double value = 0;
    int32_t integer = static_cast<int32_t>(0xF7FFFFFF);
    ASSERT_EQ(open(1), 0);
    ASSERT_EQ(tx(255, 14, value, integer), 0);
    EXPECT_EQ(integer & 0xFFFF, 1);

    ASSERT_EQ(open(8), 0);
    integer = -1;
    EXPECT_EQ(tx(255, 14, value, integer), st::Collision);
    ASSERT_EQ(open(9), 0);
    EXPECT_EQ(tx(255, 14, value, integer), st::NoAnswer);
}

TEST_F(BusLibTest, SetAddressMovesExactlyTheInstrumentWithThatIdentity) {
    ASSERT_EQ(open(8), 0);
    const int32_t first = identity(1);
    const int32_t second = identity(2);

    double value = 0;
    int32_t integer = second;
    ASSERT_EQ(tx(7, 13, value, integer), 0);
    EXPECT_EQ(identity(7), second);
    EXPECT_EQ(identity(1), first);
    EXPECT_EQ(readValue(2, 12, value), st::NoAnswer);

    integer = 0x07812345; // nobody has it
    EXPECT_EQ(tx(9, 13, value, integer), st::NoAnswer);
    EXPECT_EQ(readValue(9, 12, value), st::NoAnswer);
    integer = first;
    EXPECT_EQ(tx(240, 13, value, integer), st::BadOperand);
    EXPECT_EQ(identity(1), first);

    lib->closeCom();
    reload();
    ASSERT_EQ(open(8), 0);
    EXPECT_EQ(identity(7), second);
    EXPECT_EQ(roster()["ports"][7]["instruments"][1]["address"], 7);
}

TEST_F(BusLibTest, NameIsReadAndWrittenAsWindows1252Bytes) {
    ASSERT_EQ(open(1), 0);
    char text[256] = {};
    int16_t aux = 0;
    int16_t length = 254;
    ASSERT_EQ(lib->transmitString(1, 1, &aux, text, &length), 0);
    EXPECT_STREQ(text, "Kessel 1");
    EXPECT_EQ(length, 8);

    const char sixteen[] = "\326lpumpe S\374d 1234"; // "Ölpumpe Süd 1234"
    ASSERT_EQ(std::strlen(sixteen), 16u);
    std::strcpy(text, sixteen);
    length = 16;
    ASSERT_EQ(lib->transmitString(1, 2, &aux, text, &length), 0);
    std::memset(text, 'x', sizeof text);
    // The program reads back with the length the write left behind.
    ASSERT_EQ(lib->transmitString(1, 1, &aux, text, &length), 0);
    EXPECT_STREQ(text, sixteen);
    EXPECT_EQ(roster()["ports"][0]["instruments"][0]["name"], "Ölpumpe Süd 1234");

    std::strcpy(text, "Siebzehn Zeichen!");
    length = 17;
    EXPECT_EQ(lib->transmitString(1, 2, &aux, text, &length), st::NameTooLong);
    // A length beyond the terminating zero reads no further than the zero.
    std::strcpy(text, "abc");
    length = 40;
    ASSERT_EQ(lib->transmitString(1, 2, &aux, text, &length), 0);
    length = 254;
    ASSERT_EQ(lib->transmitString(1, 1, &aux, text, &length), 0);
    EXPECT_STREQ(text, "abc");
    EXPECT_EQ(lib->transmitString(1, 3, &aux, text, &length), st::UnknownCommand);
}

TEST_F(BusLibTest, NameBufferIsNeverOverrun) {
    ASSERT_EQ(open(1), 0);
    char text[16];
    std::memset(text, '#', sizeof text);
    int16_t aux = 0;
    int16_t length = 4; // "Kessel 1" needs 8
    EXPECT_EQ(lib->transmitString(1, 1, &aux, text, &length), st::BufferTooSmall);
    EXPECT_EQ(text[0], '\0');
    for (std::size_t i = 1; i < sizeof text; ++i)
        EXPECT_EQ(text[i], '#') << i;
    length = 8;
    ASSERT_EQ(lib->transmitString(1, 1, &aux, text, &length), 0);
    EXPECT_STREQ(text, "Kessel 1");
    EXPECT_EQ(text[9], '#');
}

TEST_F(BusLibTest, InstrumentWithoutNameSupportRefusesBothNameCommands) {
    ASSERT_EQ(open(2), 0);
    char text[256] = "Neu";
    int16_t aux = 0;
    int16_t length = 3;
    EXPECT_EQ(lib->transmitString(1, 2, &aux, text, &length), st::NameUnsupported);
    length = 254;
    EXPECT_EQ(lib->transmitString(1, 1, &aux, text, &length), st::NameUnsupported);
    EXPECT_TRUE(roster()["ports"][1]["instruments"][0]["name"].is_null());
    EXPECT_EQ(lib->transmitString(5, 1, &aux, text, &length), st::NoAnswer);
}
