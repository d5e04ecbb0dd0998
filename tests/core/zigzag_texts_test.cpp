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

TEST(ZigzagStripWidthText, TakesOnlyPositiveWholeNumbers) {
    const struct {
        const char* text;
        std::optional<int> width;
    } cases[] = {
        {"12", 12},
        {" 12 ", 12},
        {"12.0", 12},
        {"1e1", 10},
        {"1", 1},
        {"2147483647", 2147483647},
        {"0", std::nullopt},
        {"-3", std::nullopt},
        {"2.5", std::nullopt},
        {"0.5", std::nullopt},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"12px", std::nullopt},
        {"2147483648", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseStripWidth(QString::fromUtf8(c.text)), c.width) << c.text;
}

}  // namespace
}  // namespace kirimo
