#include <gtest/gtest.h>

#include <QStringEncoder>
#include <QTemporaryDir>

#include "core/text_file.h"
#include "support/test_support.h"

namespace kirimo {
namespace {

using test::readBytes;
using test::writeBytes;

TEST(TextFile, WritesSystemEncodingWithCrLfAndReadsBothLineEnds) {
    QTemporaryDir dir;
    const QString path = dir.filePath("out.txt");
    ASSERT_TRUE(writeTextLines(path, {"2,soft,80", "黒＝12,白＝30,"}).ok());
    EXPECT_EQ(readBytes(path), QByteArray("2,soft,80\r\n") + QString("黒＝12,白＝30,").toUtf8() +
                                   QByteArray("\r\n"));

    auto lines = readTextLines(path);
    ASSERT_TRUE(lines.ok());
    EXPECT_EQ(*lines, QStringList({"2,soft,80", "黒＝12,白＝30,"}));

    EXPECT_EQ(splitLines("a\nb\n"), QStringList({"a", "b"}));
    EXPECT_EQ(splitLines("a\r\n\r\nb"), QStringList({"a", "", "b"}));
    EXPECT_EQ(splitLines(""), QStringList());
}

TEST(TextFile, ReadsShiftJisFilesFromTheWindowsVersion) {
    QTemporaryDir dir;
    const QString path = dir.filePath("sjis.txt");
    QStringEncoder encoder("CP932");
    ASSERT_TRUE(encoder.isValid());
    const QString text = QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟ,黒＝12\r\n～①\r\n");
    const QByteArray bytes = encoder.encode(text);
    ASSERT_FALSE(encoder.hasError());
    ASSERT_TRUE(writeBytes(path, bytes));
    auto read = readTextFile(path);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(*read, text);
}

TEST(TextFile, DropsAUtf8ByteOrderMark) {
    EXPECT_EQ(decodeText(QByteArray("\xEF\xBB\xBF"
                                    "abc")),
              "abc");
}

TEST(TextFile, ReadingAMissingFileNamesIt) {
    auto read = readTextFile("/nonexistent/folder/x.ini");
    ASSERT_FALSE(read.ok());
    EXPECT_NE(read.error().find("/nonexistent/folder/x.ini"), std::string::npos);
}

TEST(TextFile, AFailedWriteLeavesTheEarlierFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.txt");
    ASSERT_TRUE(writeTextLines(path, {"old"}).ok());
    // A folder in the way of the temporary file's rename: the target is a folder.
    const QString blocked = dir.filePath("folder");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    ASSERT_TRUE(writeBytes(blocked + "/inside", "x"));
    EXPECT_FALSE(writeTextLines(blocked, {"new"}).ok());
    EXPECT_EQ(readBytes(blocked + "/inside"), "x");
    EXPECT_FALSE(writeTextLines(dir.filePath("missing/sub.txt"), {"new"}).ok());
    EXPECT_EQ(readBytes(path), "old\r\n");
}

TEST(DelimitedFields, EndAtCommasAndLineEndsAndDropQuotes) {
    EXPECT_EQ(readDelimitedFields("FF8000,more,text\r\nnext"),
              QStringList({"FF8000", "more", "text", "next"}));
    EXPECT_EQ(readDelimitedFields("\"a,b\",c"), QStringList({"a,b", "c"}));
    EXPECT_EQ(readDelimitedFields("\"quoted\" tail,x"), QStringList({"quoted", "x"}));
    EXPECT_EQ(readDelimitedFields("\"open,rest"), QStringList({"open,rest"}));
    EXPECT_EQ(readDelimitedFields("  padded  ,"), QStringList({"padded", ""}));
    EXPECT_EQ(readDelimitedFields(""), QStringList());
    EXPECT_EQ(readDelimitedFields("a,,b"), QStringList({"a", "", "b"}));
}

}  // namespace
}  // namespace kirimo
