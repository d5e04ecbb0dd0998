// Pictures, text and settings files on disk: what is read, what is refused, and writes that
// never lose the earlier file.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QStringEncoder>
#include <QTemporaryDir>

#include "core/file_system.h"
#include "core/history_file.h"
#include "core/picture_file.h"
#include "core/text_file.h"
#include "support/test_support.h"

namespace kirimo {
namespace {

using test::randomPicture;
using test::readBytes;
using test::writeBytes;

TEST(PixelCopy, ReadsTopLeftFirstClearsTheTopByteAndWritesBack) {
    QImage surface(3, 2, QImage::Format_RGB32);
    surface.fill(Qt::black);  // its top byte 0xFF is cleared
    surface.setPixel(2, 1, qRgb(1, 2, 3));
    PixelBuffer buffer;
    EXPECT_EQ(readPixels(surface, buffer), 2);
    EXPECT_EQ(buffer, test::makeBuffer({{0, 0, 0}, {0, 0, 0x010203}}));
    // Writing what was read leaves the picture unchanged.
    QImage shaded = toImage(randomPicture(7, 5, 7));
    const QImage before = shaded.copy();
    ASSERT_EQ(readPixels(shaded, buffer), 5);
    EXPECT_EQ(writePixels(shaded, buffer), 5);
    EXPECT_EQ(shaded, before);
    // Surfaces of another format are refused.
    QImage argb(2, 2, QImage::Format_ARGB32);
    EXPECT_EQ(readPixels(argb, buffer), 0);
    EXPECT_EQ(writePixels(argb, randomPicture(2, 2, 2)), 0);
}

// Every picture that can be written can be read again: an odd width (rows are padded),
// and 36 megapixels, above the reader's default allocation limit of 128 MiB.
TEST(PictureFile, BmpIsWrittenAs24BitsAndReadsBackPixelForPixel) {
    QTemporaryDir dir;
    const QString path = dir.filePath("g.bmp");
    PixelBuffer large = *PixelBuffer::create(6000, 6000, 0x00123456u);
    large.at(5999, 5999) = 0x00ABCDEFu;
    for (const PixelBuffer& original : {randomPicture(13, 7, 13), large}) {
        ASSERT_TRUE(savePictureBmp(path, original).ok());
        const QByteArray bytes = readBytes(path);
        ASSERT_GT(bytes.size(), 30);
        EXPECT_EQ(bytes.left(2), "BM");
        EXPECT_EQ(static_cast<unsigned char>(bytes[28]), 24);  // bits per pixel
        auto loaded = loadPictureFile(path);
        ASSERT_TRUE(loaded.ok()) << loaded.error();
        EXPECT_EQ(*loaded, original);
    }
}

// A JPEG tagged "rotate 90 clockwise" arrives turned; grey and indexed pictures as RGB.
TEST(PictureFile, LoadsJpegWithItsOrientationAndGreyAndIndexedPicturesAsRgb) {
    QTemporaryDir dir;
    QImage grey(3, 2, QImage::Format_Grayscale8);
    grey.fill(0);
    grey.setPixel(2, 1, qRgb(200, 200, 200));
    ASSERT_TRUE(grey.save(dir.filePath("grey.png")));
    QImage indexed = grey.convertToFormat(QImage::Format_Indexed8);
    indexed.setColor(indexed.pixelIndex(2, 1), qRgb(10, 20, 30));
    ASSERT_TRUE(indexed.save(dir.filePath("indexed.bmp")));
    const struct {
        QString path;
        int width, height;
        Pixel at21;  // the pixel at (2, 1)
    } cases[] = {{test::testDataPath("landscape_4x2.jpg"), 4, 2, 0},
                 {test::testDataPath("landscape_4x2_exif_rotate90.jpg"), 2, 4, 0},
                 {dir.filePath("grey.png"), 3, 2, 0x00C8C8C8u},
                 {dir.filePath("indexed.bmp"), 3, 2, 0x000A141Eu}};
    for (const auto& c : cases) {
        auto loaded = loadPictureFile(c.path);
        ASSERT_TRUE(loaded.ok()) << loaded.error();
        EXPECT_EQ(loaded->width(), c.width) << c.path.toStdString();
        EXPECT_EQ(loaded->height(), c.height) << c.path.toStdString();
        if (c.at21 != 0) {
            EXPECT_EQ(loaded->at(2, 1), c.at21);
            EXPECT_EQ(loaded->at(0, 0), 0u);
        }
    }
}

QByteArray withField(QByteArray bytes, int at, int32_t v) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return bytes;
}

// A small BMP header (40-byte information header) for hand-made files.
QByteArray bmpHeader(int width, int height, int bits, int compression, int offset) {
    QByteArray header = "BM" + QByteArray(52, '\0');
    header[26] = 1;
    header[28] = static_cast<char>(bits);
    for (const auto& [at, v] : {std::pair(10, offset), std::pair(14, 40), std::pair(18, width),
                                std::pair(22, height), std::pair(30, compression)})
        header = withField(header, at, v);
    return header;
}

// Every file is read as Qt's reader reads it (loadPictureImage): 24-bit BMPs from their
// bytes directly, in every header variant; run-length coded BMPs, JPEGs with trailing
// bytes and GIFs load. Files cut short or lying about their size are refused naming the
// file, the too large before the picture's memory; devices without waiting.
TEST(PictureFile, ReadsAsTheReaderAndRefusesUnreadableFilesNamingThem) {
    QTemporaryDir dir;
    ASSERT_TRUE(savePictureBmp(dir.filePath("full.bmp"), randomPicture(40, 30, 40)).ok());
    ASSERT_TRUE(
        QImage(toImage(randomPicture(64, 48, 64))).save(dir.filePath("full.jpg"), "JPEG", 90));
    ASSERT_TRUE(QImage(toImage(randomPicture(64, 48, 64))).save(dir.filePath("full.png")));
    const QByteArray bmp = readBytes(dir.filePath("full.bmp"));
    const QByteArray jpeg = readBytes(dir.filePath("full.jpg"));
    const QByteArray png = readBytes(dir.filePath("full.png"));
    const QByteArray gif = readBytes(test::testDataPath("gradient_64x48.gif"));
    // An 8-bit run-length coded 4 x 2 picture: two rows of one run each, then the end mark.
    QByteArray rle = bmpHeader(4, 2, 8, 1, 54 + 8);
    rle[46] = 2;  // colours in the palette
    rle += QByteArray(8, '\x7f') + QByteArray("\x04\x01\x00\x00\x04\x00\x00\x01", 8);
    // The rows of a random picture as the writer lays them out, bottom row first.
    const auto rowsOf = [&](int width, int height) {
        EXPECT_TRUE(savePictureBmp(dir.filePath("rows.bmp"), randomPicture(width, height, 3)).ok());
        return readBytes(dir.filePath("rows.bmp")).mid(54);
    };
    const QByteArray plain = bmpHeader(5, 3, 24, 0, 54) + rowsOf(5, 3);
    const char* const kLoads = "";         // loads, with the reader's pixels
    const char* const kAsTheReader = "?";  // loads or not as the reader does
    const struct {
        const char* name;
        QByteArray bytes;
        const char* refusal;  // otherwise: refused, saying this
    } files[] = {
        {"bottom_up.bmp", plain, kLoads},
        {"top_down.bmp", bmpHeader(5, -3, 24, 0, 54) + rowsOf(5, 3), kLoads},
        {"one_row.bmp", bmpHeader(7, 1, 24, 0, 54) + rowsOf(7, 1), kLoads},
        {"one_column.bmp", bmpHeader(1, 6, 24, 0, 54) + rowsOf(1, 6), kLoads},
        {"gap.bmp", bmpHeader(5, 3, 24, 0, 60) + QByteArray(6, '\x11') + rowsOf(5, 3), kLoads},
        {"offset_inside_header.bmp", bmpHeader(5, 3, 24, 0, 20) + rowsOf(5, 3), kAsTheReader},
        {"image_size_field.bmp", withField(plain, 34, 12345), kAsTheReader},
        {"colours_used.bmp", withField(plain, 46, 2) + QByteArray(8, '\x33'), kAsTheReader},
        {"trailing_bytes.bmp", plain + "trailer", kLoads},
        {"zero_width.bmp", bmpHeader(0, 3, 24, 0, 54) + rowsOf(5, 3), kAsTheReader},
        {"zero_height.bmp", bmpHeader(5, 0, 24, 0, 54) + rowsOf(5, 3), kAsTheReader},
        {"two_planes.bmp", withField(plain, 26, 2 | 24 << 16), kAsTheReader},
        {"rows_short.bmp", plain.left(plain.size() - 2), kAsTheReader},
        {"rle.bmp", rle, kLoads},
        {"tail.jpg", jpeg + "trailer", kLoads},
        // An empty comment and a restart marker between segments end nothing.
        {"empty_comment.jpg", jpeg.left(2) + QByteArray("\xFF\xFE\x00\x02", 4) + jpeg.mid(2),
         kLoads},
        {"restart_marker.jpg", jpeg.left(2) + "\xFF\xD7" + jpeg.mid(2), kLoads},
        {"whole.gif", gif, kLoads},
        {"garbage.bmp", "BM this is not a bitmap", "cannot open"},
        {"lastbyte.bmp", bmp.left(bmp.size() - 1), "cannot open"},
        // 3.6 GB in memory and no pixel data; 154 bytes that declare 5000 x 5000 pixels:
        // refused before the picture's memory.
        {"huge.bmp", bmpHeader(30000, 30000, 24, 0, 54), "too large (30000 x 30000)"},
        {"lying.bmp", bmpHeader(5000, 5000, 24, 0, 54) + QByteArray(100, '\x20'), "cannot open"},
        {"half.jpg", jpeg.left(jpeg.size() / 2), "cannot open"},
        {"noend.jpg", jpeg.left(jpeg.size() - 2), "cannot open"},
        {"half.png", png.left(png.size() / 2), "cannot open"},
        {"half.gif", gif.left(gif.size() / 2), "cannot open"},
        {"cut.rle.bmp", rle.left(rle.size() - 4), "cannot open"}};
    for (const auto& file : files) {
        const QString path = dir.filePath(file.name);
        ASSERT_TRUE(writeBytes(path, file.bytes));
        auto direct = loadPictureFile(path);
        auto viaReader = loadPictureImage(path);
        if (file.refusal == kLoads || file.refusal == kAsTheReader) {
            ASSERT_TRUE(direct.ok() || file.refusal == kAsTheReader) << direct.error();
            ASSERT_EQ(direct.ok(), viaReader.ok()) << file.name;
            PixelBuffer expected;
            if (direct.ok() && readPixels(*viaReader, expected) > 0) {
                EXPECT_EQ(*direct, expected) << file.name;
            }
            continue;
        }
        ASSERT_FALSE(direct.ok()) << file.name;
        EXPECT_NE(direct.error().find(path.toStdString()), std::string::npos) << direct.error();
        EXPECT_NE(direct.error().find(file.refusal), std::string::npos) << direct.error();
        EXPECT_FALSE(viaReader.ok()) << file.name;
    }
    // A device is refused without being read to its end. (A folder, a FIFO, a missing file,
    // an empty one and the first 100 bytes of a BMP: the cli's refusal table.)
    auto device = loadPictureFile("/dev/zero");
    ASSERT_FALSE(device.ok());
    EXPECT_NE(device.error().find("not a regular file"), std::string::npos) << device.error();
}

TEST(PictureFile, AFailedSaveLeavesTheEarlierFileUntouched) {
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.bmp");
    const PixelBuffer small = randomPicture(2, 2, 2);
    ASSERT_TRUE(savePictureBmp(path, small).ok());
    const QByteArray before = readBytes(path);
    // Limit the size of files this process may write, so the new, larger bitmap cannot
    // be written in full.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit limited = old;
    limited.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const auto result = savePictureBmp(path, randomPicture(200, 200, 200));
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"keep.bmp"}));
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
         QString(QChar(0xFEFF)) + "x\\xff" + QChar(0xFEFF)}  // marks kept
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.toHex().toStdString());
        const QString path = decodePath(c.bytes);
        EXPECT_EQ(encodePath(path), c.bytes);
        EXPECT_EQ(displayPath(path), c.shown);
    }
    // A dialog's lossy name (0xFF shown as U+FFFD) finds its file again.
    QTemporaryDir dir;
    const QString output = decodePath(QFile::encodeName(dir.path()) + "/out\xFF.bmp");
    ASSERT_TRUE(writeFileAtomically(output, QByteArray("x")).ok());
    EXPECT_TRUE(isRegularFile(output));
    EXPECT_EQ(recoverLossyPath(QFile::decodeName(encodePath(output))), output);
    ::unlink(encodePath(output).constData());  // a name QTemporaryDir cannot spell
}

