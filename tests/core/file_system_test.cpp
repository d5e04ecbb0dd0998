#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/file_system.h"
#include "core/history_file.h"
#include "core/picture_file.h"
#include "core/text_file.h"
#include "support/test_support.h"

namespace kirimo {
namespace {

using test::readBytes;
using test::writeBytes;

// A name with bytes that are not UTF-8, made in `dir` by its bytes.
QString bytesName(const QTemporaryDir& dir, const QByteArray& name) {
    return decodePath(QFile::encodeName(dir.path()) + '/' + name);
}

TEST(PathBytes, EveryByteSequenceComesBackExactlyAndReadably) {
    struct Case {
        QByteArray bytes;
        QString shown;
    };
    const Case cases[] = {
        {"plain/a.bmp", "plain/a.bmp"},
        {"\xE7\x8C\xAB.bmp", QString::fromUtf8("\xE7\x8C\xAB.bmp")},  // UTF-8 stays text
        {"\x94\x4C.bmp", QString::fromUtf8("\xE7\x8C\xAB.bmp")},      // CP932 shown as CP932
        {"out\xFF.bmp", "out\\xff.bmp"},                              // neither
        {"\xC0\xAF\xED\xA0\x80x", "\\xc0\\xaf\\xed\\xa0\\x80x"},      // overlong, surrogate
        {"\xF0\x9F\x98\x80\xFF", QString::fromUtf8("\xF0\x9F\x98\x80") + "\\xff"},  // pair, byte
        {"a\xE7", "a\\xe7"},                                                        // cut short
        {"\xEF\xBB\xBFx\xFF\xEF\xBB\xBF",
         QString(QChar(0xFEFF)) + "x\\xff" + QChar(0xFEFF)},  // marks kept
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.toHex().toStdString());
        const QString path = decodePath(c.bytes);
        EXPECT_EQ(encodePath(path), c.bytes);
        EXPECT_EQ(displayPath(path), c.shown);
    }
}

TEST(SafeWrites, OnlyAbsentOrRegularTargetsAreWrittenAndOthersStayAsTheyWere) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath("fifo");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString deviceLink = dir.filePath("null-link");
    ASSERT_TRUE(QFile::link("/dev/null", deviceLink));
    const QString loop = dir.filePath("loop");
    ASSERT_TRUE(QFile::link(loop, loop));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    for (const QString& path : {fifo, deviceLink, loop, dir.filePath("folder")}) {
        SCOPED_TRACE(path.toStdString());
        auto written = writeFileAtomically(path, QByteArray("data"));
        ASSERT_FALSE(written.ok());
        EXPECT_NE(written.error().find(path.toStdString()), std::string::npos) << written.error();
    }
    struct stat info {};
    ASSERT_EQ(::lstat(QFile::encodeName(fifo).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_EQ(QFile::symLinkTarget(deviceLink), "/dev/null");
    EXPECT_EQ(QDir(dir.path()).entryList({".*"}, QDir::Files | QDir::Hidden), QStringList{})
        << "no temporary file is left behind";

    // A link to a regular file writes its target and stays a link; a new file takes the
    // umask's permissions and a replaced one keeps its own.
    const QString target = dir.filePath("target.txt");
    ASSERT_TRUE(writeBytes(target, "old"));
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0640), 0);
    const QString link = dir.filePath("link.txt");
    ASSERT_TRUE(QFile::link("target.txt", link));
    ASSERT_TRUE(writeFileAtomically(link, QByteArray("new")).ok());
    EXPECT_EQ(readBytes(target), "new");
    EXPECT_EQ(QFile::symLinkTarget(link), target);
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(SafeWrites, AProtectedInputIsNotReplacedUnderAnyOfItsNames) {
    QTemporaryDir dir;
    const QString input = dir.filePath("in.bmp");
    ASSERT_TRUE(writeBytes(input, "picture"));
    const QString hardLink = dir.filePath("hard.bmp");
    ASSERT_EQ(::link(QFile::encodeName(input).constData(), QFile::encodeName(hardLink).constData()),
              0);
    const QString softLink = dir.filePath("soft.bmp");
    ASSERT_TRUE(QFile::link(input, softLink));
    protectInputs({dir.filePath("./in.bmp")});
    for (const QString& path : {input, hardLink, softLink}) {
        SCOPED_TRACE(path.toStdString());
        auto written = writeFileAtomically(path, QByteArray("pdf"));
        ASSERT_FALSE(written.ok());
        EXPECT_NE(written.error().find("it is the input"), std::string::npos) << written.error();
    }
    EXPECT_EQ(readBytes(input), "picture");
    EXPECT_TRUE(writeFileAtomically(dir.filePath("other.bmp"), QByteArray("x")).ok());
    forgetProtectedInputs();
    EXPECT_TRUE(writeFileAtomically(softLink, QByteArray("now")).ok());
}

TEST(SafeWrites, AFullDiskFailsTheWriteAndKeepsTheEarlierFile) {
    QTemporaryDir dir;
    const QByteArray mountPoint = QFile::encodeName(dir.path());
    if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root): " << std::strerror(errno);
    const QString path = dir.filePath("o.pdf");
    ASSERT_TRUE(writeFileAtomically(path, QByteArray(100 * 1024, 'a')).ok());
    // Small writes, as a PDF writer makes them, past the free space.
    auto written = writeFileAtomically(path, [](QIODevice& device) {
        for (int i = 0; i < 400; ++i)
            device.write(QByteArray(1000, 'b'));
        return true;
    });
    const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    const QByteArray kept = readBytes(path);
    ::umount(mountPoint.constData());
    ASSERT_FALSE(written.ok());
    EXPECT_NE(written.error().find("the disk is full"), std::string::npos) << written.error();
    EXPECT_EQ(kept, QByteArray(100 * 1024, 'a'));
    EXPECT_EQ(left, QStringList{"o.pdf"});
}

