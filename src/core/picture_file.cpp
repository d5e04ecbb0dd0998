#include "core/picture_file.h"

#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "core/file_system.h"
#include "core/text_file.h"
#include "imaging/row_threads.h"

namespace kirimo {

namespace {

std::string describe(const QString& path) {
    return quotedPath(path);
}

// The program's size rule as the reader's allocation limit, in MiB: every picture the
// program may hold or write (width x height x 4 within a signed 32-bit number) can be
// read; larger ones are refused by checkDeclaredSize before anything is decoded.
constexpr int kReaderLimitMiB = 2048;

uint32_t le16(const uchar* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8;
}
uint32_t le32(const uchar* p) {
    return le16(p) | le16(p + 2) << 16;
}

// True when run-length coded BMP data starting at `data` reaches its end marker, or
// codes every one of `rows` rows, before the file ends.
bool rleDataComplete(const uchar* data, const uchar* end, bool fourBit, int64_t rows) {
    int64_t row = 0;
    while (end - data >= 2) {
        const uint32_t count = data[0];
        const uint32_t code = data[1];
        data += 2;
        if (count > 0)
            continue;  // a run of one value
        if (code == 0) {
            if (++row >= rows)
                return true;
        } else if (code == 1) {
            return true;
        } else if (code == 2) {
            if (end - data < 2)
                return false;
            row += data[1];
            data += 2;
            if (row >= rows)
                return true;
        } else {
            // `code` literal pixels, padded to a whole number of 16-bit words.
            const int64_t bytes = fourBit ? (code + 1) / 2 : code;
            const int64_t padded = (bytes + 1) / 2 * 2;
            if (end - data < padded)
                return false;
            data += padded;
        }
    }
    return false;
}

enum class DataCheck { Complete, EndsEarly, TooLarge };

// What a BMP's header declares against the file: a size beyond the program's rule (the
// reader itself refuses such headers without saying why), or more pixel data than the
// file holds. `width` and `height` receive the declared size.
DataCheck checkBmpData(const uchar* file, int64_t size, int64_t& width, int64_t& height) {
    if (size < 26 || file[0] != 'B' || file[1] != 'M')
        return DataCheck::Complete;  // not a BMP the checks below understand: the reader decides
    const int64_t headerSize = le32(file + 14);
    uint32_t bits = 0;
    uint32_t compression = 0;
    if (headerSize == 12) {
        width = le16(file + 18);
        height = le16(file + 20);
        bits = le16(file + 24);
    } else if (headerSize >= 40 && size >= 34) {
        width = static_cast<int32_t>(le32(file + 18));
        height = static_cast<int32_t>(le32(file + 22));
        bits = le16(file + 28);
        compression = le32(file + 30);
    } else {
        return DataCheck::Complete;
    }
    width = width < 0 ? -width : width;
    height = height < 0 ? -height : height;
    if (!PixelBuffer::sizeAllowed(width, height))
        return DataCheck::TooLarge;
    const int64_t offset = std::max<int64_t>(le32(file + 10), 14 + headerSize);
    if (offset > size)
        return DataCheck::EndsEarly;
    constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;
    if (compression == kRgb || compression == kBitFields || compression == kAlphaBitFields) {
        const int64_t rowBytes = (width * bits + 31) / 32 * 4;
        int64_t dataBytes = 0;
        const bool complete =
            !__builtin_mul_overflow(rowBytes, height, &dataBytes) && dataBytes <= size - offset;
        return complete ? DataCheck::Complete : DataCheck::EndsEarly;
    }
    if (compression == kRle8 || compression == kRle4) {
        return rleDataComplete(file + offset, file + size, compression == kRle4, height)
                   ? DataCheck::Complete
                   : DataCheck::EndsEarly;
    }
    return DataCheck::Complete;
}

// True when a JPEG stream reaches its end-of-picture marker before the file ends; a file
// cut short does not (the decoder would fill the missing rows and only warn).
bool jpegDataComplete(const uchar* file, int64_t size) {
    if (size < 4 || file[0] != 0xFF || file[1] != 0xD8)
        return true;
    int64_t at = 2;
    while (at < size) {
        if (file[at] != 0xFF) {
            ++at;  // stray bytes between segments are skipped, as the decoder does
            continue;
        }
        while (at < size && file[at] == 0xFF)
            ++at;
        if (at >= size)
            return false;
        const uchar marker = file[at++];
        if (marker == 0xD9)
            return true;
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        if (size - at < 2)
            return false;
        const int64_t length = int64_t{file[at]} << 8 | file[at + 1];
        if (length < 2 || size - at < length)
            return false;
        at += length;
        if (marker != 0xDA)
            continue;
        // Coded data runs to the next marker that is neither a stuffed 0xFF nor a restart.
        while (at < size) {
            if (file[at] != 0xFF) {
                ++at;
                continue;
            }
            if (at + 1 >= size)
                return false;
            const uchar next = file[at + 1];
            if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
                at += 2;
            } else if (next == 0xFF) {
                ++at;
            } else {
                break;
            }
        }
    }
    return false;
}

// True when a GIF's first picture reaches the end of its data before the file ends (the
// reader shows a picture cut short without an error).
bool gifDataComplete(const uchar* file, int64_t size) {
    if (size < 13 || (std::memcmp(file, "GIF87a", 6) != 0 && std::memcmp(file, "GIF89a", 6) != 0))
        return true;
    const auto tableBytes = [](uchar flags) -> int64_t {
        return (flags & 0x80) != 0 ? 3 * (int64_t{2} << (flags & 0x07)) : 0;
    };
    // Skips a chain of data sub-blocks; false when the file ends inside it.
    const auto skipSubBlocks = [&](int64_t& at) {
        while (at < size) {
            const int64_t length = file[at++];
            if (length == 0)
                return true;
            at += length;
        }
        return false;
    };
    int64_t at = 13 + tableBytes(file[10]);
    while (at < size) {
        const uchar block = file[at++];
        if (block == 0x3B)
            return true;  // the trailer, before any picture: the reader decides
        if (block == 0x21) {
            ++at;  // the extension's label
            if (!skipSubBlocks(at))
                return false;
        } else if (block == 0x2C) {
            if (size - at < 9)
                return false;
            at += 9 + tableBytes(file[at + 8]) + 1;  // descriptor, colours, code size
            return skipSubBlocks(at);
        } else {
            return true;  // not a block this check knows: the reader decides
        }
    }
    return false;
}

// The picture file opened for reading. Refused, naming the file: what is not a regular
// file (a folder; a pipe, which would hold the reader until something writes to it; a
// device), what cannot be opened (with the system's reason), and an empty file. A name
// that is text is opened by Qt under that name (its suffix helps the reader choose the
// format); a name with kept bytes is opened by those bytes.
Result<std::unique_ptr<QFile>> openPicture(const QString& path) {
    if (path.contains(QChar(u'\0'))) {
        return makeError("cannot open " + describe(path) +
                         ": the name holds a zero byte, which no file name can");
    }
    const QByteArray name = encodePath(path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0) {
        // The system's reason: a loop of links or a folder that may not be entered is not a
        // missing file.
        if (errno == ENOENT)
            return makeError("cannot open " + describe(path) + ": there is no such file");
        std::string text = std::strerror(errno);
        if (!text.empty())
            text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
        return makeError("cannot open " + describe(path) + ": " + text);
    }
    if (S_ISDIR(info.st_mode))
        return makeError("cannot open " + describe(path) + ": it is a folder, not a picture");
    if (!S_ISREG(info.st_mode)) {
        return makeError("cannot open " + describe(path) +
                         ": it is not a regular file (a pipe or a device?)");
    }
    if (info.st_size == 0)
        return makeError("cannot open " + describe(path) + " as a picture: the file is empty");
    std::unique_ptr<QFile> file;
    bool opened = false;
    if (QFile::encodeName(path) == name) {
        file = std::make_unique<QFile>(path);
        opened = file->open(QIODevice::ReadOnly);
    } else {
        file = std::make_unique<QFile>();
        const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        opened = fd >= 0 && file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
        if (fd >= 0 && !opened)
            ::close(fd);
    }
    if (!opened)
        return makeError("cannot open " + describe(path) + ": " +
                         file->errorString().toStdString());
    return file;
}

// Refuses a BMP, JPEG or GIF whose data ends before the picture does.
Result<void> checkDataComplete(QFile& file, const QString& path) {
    const int64_t size = file.size();
    if (size < 4)
        return {};  // too short to judge here: the reader refuses it
    const uchar* bytes = file.map(0, size);
    if (bytes == nullptr)
        return {};
    int64_t width = 0;
    int64_t height = 0;
    DataCheck check = checkBmpData(bytes, size, width, height);
    if (check == DataCheck::Complete &&
        (!jpegDataComplete(bytes, size) || !gifDataComplete(bytes, size)))
        check = DataCheck::EndsEarly;
    file.unmap(const_cast<uchar*>(bytes));
    if (check == DataCheck::TooLarge) {
        return makeError("cannot open " + describe(path) + ": the picture is too large (" +
                         std::to_string(width) + " x " + std::to_string(height) + ")");
    }
    if (check == DataCheck::EndsEarly) {
        return makeError("cannot open " + describe(path) +
                         ": the picture's data ends early (the file is cut short or damaged)");
    }
    return {};
}

// Rows of 24-bit BMP pixels (blue, green, red) to pixels and back, four pixels to a
// shuffle where the processor has SSSE3 (never touching a byte outside the row).
void bgrRowToPixelsPlain(const uchar* in, Pixel* out, int width) {
    for (int x = 0; x < width; ++x, in += 3)
        out[x] = makePixel(in[2], in[1], in[0]);
}
void pixelsToBgrRowPlain(const Pixel* in, uchar* out, int width) {
    for (int x = 0; x < width; ++x) {
        out[3 * x] = static_cast<uchar>(in[x]);
        out[3 * x + 1] = static_cast<uchar>(in[x] >> 8);
        out[3 * x + 2] = static_cast<uchar>(in[x] >> 16);
    }
}

#if defined(__x86_64__)
bool ssse3Available() {
    static const bool available = __builtin_cpu_supports("ssse3");
    return available;
}

// Each step reads 16 bytes from 3x or writes 16 bytes at 3x, within the row while
// x + 6 <= width; the rest goes pixel by pixel.
__attribute__((target("ssse3"))) void bgrRowToPixelsShuffled(const uchar* in, Pixel* out,
                                                             int width) {
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    int x = 0;
    for (; x + 6 <= width; x += 4) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 3 * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_shuffle_epi8(bytes, spread));
    }
    bgrRowToPixelsPlain(in + 3 * x, out + x, width - x);
}
__attribute__((target("ssse3"))) void pixelsToBgrRowShuffled(const Pixel* in, uchar* out,
                                                             int width) {
    const __m128i gather = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    int x = 0;
    for (; x + 6 <= width; x += 4) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 3 * x), _mm_shuffle_epi8(pixels, gather));
    }
    pixelsToBgrRowPlain(in + x, out + 3 * x, width - x);
}
#endif