TEST(SafeWrites, OnlyAbsentOrRegularTargetsAreWrittenAndOthersStayAsTheyWere) {
    QTemporaryDir dir;
    // (A FIFO or a link to a device as the target: the cli's refusal table.)
    const QString loop = dir.filePath("loop");
    ASSERT_TRUE(QFile::link(loop, loop));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    ASSERT_TRUE(writeBytes(dir.filePath("folder/inside"), "x"));
    for (const QString& path : {loop, dir.filePath("folder"), dir.filePath("missing/sub.txt")}) {
        SCOPED_TRACE(path.toStdString());
        auto written = writeFileAtomically(path, QByteArray("data"));
        ASSERT_FALSE(written.ok());
        EXPECT_NE(written.error().find(path.toStdString()), std::string::npos) << written.error();
    }
    EXPECT_EQ(readBytes(dir.filePath("folder/inside")), "x");
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
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    // Links are followed 40 deep, as the system follows them; one more is refused.
    QString chain = "target.txt";
    for (int depth = 1; depth <= 41; ++depth) {
        const QString name = dir.filePath(QStringLiteral("chain%1").arg(depth));
        ASSERT_TRUE(QFile::link(chain, name));
        chain = name;
        if (depth >= 40) {
            EXPECT_EQ(writeFileAtomically(chain, QByteArray("deep")).ok(), depth == 40) << depth;
        }
    }
    EXPECT_EQ(readBytes(target), "deep");
}

