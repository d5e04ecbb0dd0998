#include <gtest/gtest.h>

#include <QString>

#include "reports/sheet_size_text.h"

namespace kirimo {
namespace {

TEST(SheetSizeText, OnlyWholeNumbersOfAtLeastOne) {
    const struct {
        const char* text;
        std::optional<int> side;
    } cases[] = {
        {"30", 30},
        {" 30 ", 30},
        {"30.0", 30},
        {"1", 1},
        {"2147483647", 2147483647},
        {"2147483648", std::nullopt},
        {"0", std::nullopt},
        {"-3", std::nullopt},
        {"30.5", std::nullopt},
        {"0.5", std::nullopt},
        {"abc", std::nullopt},
        {"30abc", std::nullopt},
        {"", std::nullopt},
        {"1e100", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseSheetSide(QString::fromUtf8(c.text)), c.side) << c.text;
}

TEST(SheetSizeText, BothSidesOrNothing) {
    const auto size = parseSheetSize(u"30", u"20");
    ASSERT_TRUE(size.has_value());
    EXPECT_EQ(size->width, 30);
    EXPECT_EQ(size->height, 20);
    EXPECT_FALSE(parseSheetSize(u"30", u"0").has_value());
    EXPECT_FALSE(parseSheetSize(u"x", u"20").has_value());
}

}  // namespace
}  // namespace kirimo
