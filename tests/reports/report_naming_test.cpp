#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "reports/report_naming.h"
#include "reports/sheet_size_text.h"
#include "support/test_support.h"

namespace kirimo {
namespace {

TEST(ReportTarget, NamesTheReportsAfterThePictureStemInItsFolder) {
    // A relative path is taken from the current folder.
    auto relative = reportTarget(QStringLiteral("pics/cat.jpg"));
    ASSERT_TRUE(relative.ok());
    EXPECT_EQ(relative->folder,
              QDir::current().filePath(QStringLiteral("pics")) + QDir::separator());
    EXPECT_EQ(relative->base, QStringLiteral("cat"));
    for (const QString& path : {QStringLiteral("/絵/"), QStringLiteral("/絵/.face.jpg"), QString()})
        EXPECT_FALSE(reportTarget(path).ok()) << path.toStdString();
    auto target = reportTarget(QStringLiteral("/絵/cat.face.jpg"));
    ASSERT_TRUE(target.ok());
    EXPECT_EQ(target->folder, QStringLiteral("/絵/"));
    EXPECT_EQ(target->base, QStringLiteral("cat"));
    EXPECT_EQ(target->basePath(), QStringLiteral("/絵/cat"));
}

TEST(ReportNaming, AnyOfTheThreeFilesCountsAsAnEarlierReport) {
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("cat"));
    EXPECT_FALSE(reportFilesExist(base));
    for (const char* extension : {".txt", ".csv", ".bmp"}) {
        ASSERT_TRUE(test::writeBytes(base + extension, "x"));
        EXPECT_TRUE(reportFilesExist(base)) << extension;
        ASSERT_TRUE(QFile::remove(base + extension));
    }
    ASSERT_TRUE(test::writeBytes(base + ".jpg", "x"));
    EXPECT_FALSE(reportFilesExist(base));
}

TEST(ReportNaming, TheAutomaticBaseAppendsTheSecondsAndSkipsTakenNames) {
    QTemporaryDir dir;
    const ReportTarget target{dir.path() + QDir::separator(), QStringLiteral("cat")};
    ASSERT_TRUE(test::writeBytes(dir.filePath("cat.txt"), "earlier"));
    auto base = automaticBase(target, QTime(10, 0, 0, 500));
    ASSERT_TRUE(base.ok());
    EXPECT_EQ(*base, QStringLiteral("cat36000"));
    // A report saved at the same time of an earlier day is not replaced either.
    ASSERT_TRUE(test::writeBytes(dir.filePath("cat36000.bmp"), "earlier"));
    ASSERT_TRUE(test::writeBytes(dir.filePath("cat36001.csv"), "earlier"));
    base = automaticBase(target, QTime(10, 0, 0));
    ASSERT_TRUE(base.ok());
    EXPECT_EQ(*base, QStringLiteral("cat36002"));
    EXPECT_FALSE(automaticBase(target, QTime()).ok());
    // A thousand names are tried: the last of them is found, and none after it.
    for (int seconds = 36002; seconds < 36999; ++seconds)
        ASSERT_TRUE(test::writeBytes(dir.filePath(QString("cat%1.txt").arg(seconds)), "x"));
    EXPECT_EQ(*automaticBase(target, QTime(10, 0, 0)), QStringLiteral("cat36999"));
    ASSERT_TRUE(test::writeBytes(dir.filePath("cat36999.txt"), "x"));
    EXPECT_FALSE(automaticBase(target, QTime(10, 0, 0)).ok());
}

TEST(ReportNaming, QuestionSuccessAndSheetSizeTexts) {
    const auto size = parseSheetSize(u"30", u" 1 ");
    ASSERT_TRUE(size.has_value());
    EXPECT_EQ(size->width, 30);
    EXPECT_EQ(size->height, 1);
    EXPECT_FALSE(parseSheetSize(u"30", u"0").has_value());
    EXPECT_FALSE(parseSheetSize(u"x", u"20").has_value());
    EXPECT_EQ(overwriteQuestionText(QStringLiteral("cat")),
              QStringLiteral("同名ファイルがあります。（cat）。上書きしますか。\n"
                             "「いいえ」なら自動的にﾌｧｲﾙ名を決めます。"));
    EXPECT_EQ(savedMessageText(ReportTarget{QStringLiteral("/絵/"), QStringLiteral("cat36000")}),
              QStringLiteral("保存しました。\n(ﾌｫﾙﾀﾞ：/絵/)\n（ﾌｧｲﾙ名：cat36000）"));
}

}  // namespace
}  // namespace kirimo
