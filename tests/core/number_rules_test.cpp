#include <gtest/gtest.h>

#include <QString>

#include "core/number_rules.h"

namespace kirimo {
namespace {

TEST(ParseWholeNumber, AcceptsBlanksSignsFractionsAndExponents) {
    EXPECT_EQ(parseInt16(u"7"), 7);
    EXPECT_EQ(parseInt16(u"  -12 "), -12);
    EXPECT_EQ(parseInt16(u"+3"), 3);
    EXPECT_EQ(parseInt16(u"2.5"), 2);  // halves to even
    EXPECT_EQ(parseInt16(u"3.5"), 4);
    EXPECT_EQ(parseInt16(u".5"), 0);
    EXPECT_EQ(parseInt16(u"1e2"), 100);
    EXPECT_EQ(parseInt32(u"2147483647"), 2147483647);
    EXPECT_EQ(parseInt32(u"-2147483648"), INT32_MIN);
}

TEST(ParseWholeNumber, FailsForTextThatIsNotANumberOrDoesNotFit) {
    for (const char16_t* text :
         {u"", u"  ", u"abc", u"7a", u"1,5", u"--1", u"1e", u"inf", u"nan", u".", u"0x10"}) {
        EXPECT_FALSE(parseInt16(text).has_value()) << QString::fromUtf16(text).toStdString();
    }
    EXPECT_FALSE(parseInt16(u"32768").has_value());
    EXPECT_EQ(parseInt16(u"32767.49"), 32767);
    EXPECT_FALSE(parseInt16(u"-32769").has_value());
    EXPECT_FALSE(parseInt32(u"2147483648").has_value());
    EXPECT_FALSE(parseInt32(u"1e300").has_value());
}

TEST(ParseWholeNumberAtLeast, TakesWholeValuesFromTheMinimumTo32Bits) {
    const struct {
        const char16_t* text;
        int minimum;
        std::optional<int> value;
    } cases[] = {
        {u"12", 1, 12},
        {u" 12 ", 1, 12},
        {u"\u300012\t", 1, 12},
        {u"+12", 1, 12},
        {u"012", 1, 12},
        {u"12.0", 1, 12},
        {u"1e1", 1, 10},
        {u"1", 1, 1},
        {u"2147483647", 1, 2147483647},
        {u"2147483647.0", 1, 2147483647},
        {u"2147483648", 1, std::nullopt},
        {u"1e100", 1, std::nullopt},
        {u"0", 1, std::nullopt},
        {u"-3", 1, std::nullopt},
        {u"2.5", 1, std::nullopt},
        {u"0.5", 1, std::nullopt},
        {u"abc", 1, std::nullopt},
        {u"12px", 1, std::nullopt},
        {u"", 1, std::nullopt},
        {u"１２", 1, std::nullopt},
        {u"19", 20, std::nullopt},
        {u"20", 20, 20},
        {u"0", 0, 0},
        {u"-1", 0, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseWholeNumberAtLeast(c.text, c.minimum), c.value)
            << QString::fromUtf16(c.text).toStdString() << " from " << c.minimum;
    }
}

}  // namespace
}  // namespace kirimo
