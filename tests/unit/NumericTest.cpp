#include <gtest/gtest.h>

#include <cmath>

#include "core/Numeric.h"

namespace falvori {
namespace {

TEST(NumericValue, LeadingNumberWithBlanksTabsAndLineFeedsIgnored) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"128", 128},     {"1 2 8", 128},  {"  65  ", 65},   {"12\t", 12},   {"1\t2", 12},
        {"1\n2", 12},     {"12abc", 12},   {"abc12", 0},     {"", 0},        {"\t", 0},
        {"-1", -1},       {"+5", 5},       {"- 7", -7},      {"--1", 0},     {"+-1", 0},
        {"3.5", 3.5},     {".5", 0.5},     {"5.", 5},        {"1.2.3", 1.2}, {"12-3", 12},
        {"0x1F", 0},      {"1 . 5", 1.5},  {"007", 7},       {"-", 0},       {".", 0},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(NumericValue(c.text), c.value) << '"' << c.text << '"';
}

TEST(NumericValue, VeryLongDigitRunsStayHugeWithoutTheirText) {
    EXPECT_GT(NumericValue(std::string(5000, '9')), 1e300);
    EXPECT_TRUE(std::isinf(NumericValue(std::string(100000, '1'))));
    EXPECT_DOUBLE_EQ(NumericValue("0." + std::string(500, '0') + "1"), 0.0);
    EXPECT_DOUBLE_EQ(NumericValue(std::string(39, '0') + "42"), 42);
    // Zeros after the point only scale: the value stays tiny, not zero.
    EXPECT_DOUBLE_EQ(NumericValue("0." + std::string(100, '0') + "1"), 1e-101);
    EXPECT_DOUBLE_EQ(NumericValue("12345678901234567890123456789012345678901234567890"), 1.2345678901234568e49);
}

TEST(Rounding, HalvesGoToTheEvenNeighbourAndRangesAreChecked) {
    const struct {
        double value;
        int asByte;   // -1: overflow
        long asInt16; // 99999: overflow
    } cases[] = {
        {0, 0, 0},           {2.5, 2, 2},         {3.5, 4, 4},        {254.5, 254, 254},
        {255.4, 255, 255},   {255.5, -1, 256},    {-0.5, 0, 0},       {-0.6, -1, -1},
        {256, -1, 256},      {-1, -1, -1},        {32766.5, -1, 32766}, {32767.5, -1, 99999},
        {-32768.5, -1, -32768}, {-32769, -1, 99999}, {1e300, -1, 99999},
    };
    for (const auto& c : cases) {
        const auto b = ToByte(c.value);
        EXPECT_EQ(b ? int(*b) : -1, c.asByte) << c.value;
        const auto i = ToInt16(c.value);
        EXPECT_EQ(i ? long(*i) : 99999L, c.asInt16) << c.value;
    }
}

}  // namespace
}  // namespace falvori