void bgrRowToPixels(const uchar* in, Pixel* out, int width) {
#if defined(__x86_64__)
    if (ssse3Available())
        return bgrRowToPixelsShuffled(in, out, width);
#endif
    bgrRowToPixelsPlain(in, out, width);
}
void pixelsToBgrRow(const Pixel* in, uchar* out, int width) {
#if defined(__x86_64__)
    if (ssse3Available())
        return pixelsToBgrRowShuffled(in, out, width);
#endif
    pixelsToBgrRowPlain(in, out, width);
}

// A 24-bit BMP without compression and with the common 40-byte header, read straight
// from the file's bytes into the buffer, the rows shared among the cores: the reader's own
// road decodes into an image a row at a time on one core. Anything else, and a header
// this does not know field for field, is left to the reader (null). The file's data has
// been checked complete (checkDataComplete) before this is called.
std::optional<PixelBuffer> readPlainBmp(QFile& file) {
    constexpr int64_t kHeaderBytes = 14 + 40;
    const int64_t size = file.size();
    if (size < kHeaderBytes)
        return std::nullopt;
    const uchar* bytes = file.map(0, size);
    if (bytes == nullptr)
        return std::nullopt;
    struct Unmap {
        QFile& file;
        const uchar* bytes;
        ~Unmap() { file.unmap(const_cast<uchar*>(bytes)); }
    } unmap{file, bytes};
    const auto width = static_cast<int32_t>(le32(bytes + 18));
    const auto height = static_cast<int32_t>(le32(bytes + 22));
    const bool plain = bytes[0] == 'B' && bytes[1] == 'M' && le32(bytes + 14) == 40 &&
                       le16(bytes + 26) == 1 && le16(bytes + 28) == 24 && le32(bytes + 30) == 0 &&
                       le32(bytes + 46) == 0 && width > 0 && height != 0 && height != INT32_MIN &&
                       PixelBuffer::sizeAllowed(width, std::abs(height));
    if (!plain)
        return std::nullopt;
    const int rows = std::abs(height);
    const int64_t rowBytes = (int64_t{width} * 3 + 3) / 4 * 4;
    // The pixels start at the declared offset, or right after the header when the offset
    // points into it.
    const int64_t offset = std::max<int64_t>(le32(bytes + 10), kHeaderBytes);
    if (offset > size || rowBytes * rows > size - offset)
        return std::nullopt;
    auto buffer = PixelBuffer::createUnset(width, rows);
    if (!buffer)
        return std::nullopt;
    const uchar* data = bytes + offset;
    const bool bottomUp = height > 0;
    forEachRowBand(rows, width, 0, [&](int first, int end) {
        for (int y = first; y < end; ++y)
            bgrRowToPixels(data + rowBytes * (bottomUp ? rows - 1 - y : y), buffer->row(y), width);
    });
    return std::move(*buffer);
}

