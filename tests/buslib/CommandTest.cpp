#include "BusLibFixture.h"

#include <cmath>
#include <limits>

TEST_F(BusLibTest, PortMustBeOpenedWithValidArguments) {
    double value = 0;
    int32_t integer = 0;
    EXPECT_EQ(tx(1, 12, value, integer), st::PortNotOpen);
    EXPECT_EQ(lib->openCom(1, 9600, 6), st::BadBaudRate);
    EXPECT_EQ(lib->openCom(1, 4800, 5), st::BadMode);
    EXPECT_EQ(lib->openCom(42, 4800, 6), st::PortMissing);
    EXPECT_EQ(tx(1, 12, value, integer), st::PortNotOpen);
    for (int16_t mode : {0, 6, 7, 66})
        EXPECT_EQ(lib->openCom(1, 4800, mode), 0) << mode;
    EXPECT_EQ(tx(1, 12, value, integer), 0);
    EXPECT_EQ(lib->closeCom(), 0);
    EXPECT_EQ(tx(1, 12, value, integer), st::PortNotOpen);
    EXPECT_EQ(lib->closeCom(), st::PortNotOpen);
}

TEST_F(BusLibTest, ParameterCommandReadsWithPAndWritesWith256PlusP) {
    ASSERT_EQ(open(1), 0);
    int32_t out = -1;
    ASSERT_EQ(readParameter(1, 11, out), 0);
    EXPECT_EQ(out, 1);
    ASSERT_EQ(writeParameter(1, 11, 3), 0);
    ASSERT_EQ(readParameter(1, 11, out), 0);
    EXPECT_EQ(out, 3);

    EXPECT_EQ(readParameter(1, 20, out), st::UnknownParameter); // none on a TRK 520
    EXPECT_EQ(writeParameter(1, 122, 253), st::UnknownParameter);
    double odd = 11.5;
    EXPECT_EQ(tx(1, 248, odd, out), st::BadOperand);
    double tooLarge = 512;
    EXPECT_EQ(tx(1, 248, tooLarge, out), st::BadOperand);
}

TEST_F(BusLibTest, Dvn20TbTakesItsOutput2DelayOnlyThroughCommand104) {
    ASSERT_EQ(open(5), 0);
    int32_t out = 0;
    EXPECT_EQ(writeParameter(1, 22, 75), st::UseCommand104);
    ASSERT_EQ(readParameter(1, 22, out), 0);
    EXPECT_EQ(out, 50);
    ASSERT_EQ(writeValue(1, 104, 75.0, 1), 0);
    ASSERT_EQ(readParameter(1, 22, out), 0);
    EXPECT_EQ(out, 75);

    EXPECT_EQ(writeParameter(1, 122, 253), 0);
    for (int p : {12, 25, 38, 39})
        EXPECT_EQ(readParameter(1, p, out), st::UnknownParameter) << p;
    double value = 0;
    EXPECT_EQ(readValue(1, 42, value), st::UnknownCommand);
}

TEST_F(BusLibTest, FeatureAndAnalogParametersDependOnFirmwareAndFeatures) {
    int32_t out = 0;
    ASSERT_EQ(open(2), 0); // firmware 22
    EXPECT_EQ(readParameter(1, 38, out), st::UnknownParameter);
    EXPECT_EQ(readParameter(1, 39, out), st::UnknownParameter);

    ASSERT_EQ(open(1), 0); // no analog output
    for (int p : {12, 13, 14, 25, 26})
        EXPECT_EQ(readParameter(1, p, out), st::UnknownParameter) << p;
    for (int16_t port : {3, 4}) { // current and voltage output
        ASSERT_EQ(open(port), 0);
        for (int p : {12, 13, 14, 25, 26})
            EXPECT_EQ(readParameter(1, p, out), 0) << port << "/" << p;
        EXPECT_EQ(writeParameter(1, 26, 20), 0);
    }

    // An analog output on firmware before 23 has its range and scaling, but not the
    // analog range and filter of 25/26.
    writeRoster(
        onePort({{{"identity", "0x07810001"}, {"firmware", 22.9}, {"address", 1}, {"features", "0x0004"}}}));
    ASSERT_EQ(open(1), 0);
    for (int p : {12, 13, 14})
        EXPECT_EQ(readParameter(1, p, out), 0) << p;
    for (int p : {25, 26}) {
        EXPECT_EQ(readParameter(1, p, out), st::UnknownParameter) << p;
        EXPECT_EQ(writeParameter(1, p, 1), st::UnknownParameter) << p;
    }
}

