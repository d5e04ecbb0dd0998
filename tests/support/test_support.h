#pragma once
// Helpers shared by the tests: sandboxed folders, files and small pictures.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <initializer_list>
#include <ostream>

#include "core/colour_table.h"
#include "imaging/pixel_buffer.h"

// Failed checks on strings show their text rather than a byte dump. (QString lives in the
// global namespace, where gtest's argument-dependent lookup finds this.)
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace kirimo::test {

inline QString testDataPath(const QString& name) {
    return QDir(QStringLiteral(KIRIMO_TEST_DATA_DIR)).filePath(name);
}

inline QByteArray readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

inline bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

// A buffer from rows of pixels, top row first.
inline PixelBuffer makeBuffer(std::initializer_list<std::initializer_list<Pixel>> rows) {
    const int height = static_cast<int>(rows.size());
    const int width = height == 0 ? 0 : static_cast<int>(rows.begin()->size());
    PixelBuffer buffer = *PixelBuffer::create(width, height);
    int y = 0;
    for (const auto& row : rows) {
        int x = 0;
        for (Pixel p : row)
            buffer.at(x++, y) = p;
        ++y;
    }
    return buffer;
}

inline PixelBuffer filledBuffer(int width, int height, Pixel fill) {
    return *PixelBuffer::create(width, height, fill);
}

// A converted picture: every dot the colour `colour` of the standard table's.
inline PixelBuffer tableColours(int width, int height, int (*colour)(int x, int y)) {
    const ColourTable table;
    PixelBuffer picture = filledBuffer(width, height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const ColourEntry& e = table[colour(x, y)];
            picture.at(x, y) = makePixel(e.red, e.green, e.blue);
        }
    return picture;
}

// A picture of pseudo-random pixels, the same for the same seed; `mask` selects the bits
// that may be set (the top byte stays 0 by default).
inline PixelBuffer randomPicture(int width, int height, uint32_t seed, Pixel mask = 0x00FFFFFFu) {
    PixelBuffer picture = filledBuffer(width, height, 0);
    uint32_t state = seed * 2654435761u + 7;
    for (size_t i = 0; i < picture.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        picture.data()[i] = (state ^ (state >> 13)) & mask;
    }
    return picture;
}

}  // namespace kirimo::test