TEST(SettingsFiles, HistoryLinesThatAreNotUtf8GoBackAsTheyWere) {
    QTemporaryDir dir;
    const QString path = dir.filePath("history.ini");
    const QByteArray bytes = "/pics/\x94\x4C.bmp\r\n/pics/\xE7\x8C\xAB.bmp\r\n/pics/x\xFF.bmp\r\n";
    ASSERT_TRUE(writeBytes(path, bytes));
    EXPECT_EQ(readSettingsLines(path, LineDecoding::Paths)->size(), 3);  // the CRLF ends a line
    auto entries = readHistoryFile(path);
    ASSERT_TRUE(entries.ok());
    ASSERT_EQ(entries->size(), 3);
    EXPECT_EQ(encodePath(entries->at(0)), "/pics/\x94\x4C.bmp");
    EXPECT_EQ(entries->at(1), QString::fromUtf8("/pics/\xE7\x8C\xAB.bmp"));
    ASSERT_TRUE(writeHistoryFile(path, *entries).ok());
    EXPECT_EQ(readBytes(path), bytes);
    // Quotes around a name are taken off; a lone quote is a name, quotes around blanks none.
    EXPECT_EQ(parseHistory("\"\n\" \"\n\"/a b.bmp\""), QStringList({"\"", "/a b.bmp"}));
}