TEST_F(BusLibTest, ExtendedWordsKeepEightBits) {
    ASSERT_EQ(open(1), 0);
    int32_t out = 0;
    for (int p : {18, 23, 28, 35}) {
        ASSERT_EQ(writeParameter(1, p, 0x1A5), 0);
        ASSERT_EQ(readParameter(1, p, out), 0);
        EXPECT_EQ(out, 0xA5) << p;
    }
    // On the DVN 20 TB parameters 18 and 23 are ordinary parameters, not extended words:
    // they keep every bit, and it knows no 28 and 35.
    ASSERT_EQ(open(5), 0);
    for (int p : {18, 23}) {
        ASSERT_EQ(writeParameter(1, p, 0x1A5), 0);
        ASSERT_EQ(readParameter(1, p, out), 0);
        EXPECT_EQ(out, 0x1A5) << p;
    }
    for (int p : {28, 35})
        EXPECT_EQ(writeParameter(1, p, 1), st::UnknownParameter) << p;
}

// The dedicated commands and command 248 reach the same stored values.
TEST_F(BusLibTest, DedicatedCommandsAndParametersShareTheirValues) {
    ASSERT_EQ(open(1), 0);
    double value = 0;
    int32_t out = 0;
    ASSERT_EQ(writeParameter(1, 3, 50), 0);
    ASSERT_EQ(writeParameter(1, 4, 500), 0);
    ASSERT_EQ(readValue(1, 176, value), 0);
    EXPECT_EQ(value, 50.0);
    ASSERT_EQ(readValue(1, 177, value), 0);
    EXPECT_EQ(value, 500.0);

    ASSERT_EQ(writeValue(1, 195, 0, 1), 0);
    ASSERT_EQ(readParameter(1, 5, out), 0);
    EXPECT_EQ(out, 1);
    ASSERT_EQ(writeParameter(1, 5, 2), 0);
    int32_t decimals = 0;
    ASSERT_EQ(tx(1, 204, value, decimals), 0);
    EXPECT_EQ(decimals, 2);
    EXPECT_EQ(writeValue(1, 195, 0, 4), st::BadOperand);
    ASSERT_EQ(tx(1, 204, value, decimals), 0);
    EXPECT_EQ(decimals, 2);

    ASSERT_EQ(writeValue(1, 195, 0, 1), 0);
    ASSERT_EQ(writeValue(1, 192, -10.5), 0);
    ASSERT_EQ(writeValue(1, 193, 99.9), 0);
    ASSERT_EQ(readValue(1, 200, value), 0);
    EXPECT_EQ(value, -10.5);
    ASSERT_EQ(readValue(1, 201, value), 0);
    EXPECT_EQ(value, 99.9);
    ASSERT_EQ(readParameter(1, 6, out), 0);
    EXPECT_EQ(out, -105); // raw: one decimal
    ASSERT_EQ(readParameter(1, 7, out), 0);
    EXPECT_EQ(out, 999);
    ASSERT_EQ(writeParameter(1, 6, 250), 0);
    ASSERT_EQ(readValue(1, 200, value), 0);
    EXPECT_EQ(value, 25.0);

    ASSERT_EQ(writeValue(1, 194, 0, 80), 0);
    int32_t unit = 0;
    ASSERT_EQ(tx(1, 202, value, unit), 0);
    EXPECT_EQ(unit, 80);
    ASSERT_EQ(readParameter(1, 2, out), 0);
    EXPECT_EQ(out, 80);
    EXPECT_EQ(writeValue(1, 194, 0, 200), st::BadOperand);
}

TEST_F(BusLibTest, SwitchPointsDelaysAndAlarmLimitsPerOutput) {
    ASSERT_EQ(open(6), 0);
    ASSERT_EQ(writeValue(1, 43, 123.5, 0), 0);
    ASSERT_EQ(writeValue(1, 45, 7.0, 1), 0);
    ASSERT_EQ(writeValue(1, 51, 1.25, 1), 0);
    ASSERT_EQ(writeValue(1, 102, -50.0), 0);
    ASSERT_EQ(writeValue(1, 103, 950.0), 0);
    double value = 0;
    ASSERT_EQ(readValue(1, 42, value, 0), 0);
    EXPECT_EQ(value, 123.5);
    ASSERT_EQ(readValue(1, 44, value, 1), 0);
    EXPECT_EQ(value, 7.0);
    ASSERT_EQ(readValue(1, 44, value, 0), 0);
    EXPECT_EQ(value, 700.0); // output 1 kept its own point
    ASSERT_EQ(readValue(1, 50, value, 1), 0);
    EXPECT_EQ(value, 1.25);
    ASSERT_EQ(readValue(1, 22, value), 0);
    EXPECT_EQ(value, -50.0);
    ASSERT_EQ(readValue(1, 23, value), 0);
    EXPECT_EQ(value, 950.0);

    EXPECT_EQ(readValue(1, 42, value, 2), st::BadOperand);
    EXPECT_EQ(writeValue(1, 43, std::numeric_limits<double>::quiet_NaN(), 0), st::BadOperand);
    EXPECT_EQ(writeValue(1, 193, std::numeric_limits<double>::infinity()), st::BadOperand);
}