// Refuses a picture whose declared size is too large before anything is decoded.
Result<void> checkDeclaredSize(const QImageReader& reader, const QString& path) {
    const QSize declared = reader.size();
    if (declared.isValid() && !PixelBuffer::sizeAllowed(declared.width(), declared.height())) {
        return makeError("cannot open " + describe(path) + ": the picture is too large (" +
                         std::to_string(declared.width()) + " x " +
                         std::to_string(declared.height()) + ")");
    }
    return {};
}

// The decoded picture as Format_RGB32, or why it cannot be used.
Result<QImage> checkDecoded(QImage image, const QImageReader& reader, const QString& path) {
    if (image.isNull()) {
        return makeError("cannot open " + describe(path) +
                         " as a picture: " + reader.errorString().toStdString());
    }
    if (image.width() == 0 || image.height() == 0) {
        return makeError("cannot open " + describe(path) + ": the picture has no pixels");
    }
    if (!PixelBuffer::sizeAllowed(image.width(), image.height())) {
        return makeError("cannot open " + describe(path) + ": the picture is too large (" +
                         std::to_string(image.width()) + " x " + std::to_string(image.height()) +
                         ")");
    }
    if (image.format() != QImage::Format_RGB32) {
        image = image.convertToFormat(QImage::Format_RGB32);
        if (image.isNull()) {
            return makeError("cannot open " + describe(path) + ": out of memory");
        }
    }
    return image;
}

}  // namespace

