#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QImage>
#include <QTemporaryDir>
#include <QTransform>

#include "core/picture_file.h"
#include "support/test_support.h"

namespace kirimo {
namespace {

using test::readBytes;
using test::writeBytes;

PixelBuffer gradient(int width, int height) {
    PixelBuffer buffer = *PixelBuffer::create(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            buffer.at(x, y) = makePixel((x * 37) & 0xFF, (y * 91) & 0xFF, (x * y * 13) & 0xFF);
    return buffer;
}

TEST(PixelCopy, ReadsTopLeftFirstAndClearsTheTopByte) {
    QImage surface(3, 2, QImage::Format_RGB32);
    surface.fill(Qt::black);
    surface.setPixel(0, 0, qRgb(255, 0, 0));
    surface.setPixel(2, 1, qRgb(1, 2, 3));
    PixelBuffer buffer;
    EXPECT_EQ(readPixels(surface, buffer), 2);
    ASSERT_EQ(buffer.width(), 3);
    ASSERT_EQ(buffer.height(), 2);
    EXPECT_EQ(buffer.at(0, 0), 0x00FF0000u);
    EXPECT_EQ(buffer.at(2, 1), 0x00010203u);
    EXPECT_EQ(buffer.at(1, 0), 0u);
}

TEST(PixelCopy, WritingWhatWasReadLeavesThePictureUnchanged) {
    QImage surface = toImage(gradient(7, 5));
    const QImage before = surface.copy();
    PixelBuffer buffer;
    ASSERT_EQ(readPixels(surface, buffer), 5);
    EXPECT_EQ(writePixels(surface, buffer), 5);
    EXPECT_EQ(surface, before);
}

TEST(PixelCopy, RefusesSurfacesOfAnotherFormat) {
    QImage argb(2, 2, QImage::Format_ARGB32);
    PixelBuffer buffer;
    EXPECT_EQ(readPixels(argb, buffer), 0);
    EXPECT_EQ(writePixels(argb, gradient(2, 2)), 0);
}

TEST(PictureFile, BmpIsWrittenAs24BitsAndReadsBackPixelForPixel) {
    QTemporaryDir dir;
    const QString path = dir.filePath("g.bmp");
    const PixelBuffer original = gradient(13, 7);  // odd width: rows are padded
    ASSERT_TRUE(savePictureBmp(path, original).ok());
    const QByteArray bytes = readBytes(path);
    ASSERT_GT(bytes.size(), 30);
    EXPECT_EQ(bytes.left(2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(bytes[28]), 24);  // bits per pixel
    auto loaded = loadPictureFile(path);
    ASSERT_TRUE(loaded.ok()) << loaded.error();
    EXPECT_EQ(*loaded, original);
}

TEST(PictureFile, LoadsJpegAndAppliesExifOrientation) {
    auto plain = loadPictureFile(test::testDataPath("landscape_4x2.jpg"));
    ASSERT_TRUE(plain.ok()) << plain.error();
    EXPECT_EQ(plain->width(), 4);
    EXPECT_EQ(plain->height(), 2);
    // The same picture tagged "rotate 90 clockwise" arrives turned.
    auto rotated = loadPictureFile(test::testDataPath("landscape_4x2_exif_rotate90.jpg"));
    ASSERT_TRUE(rotated.ok()) << rotated.error();
    EXPECT_EQ(rotated->width(), 2);
    EXPECT_EQ(rotated->height(), 4);
}

TEST(PictureFile, GreyAndIndexedPicturesArriveAsRgb) {
    QTemporaryDir dir;
    QImage grey(3, 2, QImage::Format_Grayscale8);
    grey.fill(0);
    grey.setPixel(2, 1, qRgb(200, 200, 200));
    ASSERT_TRUE(grey.save(dir.filePath("grey.png")));
    QImage indexed = grey.convertToFormat(QImage::Format_Indexed8);
    indexed.setColor(indexed.pixelIndex(2, 1), qRgb(10, 20, 30));
    ASSERT_TRUE(indexed.save(dir.filePath("indexed.bmp")));

    auto loadedGrey = loadPictureFile(dir.filePath("grey.png"));
    ASSERT_TRUE(loadedGrey.ok()) << loadedGrey.error();
    EXPECT_EQ(loadedGrey->at(2, 1), 0x00C8C8C8u);
    EXPECT_EQ(loadedGrey->at(0, 0), 0u);
    auto loadedIndexed = loadPictureFile(dir.filePath("indexed.bmp"));
    ASSERT_TRUE(loadedIndexed.ok()) << loadedIndexed.error();
    EXPECT_EQ(loadedIndexed->at(2, 1), 0x000A141Eu);
    EXPECT_EQ(loadedIndexed->width(), 3);
}

TEST(PictureFile, UnreadableAndEmptyFilesAreRefusedNamingTheFile) {
    QTemporaryDir dir;
    const QString garbage = dir.filePath("garbage.bmp");
    ASSERT_TRUE(writeBytes(garbage, "BM this is not a bitmap"));
    const QString empty = dir.filePath("empty.jpg");
    ASSERT_TRUE(writeBytes(empty, ""));
    for (const QString& path : {garbage, empty, dir.filePath("missing.bmp")}) {
        auto loaded = loadPictureFile(path);
        ASSERT_FALSE(loaded.ok());
        EXPECT_NE(loaded.error().find(path.toStdString()), std::string::npos) << loaded.error();
    }
}

// A small BMP header (40-byte information header) for hand-made files.
QByteArray bmpHeader(int width, int height, int bits, int compression, int offset) {
    QByteArray header(54, '\0');
    auto put32 = [&](int at, int32_t v) {
        for (int i = 0; i < 4; ++i)
            header[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    header[0] = 'B';
    header[1] = 'M';
    put32(10, offset);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    header[26] = 1;
    header[28] = static_cast<char>(bits);
    put32(30, compression);
    return header;
}

TEST(PictureFile, TooLargeDeclaredSizeIsRefusedBeforeDecoding) {
    // A BMP header declaring 30000 x 30000 pixels (3.6 GB in memory) and no pixel data.
    QTemporaryDir dir;
    const QString path = dir.filePath("huge.bmp");
    ASSERT_TRUE(writeBytes(path, bmpHeader(30000, 30000, 24, 0, 54)));
    auto loaded = loadPictureFile(path);
    ASSERT_FALSE(loaded.ok());
    EXPECT_NE(loaded.error().find("too large (30000 x 30000)"), std::string::npos)
        << loaded.error();
    EXPECT_NE(loaded.error().find(path.toStdString()), std::string::npos);
}

TEST(PictureFile, DataThatEndsEarlyIsRefusedNamingTheFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(savePictureBmp(dir.filePath("full.bmp"), gradient(40, 30)).ok());
    ASSERT_TRUE(QImage(toImage(gradient(64, 48))).save(dir.filePath("full.jpg"), "JPEG", 90));
    ASSERT_TRUE(QImage(toImage(gradient(64, 48))).save(dir.filePath("full.png")));
    const QByteArray bmp = readBytes(dir.filePath("full.bmp"));
    const QByteArray jpeg = readBytes(dir.filePath("full.jpg"));
    const QByteArray png = readBytes(dir.filePath("full.png"));
    const QByteArray gif = readBytes(test::testDataPath("gradient_64x48.gif"));
    ASSERT_TRUE(loadPictureFile(test::testDataPath("gradient_64x48.gif")).ok());
    // An 8-bit run-length coded 4 x 2 picture: two rows of one run each, then the end mark.
    QByteArray rle = bmpHeader(4, 2, 8, 1, 54 + 8);
    rle[46] = 2;  // colours in the palette
    rle += QByteArray(8, '\x7f');
    rle += QByteArray("\x04\x01\x00\x00\x04\x00\x00\x01", 8);
    ASSERT_TRUE(writeBytes(dir.filePath("rle.bmp"), rle));
    auto rleLoaded = loadPictureFile(dir.filePath("rle.bmp"));
    ASSERT_TRUE(rleLoaded.ok()) << rleLoaded.error();
    // The whole files with trailing bytes still load.
    ASSERT_TRUE(writeBytes(dir.filePath("tail.jpg"), jpeg + "trailer"));
    ASSERT_TRUE(loadPictureFile(dir.filePath("tail.jpg")).ok());

    const struct {
        const char* name;
        QByteArray bytes;
    } cut[] = {
        {"first100.bmp", bmp.left(100)},
        {"lastbyte.bmp", bmp.left(bmp.size() - 1)},
        // 154 bytes that declare 5000 x 5000 pixels: refused before the picture's memory.
        {"lying.bmp", bmpHeader(5000, 5000, 24, 0, 54) + QByteArray(100, '\x20')},
        {"half.jpg", jpeg.left(jpeg.size() / 2)},
        {"noend.jpg", jpeg.left(jpeg.size() - 2)},
        {"half.png", png.left(png.size() / 2)},
        {"half.gif", gif.left(gif.size() / 2)},
        {"rle.bmp", rle.left(rle.size() - 4)},
    };
    for (const auto& file : cut) {
        const QString path = dir.filePath(file.name);
        ASSERT_TRUE(writeBytes(path, file.bytes));
        auto loaded = loadPictureFile(path);
        EXPECT_FALSE(loaded.ok()) << file.name;
        if (!loaded.ok()) {
            EXPECT_NE(loaded.error().find(path.toStdString()), std::string::npos) << loaded.error();
        }
        EXPECT_FALSE(loadPictureImage(path).ok()) << file.name;
    }
}

// 24-bit BMPs are read from their bytes directly: every header variant gives the pixels
// Qt's reader gives (loadPictureImage), or is refused as Qt's reader refuses it.
TEST(PictureFile, DirectBmpReadingAgreesWithTheReader) {
    QTemporaryDir dir;
    const auto rowsOf = [](int width, int height, int padTo) {
        QByteArray rows;
        for (int y = 0; y < height; ++y) {
            QByteArray row;
            for (int x = 0; x < width; ++x) {
                row += static_cast<char>(x * 40 + y);
                row += static_cast<char>(y * 70);
                row += static_cast<char>(x ^ 0x5A);
            }
            rows += row + QByteArray((padTo - row.size() % padTo) % padTo, '\x00');
        }
        return rows;
    };
    const auto withField = [](QByteArray bytes, int at, int32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        return bytes;
    };
    const QByteArray plain = bmpHeader(5, 3, 24, 0, 54) + rowsOf(5, 3, 4);
    const struct {
        const char* name;
        QByteArray bytes;
    } files[] = {
        {"bottom_up.bmp", plain},
        {"top_down.bmp", bmpHeader(5, -3, 24, 0, 54) + rowsOf(5, 3, 4)},
        {"one_row.bmp", bmpHeader(7, 1, 24, 0, 54) + rowsOf(7, 1, 4)},
        {"one_column.bmp", bmpHeader(1, 6, 24, 0, 54) + rowsOf(1, 6, 4)},
        {"gap.bmp", bmpHeader(5, 3, 24, 0, 60) + QByteArray(6, '\x11') + rowsOf(5, 3, 4)},
        {"offset_inside_header.bmp", bmpHeader(5, 3, 24, 0, 20) + rowsOf(5, 3, 4)},
        {"image_size_field.bmp", withField(plain, 34, 12345)},
        {"colours_used.bmp", withField(plain, 46, 2) + QByteArray(8, '\x33')},
        {"trailing_bytes.bmp", plain + "trailer"},
        {"zero_width.bmp", bmpHeader(0, 3, 24, 0, 54) + rowsOf(5, 3, 4)},
        {"zero_height.bmp", bmpHeader(5, 0, 24, 0, 54) + rowsOf(5, 3, 4)},
        {"two_planes.bmp", withField(plain, 26, 2 | 24 << 16)},
        {"rows_short.bmp", plain.left(plain.size() - 2)},
    };
    for (const auto& file : files) {
        const QString path = dir.filePath(file.name);
        ASSERT_TRUE(writeBytes(path, file.bytes));
        auto direct = loadPictureFile(path);
        auto viaReader = loadPictureImage(path);
        ASSERT_EQ(direct.ok(), viaReader.ok()) << file.name;
        if (!direct.ok())
            continue;
        PixelBuffer expected;
        readPixels(*viaReader, expected);
        EXPECT_EQ(*direct, expected) << file.name;
    }
}

TEST(PictureFile, FoldersAndPipesAreRefusedWithoutWaiting) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe.bmp");
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    const struct {
        QString path;
        const char* says;
    } cases[] = {{dir.path(), "folder"}, {fifo, "not a regular file"}, {"/dev/zero", "regular"}};
    for (const auto& c : cases) {
        auto loaded = loadPictureFile(c.path);
        ASSERT_FALSE(loaded.ok());
        EXPECT_NE(loaded.error().find(c.says), std::string::npos) << loaded.error();
    }
}

TEST(PictureFile, EveryPictureThatCanBeWrittenCanBeReadAgain) {
    // 36 megapixels: above the reader's default allocation limit of 128 MiB.
    QTemporaryDir dir;
    const QString path = dir.filePath("large.bmp");
    PixelBuffer large = *PixelBuffer::create(6000, 6000, 0x00123456u);
    large.at(5999, 5999) = 0x00ABCDEFu;
    ASSERT_TRUE(savePictureBmp(path, large).ok());
    auto loaded = loadPictureFile(path);
    ASSERT_TRUE(loaded.ok()) << loaded.error();
    EXPECT_EQ(*loaded, large);
}

TEST(PictureFile, AFailedSaveLeavesTheEarlierFileUntouched) {
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.bmp");
    const PixelBuffer small = gradient(2, 2);
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
    const auto result = savePictureBmp(path, gradient(200, 200));
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(result.ok());
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"keep.bmp"}));
}

}  // namespace
}  // namespace kirimo
