#include "config/NumberFormat.h"

#include <gtest/gtest.h>

#include <limits>

using NumberFormat::formatFixed;
using NumberFormat::formatGeneral;
using NumberFormat::formatShortest;
using NumberFormat::parseNumber;

namespace {
const QChar comma(u',');
const QChar point(u'.');
} // namespace

TEST(NumberFormatFixed, RoundsHalfAwayFromZeroToTheDecimals) {
    EXPECT_EQ(formatFixed(0.125, 3, 2, comma), QStringLiteral("0,13"));
    EXPECT_EQ(formatFixed(-0.125, 3, 2, point), QStringLiteral("-0.13"));
    EXPECT_EQ(formatFixed(2.5, 4, 0, comma), QStringLiteral("3"));
    EXPECT_EQ(formatFixed(-2.5, 4, 0, comma), QStringLiteral("-3"));
    // 1.005 is stored just below the half.
    EXPECT_EQ(formatFixed(1.005, 3, 2, comma), QStringLiteral("1,00"));
    EXPECT_EQ(formatFixed(0.995, 3, 2, point), QStringLiteral("0.99"));
    EXPECT_EQ(formatFixed(9.999, 4, 2, comma), QStringLiteral("10,00"));
    // Rounding up where no digit is kept: the carry is the first digit.
    EXPECT_EQ(formatFixed(0.6, 4, 0, comma), QStringLiteral("1"));
    EXPECT_EQ(formatFixed(-0.5, 4, 0, comma), QStringLiteral("-1"));
    EXPECT_EQ(formatFixed(0.006, 3, 2, point), QStringLiteral("0.01"));
    EXPECT_EQ(formatFixed(0.4, 4, 0, comma), QStringLiteral("0"));
}

TEST(NumberFormatFixed, PadsAndLimitsSignificantDigits) {
    EXPECT_EQ(formatFixed(-19.99, 4, 2, comma), QStringLiteral("-19,99"));
    EXPECT_EQ(formatFixed(0.0, 15, 4, comma), QStringLiteral("0,0000"));
    EXPECT_EQ(formatFixed(0.01, 3, 2, point), QStringLiteral("0.01"));
    EXPECT_EQ(formatFixed(999.9, 4, 1, comma), QStringLiteral("999,9"));
    EXPECT_EQ(formatFixed(-1.999, 4, 3, point), QStringLiteral("-1.999"));
    EXPECT_EQ(formatFixed(5, 4, 3, point), QStringLiteral("5.000"));
    // Precision wins over decimals: four significant digits, then zeros.
    EXPECT_EQ(formatFixed(1234.5678, 4, 2, comma), QStringLiteral("1235,00"));
    EXPECT_EQ(formatFixed(0.000123, 15, 4, comma), QStringLiteral("0,0001"));
}

TEST(NumberFormatFixed, NeverWritesNegativeZero) {
    EXPECT_EQ(formatFixed(-0.004, 3, 2, comma), QStringLiteral("0,00"));
    EXPECT_EQ(formatFixed(-0.0, 4, 0, comma), QStringLiteral("0"));
}

TEST(NumberFormatFixed, TooManyIntegerDigitsFallBackToExponentForm) {
    EXPECT_EQ(formatFixed(12345, 4, 0, comma), QStringLiteral("1,235E4"));
    EXPECT_EQ(formatFixed(-12345, 4, 0, point), QStringLiteral("-1.235E4"));
    // Rounding up can push a value over the precision.
    EXPECT_EQ(formatFixed(9999.6, 4, 0, comma), QStringLiteral("1E4"));
    EXPECT_EQ(formatFixed(9999.4, 4, 0, comma), QStringLiteral("9999"));
}