Result<QImage> loadPictureImage(const QString& path) {
    auto file = openPicture(path);
    if (!file)
        return makeError(file.error());
    QImageReader::setAllocationLimit(kReaderLimitMiB);
    QImageReader reader(file->get());
    reader.setAutoTransform(true);
    if (auto size = checkDeclaredSize(reader, path); !size)
        return makeError(size.error());
    if (auto complete = checkDataComplete(**file, path); !complete)
        return makeError(complete.error());
    return checkDecoded(reader.read(), reader, path);
}

Result<PixelBuffer> loadPictureFile(const QString& path) {
    auto file = openPicture(path);
    if (!file)
        return makeError(file.error());
    QImageReader::setAllocationLimit(kReaderLimitMiB);
    QImageReader reader(file->get());
    reader.setAutoTransform(true);
    if (auto size = checkDeclaredSize(reader, path); !size)
        return makeError(size.error());
    if (auto complete = checkDataComplete(**file, path); !complete)
        return makeError(complete.error());
    if (auto plain = readPlainBmp(**file))
        return std::move(*plain);

    // Readers that produce RGB32 pixels of the declared size (BMP, colour JPEG) decode
    // straight into the buffer's memory, saving a copy of the whole picture.
    const QSize declared = reader.size();
    if (declared.isValid() && !declared.isEmpty()) {
        auto buffer = PixelBuffer::create(declared.width(), declared.height());
        if (!buffer)
            return makeError(buffer.error());
        QImage view(reinterpret_cast<uchar*>(buffer->data()), declared.width(), declared.height(),
                    declared.width() * 4, QImage::Format_RGB32);
        const bool decoded = reader.read(&view);
        const bool inBuffer = view.constBits() == reinterpret_cast<const uchar*>(buffer->data());
        if (decoded && inBuffer && view.size() == declared &&
            view.format() == QImage::Format_RGB32) {
            const int width = buffer->width();
            forEachRowBand(buffer->height(), width, 0, [&](int first, int end) {
                for (int y = first; y < end; ++y) {
                    Pixel* row = buffer->row(y);
                    for (int x = 0; x < width; ++x)
                        row[x] &= 0x00FFFFFFu;
                }
            });
            return std::move(*buffer);
        }
        // Another format, an applied rotation or a failure: the reader's own image. Where
        // the reader made a new one (a rotation, a frame larger than declared) it is taken as
        // it is, and the buffer goes before the pixels are copied, so that no more than two
        // pictures' worth is held at once.
        QImage own = !decoded ? QImage() : inBuffer ? view.copy() : view;
        view = QImage();
        *buffer = PixelBuffer();
        auto image = checkDecoded(std::move(own), reader, path);
        if (!image)
            return makeError(image.error());
        PixelBuffer copied;
        if (readPixels(*image, copied) != image->height())
            return makeError("cannot open " + describe(path) + ": out of memory");
        return copied;
    }
    auto image = checkDecoded(reader.read(), reader, path);
    if (!image)
        return makeError(image.error());
    PixelBuffer copied;
    if (readPixels(*image, copied) != image->height()) {
        return makeError("cannot open " + describe(path) + ": out of memory");
    }
    return copied;
}

