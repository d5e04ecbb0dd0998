#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
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
    // In front of a line kept byte for byte, the mark is kept with it.
    const QByteArray kept("\xEF\xBB\xBF\x9Come\x9F");
    EXPECT_EQ(encodeLine(decodeText(kept)), kept);
    // A mark opening a later line is that line's text.
    EXPECT_EQ(splitLines(decodeText("a\r\n\xEF\xBB\xBFpg")).last(), QStringLiteral("\uFEFFpg"));
}

TEST(TextFile, DecodesEachLineOnItsOwnAndWritesUndecodableLinesBackAsRead) {
    QStringEncoder cp932("CP932");
    const QByteArray sjis = cp932.encode(QStringLiteral("C:\\写真\\ﾈｺ.bmp"));
    const QByteArray utf8 = QStringLiteral("/home/u/写真/ねこ.jpg").toUtf8();
    const QByteArray latin1("/home/u/caf\xe9/\xe9t\xe9.bmp");  // neither UTF-8 nor CP932
    // U+1F480: its second UTF-16 half, U+DC80, must not pass for a kept byte.
    const QByteArray emoji = QStringLiteral("/home/u/\U0001F480.png").toUtf8();
    const QByteArray file =
        "plain\r\n" + sjis + "\r\n" + utf8 + "\n" + latin1 + "\r\n" + emoji + "\r\n";
    const QStringList lines = splitLines(decodeText(file));
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], "plain");
    EXPECT_EQ(lines[1], QStringLiteral("C:\\写真\\ﾈｺ.bmp"));
    EXPECT_EQ(lines[2], QStringLiteral("/home/u/写真/ねこ.jpg"));
    EXPECT_TRUE(lines[3].startsWith("/home/u/caf"));
    // Written back: the UTF-8 and the undecodable lines keep their bytes.
    QTemporaryDir dir;
    const QString path = dir.filePath("mixed.ini");
    ASSERT_TRUE(writeTextLines(path, lines).ok());
    EXPECT_EQ(readBytes(path), "plain\r\n" + lines[1].toUtf8() + "\r\n" + utf8 + "\r\n" + latin1 +
                                   "\r\n" + emoji + "\r\n");
    EXPECT_EQ(*readTextLines(path), lines);
    // Every byte form of an undecodable line survives, one byte at a time.
    for (int b = 0x80; b <= 0xFF; ++b) {
        const QByteArray line = QByteArray("x") + static_cast<char>(b);
        const QString text = decodeText(line);
        EXPECT_EQ(decodeText(encodeLine(text)), text) << b;
    }
}

TEST(TextFile, OnlyExistingRegularFilesOfABoundedSizeAreRead) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe.ini");
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    const QString zeroLink = dir.filePath("zero.ini");
    ASSERT_TRUE(QFile::link("/dev/zero", zeroLink));
    const QString large = dir.filePath("large.ini");
    {
        QFile file(large);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(kMaxTextFileBytes + 1));
    }
    for (const QString& path : {fifo, zeroLink, large, dir.path(), dir.filePath("missing.ini")}) {
        auto read = readTextFile(path);
        ASSERT_FALSE(read.ok()) << path.toStdString();
        EXPECT_NE(read.error().find(path.toStdString()), std::string::npos) << read.error();
    }
    const QString fits = dir.filePath("fits.ini");
    ASSERT_TRUE(writeBytes(fits, QByteArray(1000, 'a')));
    EXPECT_EQ(readTextFile(fits)->size(), 1000);
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
