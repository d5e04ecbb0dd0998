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

}  // namespace
}  // namespace kirimo
