#include <gtest/gtest.h>

#include "reports/sheet_size_text.h"

namespace kirimo {
namespace {

TEST(SheetSizeText, BothSidesFromOneOrNothing) {
    const auto size = parseSheetSize(u"30", u" 1 ");
    ASSERT_TRUE(size.has_value());
    EXPECT_EQ(size->width, 30);
    EXPECT_EQ(size->height, 1);
    EXPECT_FALSE(parseSheetSize(u"30", u"0").has_value());
    EXPECT_FALSE(parseSheetSize(u"x", u"20").has_value());
}

}  // namespace
}  // namespace kirimo