TEST_F(BusLibTest, PreferredStateCommandsOnlyFromFirmware23) {
    ASSERT_EQ(open(1), 0);
    double output = 1.0;
    int32_t state = 1;
    ASSERT_EQ(tx(1, 53, output, state), 0);
    state = -1;
    ASSERT_EQ(tx(1, 52, output, state), 0);
    EXPECT_EQ(state, 1);
    output = 0.0;
    ASSERT_EQ(tx(1, 52, output, state), 0);
    EXPECT_EQ(state, 0);
    output = 0.5;
    EXPECT_EQ(tx(1, 52, output, state), st::BadOperand);

    ASSERT_EQ(open(2), 0);
    output = 0.0;
    EXPECT_EQ(tx(1, 52, output, state), st::UnknownCommand);
    EXPECT_EQ(tx(1, 53, output, state), st::UnknownCommand);
    ASSERT_EQ(readParameter(1, 24, state), 0); // the old way
    EXPECT_EQ(state, 1);
}

TEST_F(BusLibTest, OtherCommandsAnswerAsTheInstrumentWould) {
    ASSERT_EQ(open(1), 0);
    for (int16_t command : {215, 217}) {
        double value = 3.5;
        int32_t integer = 9;
        EXPECT_EQ(tx(1, command, value, integer), 0);
        EXPECT_EQ(value, 3.5);
        EXPECT_EQ(integer, 9);
    }
    double value = 0;
    ASSERT_EQ(readValue(1, 254, value), 0);
    EXPECT_DOUBLE_EQ(value, 23.1);
    EXPECT_EQ(readValue(1, 99, value), st::UnknownCommand);
    EXPECT_EQ(readValue(7, 12, value), st::NoAnswer);
    EXPECT_EQ(readValue(-1, 12, value), st::BadOperand);

    int32_t id = 0;
    ASSERT_EQ(lib->readId(1, &id), 0);
    EXPECT_EQ(id, identity(1));
    ASSERT_EQ(lib->measurement(1, &value), 0);
    EXPECT_EQ(value, 500.0);
    EXPECT_EQ(lib->sysinit(), 0);
    EXPECT_EQ(readValue(1, 12, value), st::PortNotOpen);
}

TEST_F(BusLibTest, RestartLeavesThePollsThatFollowUnanswered) {
    ASSERT_EQ(open(1), 0);
    double value = 0;
    ASSERT_EQ(readValue(1, 241, value), 0);
    EXPECT_EQ(readValue(1, 12, value), st::NoAnswer);
    EXPECT_EQ(readValue(1, 12, value), 0);
    EXPECT_EQ(readValue(1, 12, value), 0);

    // The DVN 20 TB takes longer after its sensor was written.
    ASSERT_EQ(open(5), 0);
    ASSERT_EQ(writeParameter(1, 1, 2), 0);
    ASSERT_EQ(readValue(1, 241, value), 0);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(readValue(1, 12, value), st::NoAnswer) << i;
    EXPECT_EQ(readValue(1, 12, value), 0);
    ASSERT_EQ(readValue(1, 241, value), 0);
    EXPECT_EQ(readValue(1, 12, value), st::NoAnswer);
    EXPECT_EQ(readValue(1, 12, value), 0);
}

TEST_F(BusLibTest, RestartPollCountComesFromTheRoster) {
    writeRoster(onePort(
        {{{"identity", "0x07800001"}, {"firmware", 23.0}, {"address", 3}, {"quietPollsAfterRestart", 0}},
         {{"identity", "0x07800002"}, {"firmware", 23.0}, {"address", 4}, {"quietPollsAfterRestart", 2}}}));
    ASSERT_EQ(open(1), 0);
    double value = 0;
    ASSERT_EQ(readValue(3, 241, value), 0);
    EXPECT_EQ(readValue(3, 12, value), 0);
    ASSERT_EQ(readValue(4, 241, value), 0);
    EXPECT_EQ(readValue(4, 12, value), st::NoAnswer);
    EXPECT_EQ(readValue(4, 12, value), st::NoAnswer);
    EXPECT_EQ(readValue(4, 12, value), 0);
}
