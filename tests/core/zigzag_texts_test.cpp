#include "core/zigzag_texts.h"

#include <gtest/gtest.h>

namespace kirimo {
namespace {

TEST(ZigzagSaveName, JoinsBothNamesCutAtTheirFirstDot) {
    EXPECT_EQ(zigzagSaveName("/p/a.b.bmp", "/q/c.jpg"), "ac");
    EXPECT_EQ(zigzagSaveName("/p/cat.jpg", "/p/dog.jpeg"), "catdog");
    EXPECT_EQ(zigzagSaveName("/p/cat.jpg", ""), "cat");
    EXPECT_EQ(zigzagSaveName("", "/q/c.jpg"), "c");
}

TEST(ZigzagStripWidthText, StartsAtOnePixel) {
    EXPECT_EQ(parseStripWidth(u" 1 "), 1);
    EXPECT_FALSE(parseStripWidth(u"0").has_value());
}

}  // namespace
}  // namespace kirimo