TEST(SafeWrites, NamesThatAreNotUtf8KeepTheirBytes) {
    QTemporaryDir dir;
    const QString input = bytesName(dir, "pic\x94\x4C.bmp");  // CP932
    const QString output = bytesName(dir, "out\xFF.bmp");
    ASSERT_TRUE(savePictureBmp(input, test::randomPicture(3, 2, 5)).ok());
    auto loaded = loadPictureFile(input);
    ASSERT_TRUE(loaded.ok()) << loaded.error();
    ASSERT_TRUE(savePictureBmp(output, *loaded).ok());
    EXPECT_TRUE(isRegularFile(output));
    struct stat info {};
    EXPECT_EQ(::stat((QFile::encodeName(dir.path()) + "/out\xFF.bmp").constData(), &info), 0);
    // A dialog's lossy name finds its file again.
    EXPECT_EQ(recoverLossyPath(QFile::decodeName(encodePath(output))), output);
    ASSERT_TRUE(writeBytes(dir.filePath("empty.bmp"), {}));
    auto empty = loadPictureFile(dir.filePath("empty.bmp"));
    ASSERT_FALSE(empty.ok());
    EXPECT_NE(empty.error().find("the file is empty"), std::string::npos) << empty.error();
}

TEST(SettingsFiles, OneThatCouldNotBeReadIsNeverWrittenAndIsReportedOnce) {
    QTemporaryDir dir;
    forgetRefusedSettingsFiles();
    QStringList heard;
    setSettingsRefusalNotifier([&](const QString& path, const std::string&) { heard << path; });
    const QString large = dir.filePath("history.ini");
    QByteArray lines;
    while (lines.size() <= kMaxTextFileBytes)
        lines += "/pictures/a.bmp\r\n";
    ASSERT_TRUE(writeBytes(large, lines));
    const QString zero = dir.filePath("Dorvel.ini");
    ASSERT_TRUE(QFile::link("/dev/zero", zero));
    for (int round = 0; round < 2; ++round) {
        EXPECT_FALSE(readHistoryFile(large).ok());
        EXPECT_FALSE(readSettingsLines(zero).ok());
        EXPECT_TRUE(writeHistoryFile(large, {"/other.bmp"}).ok());
        EXPECT_TRUE(writeSettingsLines(zero, {"line"}).ok());
    }
    EXPECT_EQ(heard, (QStringList{large, zero}));
    EXPECT_EQ(readBytes(large), lines);
    EXPECT_EQ(QFile::symLinkTarget(zero), "/dev/zero");
    // A missing file is no refusal: it is created.
    const QString missing = dir.filePath("EditCol.ini");
    EXPECT_FALSE(readSettingsLines(missing).ok());
    EXPECT_TRUE(writeSettingsLines(missing, {"808080"}).ok());
    EXPECT_EQ(readBytes(missing), "808080\r\n");
    setSettingsRefusalNotifier({});
    forgetRefusedSettingsFiles();
}

TEST(SettingsFiles, HistoryLinesThatAreNotUtf8GoBackAsTheyWere) {
    QTemporaryDir dir;
    const QString path = dir.filePath("history.ini");
    const QByteArray bytes = "/pics/\x94\x4C.bmp\r\n/pics/\xE7\x8C\xAB.bmp\r\n/pics/x\xFF.bmp\r\n";
    ASSERT_TRUE(writeBytes(path, bytes));
    auto entries = readHistoryFile(path);
    ASSERT_TRUE(entries.ok());
    ASSERT_EQ(entries->size(), 3);
    EXPECT_EQ(encodePath(entries->at(0)), "/pics/\x94\x4C.bmp");
    EXPECT_EQ(entries->at(1), QString::fromUtf8("/pics/\xE7\x8C\xAB.bmp"));
    ASSERT_TRUE(writeHistoryFile(path, *entries).ok());
    EXPECT_EQ(readBytes(path), bytes);
}

}  // namespace
}  // namespace kirimo