Result<void> savePictureBmp(const QString& path, const QImage& image) {
    const QImage rgb = image.format() == QImage::Format_RGB32
                           ? image
                           : image.convertToFormat(QImage::Format_RGB32);
    PixelBuffer pixels;
    if (rgb.isNull() || readPixels(rgb, pixels) != rgb.height()) {
        return makeError("cannot write " + describe(path) + ": the picture cannot be read");
    }
    return savePictureBmp(path, pixels);
}

Result<void> savePictureBmp(const QString& path, const PixelBuffer& pixels) {
    if (pixels.empty()) {
        return makeError("cannot write " + describe(path) + ": the picture has no pixels");
    }
    // A 24-bit bottom-up BMP encoded directly: rows of blue, green, red padded to 4 bytes,
    // streamed in chunks of rows so no second copy of the picture is made.
    const int64_t rowBytes = (int64_t{pixels.width()} * 3 + 3) / 4 * 4;
    const int64_t imageBytes = rowBytes * pixels.height();
    constexpr int kHeaderBytes = 14 + 40;
    if (imageBytes + kHeaderBytes > INT32_MAX) {
        return makeError("cannot write " + describe(path) + ": the picture is too large for BMP");
    }
    return writeFileAtomically(path, [&](QIODevice& device) {
        uint8_t header[kHeaderBytes] = {};
        auto put16 = [&](int offset, uint32_t v) {
            header[offset] = static_cast<uint8_t>(v);
            header[offset + 1] = static_cast<uint8_t>(v >> 8);
        };
        auto put32 = [&](int offset, uint32_t v) {
            put16(offset, v & 0xFFFF);
            put16(offset + 2, v >> 16);
        };
        header[0] = 'B';
        header[1] = 'M';
        put32(2, static_cast<uint32_t>(kHeaderBytes + imageBytes));
        put32(10, kHeaderBytes);
        put32(14, 40);
        put32(18, static_cast<uint32_t>(pixels.width()));
        put32(22, static_cast<uint32_t>(pixels.height()));
        put16(26, 1);   // planes
        put16(28, 24);  // bits per pixel
        put32(34, static_cast<uint32_t>(imageBytes));
        put32(38, 2835);  // 72 dpi
        put32(42, 2835);
        if (device.write(reinterpret_cast<const char*>(header), kHeaderBytes) != kHeaderBytes) {
            return false;
        }
        // Chunks of about 4 MiB, their rows encoded on every core.
        const int rowsPerChunk = static_cast<int>(std::max<int64_t>(1, (4 << 20) / rowBytes));
        QByteArray chunk(static_cast<qsizetype>(rowBytes * rowsPerChunk), '\0');
        const int width = pixels.width();
        for (int first = pixels.height() - 1; first >= 0; first -= rowsPerChunk) {
            const int count = std::min(rowsPerChunk, first + 1);
            auto* rows = reinterpret_cast<uint8_t*>(chunk.data());
            forEachRowBand(count, width, 0, [&](int from, int to) {
                for (int i = from; i < to; ++i)
                    pixelsToBgrRow(pixels.row(first - i), rows + rowBytes * i, width);
            });
            const qint64 bytes = rowBytes * count;
            if (device.write(chunk.constData(), bytes) != bytes)
                return false;
        }
        return true;
    });
}