// Each line is decoded on its own: as UTF-8, as CP932 (files from the Windows version), or
// kept byte for byte when neither decodes; a byte-order mark opening the text is dropped,
// one opening a later line is that line's text. Lines end at CR LF, LF or a lone CR.
// Written back with CR LF, the UTF-8 and the undecodable lines keep their bytes.
TEST(TextFile, DecodesEachLineOnItsOwnAndWritesUndecodableLinesBackAsRead) {
    QStringEncoder cp932("CP932");
    ASSERT_TRUE(cp932.isValid());
    const QString sjisText = QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟ,黒＝12～①C:\\写真\\ﾈｺ.bmp");
    const QByteArray sjis = cp932.encode(sjisText);
    const QByteArray utf8 = QStringLiteral("/home/u/写真/ねこ.jpg,黒＝12").toUtf8();
    const QByteArray latin1("/home/u/caf\xe9/\xe9t\xe9.bmp");  // neither UTF-8 nor CP932
    // U+1F480: its second UTF-16 half, U+DC80, must not pass for a kept byte.
    const QByteArray emoji = QStringLiteral("/home/u/\U0001F480.png").toUtf8();
    const QByteArray file = "\xEF\xBB\xBFplain\r\n" + sjis + "\r\n" + utf8 + "\n" + latin1 +
                            "\r\n" + emoji + "\r\n\r\n\xEF\xBB\xBFpg\rz\r\n";
    QTemporaryDir dir;
    const QString path = dir.filePath("mixed.ini");
    ASSERT_TRUE(writeBytes(path, file));
    const QStringList lines = *readTextLines(path);
    EXPECT_EQ(lines, QStringList({"plain", sjisText, QString::fromUtf8(utf8), decodeText(latin1),
                                  QString::fromUtf8(emoji), "", QStringLiteral("\uFEFFpg"), "z"}));
    EXPECT_TRUE(lines[3].startsWith("/home/u/caf"));
    ASSERT_TRUE(writeTextLines(path, lines).ok());
    EXPECT_EQ(readBytes(path), "plain\r\n" + sjisText.toUtf8() + "\r\n" + utf8 + "\r\n" + latin1 +
                                   "\r\n" + emoji + "\r\n\r\n\xEF\xBB\xBFpg\r\nz\r\n");
    EXPECT_EQ(*readTextLines(path), lines);
    const struct {
        QString text;
        QStringList lines;
    } splits[] = {{"a\nb\n", {"a", "b"}}, {"a\r\n\r\nb", {"a", "", "b"}}, {"", {}}};
    for (const auto& c : splits)
        EXPECT_EQ(splitLines(c.text), c.lines) << c.text.toStdString();
    // In front of a line kept byte for byte, the mark is kept with it.
    const QByteArray kept("\xEF\xBB\xBF\x9Come\x9F");
    EXPECT_EQ(encodeLine(decodeText(kept)), kept);
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
    // A file of exactly the limit is read whole; one byte more is refused.
    const QString fits = dir.filePath("fits.ini"), large = dir.filePath("large.ini");
    for (const auto& [path, size] :
         {std::pair(fits, kMaxTextFileBytes), std::pair(large, kMaxTextFileBytes + 1)}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(size));
    }
    const auto whole = readBoundedFile(fits);
    ASSERT_TRUE(whole.ok()) << whole.error();
    EXPECT_EQ(whole->size(), kMaxTextFileBytes);
    for (const QString& path : {fifo, zeroLink, large, dir.path(), dir.filePath("missing.ini")}) {
        auto read = readTextFile(path);
        ASSERT_FALSE(read.ok()) << path.toStdString();
        EXPECT_NE(read.error().find(path.toStdString()), std::string::npos) << read.error();
        EXPECT_FALSE(readBoundedFile(path).ok());
    }
}

// A file may read longer than its stated size (it grows meanwhile, or, as a /proc file,
// states 0): the limit holds for what is read. Tens of thousands of mappings make this
// process's smaps far longer than the limit.
TEST(TextFile, TheLimitHoldsForAFileLongerThanItsStatedSize) {
    const QString smaps = QStringLiteral("/proc/self/smaps");
    struct stat info {};
    if (::stat("/proc/self/smaps", &info) != 0 || info.st_size != 0)
        GTEST_SKIP() << "no /proc smaps that states no size";
    const auto page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    std::vector<void*> maps;
    for (int i = 0; i < 40000; ++i) {
        // Alternate protections, so that neighbouring mappings never merge.
        void* p = ::mmap(nullptr, page, i % 2 ? PROT_READ : PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED)
            break;
        maps.push_back(p);
    }
    const auto read = readBoundedFile(smaps);
    for (void* p : maps)
        ::munmap(p, page);
    ASSERT_EQ(maps.size(), 40000u);
    ASSERT_FALSE(read.ok());
    EXPECT_NE(read.error().find("too large"), std::string::npos) << read.error();
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
