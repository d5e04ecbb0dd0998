// kirimo-cli sort on small bitmaps.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "core/picture_file.h"
#include "support/cli_runner.h"
#include "support/test_support.h"

namespace kirimo {
namespace {

TEST(SortCli, ListsEachPictureInOrderAndNamesTheUnreadable) {
    QTemporaryDir folder;
    const auto save = [&](const QString& name, const PixelBuffer& pixels) {
        const QString path = QDir(folder.path()).filePath(name);
        EXPECT_TRUE(savePictureBmp(path, pixels).ok());
        return path;
    };
    const QString red =
        save("half red.bmp", test::makeBuffer({{0xF00000, 0xFFFFFF}, {0xF00000, 0xFFFFFF}}));
    const QString blue = save("blue.bmp", test::filledBuffer(3, 2, 0x0000FF));
    const QString broken = QDir(folder.path()).filePath("broken.bmp");
    ASSERT_TRUE(test::writeBytes(broken, "BM not a picture"));

    const test::CliRun run = test::runCli({"sort", blue, broken, red});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, QStringLiteral("3\t青\t%1\n2\t赤\t%2\n").arg(blue, red));
    EXPECT_TRUE(run.err.contains(broken)) << run.err.toStdString();

    const test::CliRun good = test::runCli({"sort", red});
    EXPECT_EQ(good.exitCode, 0);
    EXPECT_EQ(test::runCli({"sort"}).exitCode, 2);
}

}  // namespace
}  // namespace kirimo