int readPixels(const QImage& surface, PixelBuffer& buffer) {
    if (surface.format() != QImage::Format_RGB32)
        return 0;
    auto created = PixelBuffer::createUnset(surface.width(), surface.height());
    if (!created)
        return 0;
    buffer = std::move(*created);
    const int w = surface.width();
    forEachRowBand(surface.height(), w, 0, [&](int first, int end) {
        for (int y = first; y < end; ++y) {
            const auto* source = reinterpret_cast<const Pixel*>(surface.constScanLine(y));
            Pixel* target = buffer.row(y);
            for (int x = 0; x < w; ++x)
                target[x] = source[x] & 0x00FFFFFFu;
        }
    });
    return surface.height();
}

int writePixels(QImage& surface, const PixelBuffer& buffer) {
    if (surface.format() != QImage::Format_RGB32)
        return 0;
    const int w = std::min(surface.width(), buffer.width());
    const int h = std::min(surface.height(), buffer.height());
    // Format_RGB32 keeps 0xFF in the top byte; the buffer keeps 0 there. scanLine detaches
    // a shared image, so it is called once here before the rows are shared among threads.
    if (h <= 0)
        return 0;
    uchar* bits = surface.bits();
    const qsizetype stride = surface.bytesPerLine();
    forEachRowBand(h, w, 0, [&](int first, int end) {
        for (int y = first; y < end; ++y) {
            auto* target = reinterpret_cast<Pixel*>(bits + stride * y);
            const Pixel* source = buffer.row(y);
            for (int x = 0; x < w; ++x)
                target[x] = source[x] | 0xFF000000u;
        }
    });
    return h;
}

QImage toImage(const PixelBuffer& buffer) {
    QImage image(buffer.width(), buffer.height(), QImage::Format_RGB32);
    if (image.isNull())
        return image;
    writePixels(image, buffer);
    return image;
}

}  // namespace kirimo
