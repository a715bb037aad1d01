#include "core/base/int_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>

using tivora::parseBoolean;
using tivora::parseInteger;
using tivora::StrToIntInRange;

namespace {

struct IntCase
{
    const char *text;
    std::optional<std::int32_t> expected;
};

} // namespace

TEST(IntText, ParsesDecimalAndHexadecimalWithin32Bits)
{
    const IntCase cases[] = {
        // Decimal with optional sign and leading zeros.
        {"0", 0},
        {"42", 42},
        {"+42", 42},
        {"-42", -42},
        {"-0", 0},
        {"007", 7},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"0000000000002147483647", INT32_MAX},
        // Hexadecimal after 0x, 0X and $, either letter case; 32-bit patterns.
        {"0x80", 128},
        {"0X1f", 31},
        {"$FF", 255},
        {"$ff", 255},
        {"0x0", 0},
        {"0x7FFFFFFF", INT32_MAX},
        {"0x80000000", INT32_MIN},
        {"0xFFFFFFFF", -1},
        {"$FFFFFFFE", -2},
        {"0x0000000000FF", 255},
        {"$000000001", 1},
    };
    for (const IntCase &c : cases)
        EXPECT_EQ(parseInteger(c.text), c.expected) << '"' << c.text << '"';
}

TEST(IntText, RejectsEverythingElse)
{
    const char *junk[] = {
        "",
        "+",
        "-",
        "0x",
        "0X",
        "$",
        "x10",
        "2147483648",
        "-2147483649",
        "99999999999999999999",
        "0x100000000",
        "$1FFFFFFFF",
        "0xG",
        "$-1",
        "-0x10",
        "+$10",
        "1 2",
        " 1",
        "1 ",
        "12abc",
        "1.5",
        "1e3",
        "0x1 ",
        "--1",
        "\xd0\x96",
    };
    for (const char *text : junk)
        EXPECT_EQ(parseInteger(text), std::nullopt) << '"' << text << '"';
    EXPECT_EQ(tivora::parseIntegerOr("junk", 17), 17);
    EXPECT_EQ(tivora::parseIntegerOr("-3", 17), -3);
}

TEST(IntText, BooleanIsTrueOnlyForExactlyOne)
{
    EXPECT_TRUE(parseBoolean("1"));
    for (const char *text : {"0", "", "true", "TRUE", "01", "1 ", " 1", "2", "-1", "yes"})
        EXPECT_FALSE(parseBoolean(text)) << '"' << text << '"';
}

TEST(IntText, StrToIntInRangeDefaultsToLowAndClamps)
{
    EXPECT_EQ(StrToIntInRange("5", 1, 20), 5);
    EXPECT_EQ(StrToIntInRange("0", 1, 20), 1);
    EXPECT_EQ(StrToIntInRange("25", 1, 20), 20);
    EXPECT_EQ(StrToIntInRange("-7", -5, 5), -5);
    EXPECT_EQ(StrToIntInRange("", 1, 20), 1);
    EXPECT_EQ(StrToIntInRange("abc", 3, 20), 3);
    EXPECT_EQ(StrToIntInRange("  7", 1, 20), 7); // leading blanks are skipped
    EXPECT_EQ(StrToIntInRange("\t-3", -5, 5), -3);
    EXPECT_EQ(StrToIntInRange(" ", 1, 20), 1);
    EXPECT_EQ(StrToIntInRange("7 ", 1, 20), 1); // trailing ones are not
    EXPECT_EQ(StrToIntInRange("99999999999", 0, 255), 0); // not an integer: the low bound
    EXPECT_EQ(StrToIntInRange("$FF", 0, 100), 100);
    EXPECT_EQ(StrToIntInRange("0xFFFFFFFF", 0, 255), 0); // -1 clamped up
    // A reversed range gives one of its bounds and must not misbehave.
    EXPECT_EQ(StrToIntInRange("50", 10, 5), 5);
    EXPECT_EQ(StrToIntInRange("1", 10, 5), 10);
}
