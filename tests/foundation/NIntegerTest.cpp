#include "foundation/NInteger.h"

#include <QString>

#include <gtest/gtest.h>

TEST(NInteger, ReadsOnlyASignAndDigitsThatFitThirtyTwoBits)
{
    const struct
    {
        const char* Text;
        int Expected;
    } cases[] = {
        {"2", 2},
        {"02", 2},
        {"+7", 7},
        {"-15", -15},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", -1},
        {"-2147483649", -1},
        {"99999999999999999999", -1},
        {"", -1},
        {"+", -1},
        {"-", -1},
        {"2 ", -1},
        {" 2", -1},
        {"1e3", -1},
        {"0x10", -1},
        {"--1", -1},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(ParseInteger(QString::fromLatin1(testCase.Text), -1), testCase.Expected) << testCase.Text;
        EXPECT_EQ(ParseInteger(QByteArrayView(testCase.Text), -1), testCase.Expected) << testCase.Text;
    }
}

TEST(NInteger, RejectsDigitsFromOtherScripts)
{
    EXPECT_EQ(ParseInteger(QStringView(u"\u0662"), -1), -1); // Arabic-Indic two
    EXPECT_EQ(ParseInteger(QStringView(u"\uFF11"), -1), -1); // full-width one
}
