#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "core/print_info_file.h"
#include "support/test_support.h"

namespace kirimo {
namespace {

using test::readBytes;
using test::writeBytes;

TEST(PrintInfoFile, LinesReadFieldByFieldWithFallbacks) {
    struct Case {
        const char* line;
        const char* read;  // the line written back for what was read
    };
    const Case cases[] = {
        {"0,0,0,0,0,0,0", "0,0,0,0,0,0,0,0,0,0,0"},
        {"1,0,1,0,0,1,0", "1,0,1,0,0,1,0,0,0,0,0"},
        {"", "1,1,1,1,1,1,1,0,0,0,0"},
        {"0,0", "0,0,1,1,1,1,1,0,0,0,0"},             // short line: the rest default
        {"0,x,0,,0, 0 ,0", "0,1,0,1,0,0,0,0,0,0,0"},  // garbled fields default, blanks allowed
        {"0,0,0,2,0,0,0", "0,0,0,1,0,0,0,0,0,0,0"},   // line style other than 0 or 1
        {"0,0,0,-1,0,0,0", "0,0,0,1,0,0,0,0,0,0,0"},
        {"0.4,0.5,1.5,0.6,2,-0.4,1e0", "0,0,1,1,1,0,1,0,0,0,0"},  // rounded half to even
        {"0,0,0,0,0,0,0,1,0,1,1,1",
         "0,0,0,0,0,0,0,1,0,1,1"},  // fields beyond the known ones ignored
        {"99999999999,0,0,0,0,0,0", "1,0,0,0,0,0,0,0,0,0,0"},
        {"1,1,1,1,1,1,1,1,2,x,7", "1,1,1,1,1,1,1,1,0,0,0"},  // the chart extras fall back to off
    };
    for (const Case& c : cases) {
        EXPECT_EQ(printInfoLine(parsePrintInfo(QString::fromUtf8(c.line))), c.read) << c.line;
    }
    EXPECT_EQ(parsePrintInfo("0,0,0,1,0,0,0").lineStyle, ChartLineStyle::Dotted);
    EXPECT_EQ(parsePrintInfo("1,1,1,0,1,1,1").lineStyle, ChartLineStyle::Solid);
    EXPECT_EQ(printInfoFields().size(), 11u);
}

TEST(PrintInfoFile, RoundTripsEveryFieldThroughTheFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(kPrintInfoFileName);
    // Every single field off, then every single field on, so that no two fields share a
    // place in the line.
    for (size_t i = 0; i < printInfoFields().size(); ++i) {
        for (int base : {0, 1}) {
            PrintInfo info;
            for (const PrintInfoField& field : printInfoFields())
                field.set(info, base);
            printInfoFields()[i].set(info, 1 - base);
            ASSERT_TRUE(writePrintInfoFile(path, info).ok());
            EXPECT_EQ(readPrintInfoFile(path), info) << i;
        }
    }
    PrintInfo info;
    info.colour = false;
    info.lineStyle = ChartLineStyle::Solid;
    ASSERT_TRUE(writePrintInfoFile(path, info).ok());
    EXPECT_EQ(readBytes(path), "0,1,1,0,1,1,1,0,0,0,0\r\n");
}

TEST(PrintInfoFile, MissingEmptyOrUnreadableFilesGiveTheDefaults) {
    QTemporaryDir dir;
    const PrintInfo defaults;
    EXPECT_EQ(printInfoLine(defaults), "1,1,1,1,1,1,1,0,0,0,0");
    EXPECT_EQ(readPrintInfoFile(dir.filePath("absent.ini")), defaults);
    const QString empty = dir.filePath("empty.ini");
    ASSERT_TRUE(writeBytes(empty, ""));
    EXPECT_EQ(readPrintInfoFile(empty), defaults);
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.ini"));
    EXPECT_EQ(readPrintInfoFile(dir.filePath("folder.ini")), defaults);
    // Only the first line counts; LF alone and binary junk are taken in stride.
    const QString lf = dir.filePath("lf.ini");
    ASSERT_TRUE(writeBytes(lf, "0,0,0,0,0,0,0\n1,1,1,1,1,1,1\n"));
    EXPECT_EQ(printInfoLine(readPrintInfoFile(lf)), "0,0,0,0,0,0,0,0,0,0,0");
    const QString junk = dir.filePath("junk.ini");
    ASSERT_TRUE(writeBytes(junk, QByteArray("\x82\xA0,\xFF\x00,0", 7)));
    EXPECT_EQ(printInfoLine(readPrintInfoFile(junk)), "1,1,0,1,1,1,1,0,0,0,0");
}

TEST(PrintInfoFile, AFailedWriteSaysSo) {
    QTemporaryDir dir;
    EXPECT_FALSE(writePrintInfoFile(dir.filePath("missing/PrintInfo.ini"), PrintInfo{}).ok());
}

}  // namespace
}  // namespace kirimo