TEST(NumberFormatGeneral, ShortestFormDropsTrailingZeros) {
    EXPECT_EQ(formatShortest(-94, comma), QStringLiteral("-94"));
    EXPECT_EQ(formatShortest(200.0, point), QStringLiteral("200"));
    EXPECT_EQ(formatShortest(0.1, comma), QStringLiteral("0,1"));
    EXPECT_EQ(formatShortest(0.1 + 0.2, point), QStringLiteral("0.3"));
    EXPECT_EQ(formatShortest(0.0, comma), QStringLiteral("0"));
    // A single-precision result shows its binary value to 15 digits.
    EXPECT_EQ(formatShortest(2501.6f, comma), QStringLiteral("2501,60009765625"));
}

TEST(NumberFormatGeneral, ExponentFormOutsideTheFixedRange) {
    EXPECT_EQ(formatShortest(1e20, comma), QStringLiteral("1E20"));
    EXPECT_EQ(formatShortest(-1.5e20, point), QStringLiteral("-1.5E20"));
    EXPECT_EQ(formatShortest(0.0001, comma), QStringLiteral("0,0001"));
    EXPECT_EQ(formatShortest(0.00001, comma), QStringLiteral("1E-5"));
    EXPECT_EQ(formatShortest(123456789012345678.0, comma), QStringLiteral("1,23456789012346E17"));
    EXPECT_EQ(formatShortest(123456789012345.0, comma), QStringLiteral("123456789012345"));
    EXPECT_EQ(formatGeneral(99999, 4, point), QStringLiteral("1E5"));
    EXPECT_EQ(formatShortest(std::numeric_limits<double>::infinity(), comma), QStringLiteral("INF"));
}

TEST(NumberFormatParse, AcceptsOnlyTheGivenSeparator) {
    bool ok = false;
    EXPECT_DOUBLE_EQ(parseNumber(QStringLiteral("1,5"), comma, &ok), 1.5);
    EXPECT_TRUE(ok);
    EXPECT_DOUBLE_EQ(parseNumber(QStringLiteral("1.5"), point, &ok), 1.5);
    EXPECT_TRUE(ok);
    EXPECT_DOUBLE_EQ(parseNumber(QStringLiteral(" -0,25 "), comma, &ok), -0.25);
    EXPECT_TRUE(ok);
    EXPECT_DOUBLE_EQ(parseNumber(QStringLiteral("+3"), comma, &ok), 3);
    EXPECT_TRUE(ok);
    EXPECT_DOUBLE_EQ(parseNumber(QStringLiteral(",5"), comma, &ok), 0.5);
    EXPECT_TRUE(ok);
    EXPECT_DOUBLE_EQ(parseNumber(QStringLiteral("5."), point, &ok), 5);
    EXPECT_TRUE(ok);
    EXPECT_DOUBLE_EQ(parseNumber(QStringLiteral("1,5E3"), comma, &ok), 1500);
    EXPECT_TRUE(ok);
    EXPECT_DOUBLE_EQ(parseNumber(QStringLiteral("2e-2"), point, &ok), 0.02);
    EXPECT_TRUE(ok);
}

TEST(NumberFormatParse, RejectsWhatIsNoNumber) {
    for (const char* text : {"", " ", "-", "+", ",", "1.5", "1,2,3", "1.000,5", "12a", "e3", "1e", "1e+",
                             "inf", "nan", "1e999", "0x10", "- 1"}) {
        bool ok = true;
        EXPECT_EQ(parseNumber(QString::fromLatin1(text), comma, &ok), 0.0) << text;
        EXPECT_FALSE(ok) << text;
    }
    bool ok = true;
    parseNumber(QStringLiteral("1,5"), point, &ok);
    EXPECT_FALSE(ok);
}

TEST(NumberFormatParse, RoundTripsWhatFormatWrites) {
    for (double v : {-1999.0, -19.99, 0.0, 0.01, 2.0, 99.99, 999.9, 9999.0}) {
        for (QChar sep : {comma, point}) {
            bool ok = false;
            EXPECT_DOUBLE_EQ(parseNumber(formatFixed(v, 4, 2, sep), sep, &ok), v);
            EXPECT_TRUE(ok);
            EXPECT_DOUBLE_EQ(parseNumber(formatShortest(v, sep), sep, &ok), v);
            EXPECT_TRUE(ok);
        }
    }
}
