#include <gtest/gtest.h>

#include "core/file_names.h"

namespace kirimo {
namespace {

TEST(GetFileName, TakesTheLastPieceAndOptionallyCutsAtTheFirstDot) {
    EXPECT_EQ(getFileName("/a/b.c.bmp", 1), "b");
    EXPECT_EQ(getFileName("/a/b.c.bmp", 0), "b.c.bmp");
    EXPECT_EQ(getFileName("/a/", 0), "");
    EXPECT_EQ(getFileName("", 0), "");
    EXPECT_EQ(getFileName("plain", 1), "plain");
    EXPECT_EQ(getFileName("/絵/cat.face.jpg", 1), "cat");
}

TEST(GetFolderPath, AlwaysEndsInTheSeparator) {
    EXPECT_EQ(getFolderPath("photo.jpg"), "/");
    EXPECT_EQ(getFolderPath("/x/photo.jpg"), "/x/");
    EXPECT_EQ(getFolderPath(""), "/");
    EXPECT_EQ(getFolderPath("/x/y/"), "/x/y/");
    EXPECT_EQ(getFolderPath("/photo.jpg"), "/");
}

}  // namespace
}  // namespace kirimo
