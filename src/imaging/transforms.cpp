#include "imaging/transforms.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "imaging/numeric.h"
#include "imaging/row_threads.h"

namespace kirimo {

namespace {

// A buffer of a size already known to be allowed (the input's, or the input's turned),
// its pixels unset: every pass that takes one writes each of them.
PixelBuffer sameSizeBuffer(int width, int height) {
    return std::move(PixelBuffer::createUnset(width, height)).value();
}

std::string sizeText(int width, int height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

// Square tiles keep both the rows read and the rows written of a quarter turn in cache.
constexpr int kTurnTile = 64;

// Output rows [first, end) of a quarter turn; `source(x, y)` names the input pixel that
// lands on output pixel (x, y).
template <typename Source>
void turnRows(PixelBuffer& out, int first, int end, Source source) {
    const int width = out.width();
    for (int tileY = first; tileY < end; tileY += kTurnTile) {
        const int tileEndY = std::min(end, tileY + kTurnTile);
        for (int tileX = 0; tileX < width; tileX += kTurnTile) {
            const int tileEndX = std::min(width, tileX + kTurnTile);
            for (int y = tileY; y < tileEndY; ++y) {
                Pixel* target = out.row(y);
                for (int x = tileX; x < tileEndX; ++x)
                    target[x] = source(x, y);
            }
        }
    }
}

// The column (or row) and the position inside its block that an enlarged picture's
// column (or row) takes: the last block in painting order that covers it.
struct BlockCell {
    int source = -1;  // input column or row; -1 when no block covers the cell
    int step = 0;     // position counted from the block's first cell
};

std::vector<BlockCell> blockCells(int oldSize, int newSize, int scale) {
    std::vector<BlockCell> cells(static_cast<size_t>(newSize));
    for (int i = 0; i < oldSize; ++i) {
        const double start = roundHalfEven(static_cast<double>(int64_t{i} * newSize) / oldSize);
        const int first = static_cast<int>(start);
        const int last = std::min(first + scale, newSize - 1);
        for (int cell = first; cell <= last; ++cell)
            cells[static_cast<size_t>(cell)] = BlockCell{i, cell - first};
    }
    return cells;
}

// round((to - from) / span * step + from), evaluated in exactly this order.
inline int interpolate(int from, int to, int span, int step) {
    return static_cast<int>(roundHalfEven(static_cast<double>(to - from) / span * step + from));
}

// Interpolation between two bytes over one span, every step 0..span. When a pass needs
// more values than the tables hold, and the span is short, the results for all pairs of
// end values are computed once into a table per step (the same expression, so the same
// values); otherwise each value is computed as it is needed.
class ByteInterpolator {
  public:
    ByteInterpolator(int span, int64_t expectedUses) : span_(span) {
        const int64_t tableEntries = (int64_t{span} + 1) * 511 * 256;
        if (span < 1 || span > kLongestTabledSpan || expectedUses < tableEntries)
            return;
        tables_.resize(static_cast<size_t>(span) + 1);
        for (int step = 0; step <= span; ++step) {
            auto& table = tables_[static_cast<size_t>(step)];
            table.resize(511 * 256);
            for (int from = 0; from < 256; ++from)
                for (int to = 0; to < 256; ++to)
                    table[index(from, to)] =
                        static_cast<uint8_t>(std::clamp(interpolate(from, to, span, step), 0, 255));
        }
    }

    int operator()(int from, int to, int step) const {
        if (!tables_.empty())
            return tables_[static_cast<size_t>(step)][index(from, to)];
        return interpolate(from, to, span_, step);
    }

    Pixel operator()(Pixel from, Pixel to, int step) const {
        return makePixel((*this)(pixelRed(from), pixelRed(to), step),
                         (*this)(pixelGreen(from), pixelGreen(to), step),
                         (*this)(pixelBlue(from), pixelBlue(to), step));
    }

  private:
    // 511 x 256 bytes per step: spans up to 32 keep all tables within about 4 MB.
    static constexpr int kLongestTabledSpan = 32;

    static size_t index(int from, int to) {
        return static_cast<size_t>(to - from + 255) * 256 + static_cast<size_t>(from);
    }

    int span_;
    std::vector<std::vector<uint8_t>> tables_;
};

// The rows an enlarged row interpolates between: `top` along input row j, `bottom` along
// the row below it, for every output column.
void blockEdgeRows(const PixelBuffer& in, int j, int scaleX, const ByteInterpolator& across,
                   const std::vector<BlockCell>& cols, std::vector<Pixel>& top,
                   std::vector<Pixel>& bottom) {
    const int w = in.width();
    const bool hasBelow = j + 1 < in.height();
    const Pixel* row = in.row(j);
    const Pixel* below = hasBelow ? in.row(j + 1) : nullptr;
    for (size_t x = 0; x < cols.size(); ++x) {
        const BlockCell cell = cols[x];
        if (cell.source < 0) {
            top[x] = 0;
            bottom[x] = 0;
            continue;
        }
        const int i = cell.source;
        const bool hasRight = i + 1 < w;
        // Neighbours outside the picture fall back to the block's own pixel p00.
        const Pixel p00 = row[i] & 0x00FFFFFFu;
        const Pixel p10 = hasRight ? row[i + 1] & 0x00FFFFFFu : p00;
        const Pixel p01 = hasBelow ? below[i] & 0x00FFFFFFu : p00;
        const Pixel p11 = hasRight && hasBelow ? below[i + 1] & 0x00FFFFFFu : p00;
        if (scaleX == 0) {
            top[x] = p00;
            bottom[x] = p01;
        } else {
            top[x] = across(p00, p10, cell.step);
            bottom[x] = across(p01, p11, cell.step);
        }
    }
}

}  // namespace

void flipVerticalInPlace(PixelBuffer& picture, int threads) {
    const int h = picture.height();
    const auto w = static_cast<size_t>(picture.width());
    forEachRowBand(h / 2, picture.width(), threads, [&](int first, int end) {
        for (int y = first; y < end; ++y)
            std::swap_ranges(picture.row(y), picture.row(y) + w, picture.row(h - 1 - y));
    });
}

PixelBuffer flipVertical(const PixelBuffer& in, int threads) {
    PixelBuffer out = sameSizeBuffer(in.width(), in.height());
    const int h = in.height();
    const auto w = static_cast<size_t>(in.width());
    forEachRowBand(h, in.width(), threads, [&](int first, int end) {
        for (int y = first; y < end; ++y)
            std::copy_n(in.row(h - 1 - y), w, out.row(y));
    });
    return out;
}

PixelBuffer mirrorHorizontal(const PixelBuffer& in, int threads) {
    PixelBuffer out = sameSizeBuffer(in.width(), in.height());
    const auto w = static_cast<size_t>(in.width());
    forEachRowBand(in.height(), in.width(), threads, [&](int first, int end) {
        for (int y = first; y < end; ++y)
            std::reverse_copy(in.row(y), in.row(y) + w, out.row(y));
    });
    return out;
}

PixelBuffer rotateClockwise(const PixelBuffer& in, int threads) {
    PixelBuffer out = sameSizeBuffer(in.height(), in.width());
    const int h = in.height();
    forEachRowBand(out.height(), out.width(), threads, [&](int first, int end) {
        turnRows(out, first, end, [&](int x, int y) { return in.at(y, h - 1 - x); });
    });
    return out;
}

PixelBuffer rotateCounterClockwise(const PixelBuffer& in, int threads) {
    PixelBuffer out = sameSizeBuffer(in.height(), in.width());
    const int w = in.width();
    forEachRowBand(out.height(), out.width(), threads, [&](int first, int end) {
        turnRows(out, first, end, [&](int x, int y) { return in.at(w - 1 - y, x); });
    });
    return out;
}

Result<PixelBuffer> reducePicture(const PixelBuffer& in, int newWidth, int newHeight, int threads) {
    const int w = in.width();
    const int h = in.height();
    if (newWidth < 1 || newHeight < 1 || newWidth > w || newHeight > h) {
        return makeError("cannot reduce a " + sizeText(w, h) + " picture to " +
                         sizeText(newWidth, newHeight));
    }
    auto created = PixelBuffer::createUnset(newWidth, newHeight);
    if (!created)
        return created;
    PixelBuffer out = std::move(created).value();

    // round(W x / W') is at most W - 1 while W' <= W, and likewise for the rows.
    std::vector<int> cols(static_cast<size_t>(newWidth));
    for (int x = 0; x < newWidth; ++x)
        cols[static_cast<size_t>(x)] =
            static_cast<int>(roundHalfEven(static_cast<double>(int64_t{w} * x) / newWidth));
    forEachRowBand(newHeight, newWidth, threads, [&](int first, int end) {
        for (int y = first; y < end; ++y) {
            const int sourceY =
                static_cast<int>(roundHalfEven(static_cast<double>(int64_t{h} * y) / newHeight));
            const Pixel* source = in.row(sourceY);
            Pixel* target = out.row(y);
            for (int x = 0; x < newWidth; ++x)
                target[x] = source[cols[static_cast<size_t>(x)]];
        }
    });
    return out;
}

Result<PixelBuffer> enlargePicture(const PixelBuffer& in, int newWidth, int newHeight,
                                   int threads) {
    const int w = in.width();
    const int h = in.height();
    if (in.empty())
        return makeError("cannot resize an empty picture");
    if (newWidth < 1 || newHeight < 1) {
        return makeError("cannot resize a " + sizeText(w, h) + " picture to " +
                         sizeText(newWidth, newHeight));
    }
    auto created = PixelBuffer::create(newWidth, newHeight);
    if (!created)
        return created;
    PixelBuffer out = std::move(created).value();

    // Scale factors rounded half up; 0 when a side shrinks to less than half.
    const int scaleX = static_cast<int>(std::floor(static_cast<double>(newWidth) / w + 0.5));
    const int scaleY = static_cast<int>(std::floor(static_cast<double>(newHeight) / h + 0.5));
    const std::vector<BlockCell> cols = blockCells(w, newWidth, scaleX);
    const std::vector<BlockCell> rows = blockCells(h, newHeight, scaleY);
    const int64_t cells = int64_t{newWidth} * newHeight;
    const ByteInterpolator across(scaleX, int64_t{std::min(h, newHeight)} * newWidth * 6);
    const ByteInterpolator down(scaleY, cells * 3);

    // Blocks are painted input column by column, each column top to bottom, so a cell
    // keeps the value of the last block covering it: the last covering column block and,
    // within it, the last covering row block. That makes the result separable: every
    // output row is a vertical interpolation between two horizontally interpolated rows
    // of one input row block.
    forEachRowBand(newHeight, newWidth, threads, [&](int first, int end) {
        std::vector<Pixel> top(static_cast<size_t>(newWidth));
        std::vector<Pixel> bottom(static_cast<size_t>(newWidth));
        int edgesOf = -1;
        for (int y = first; y < end; ++y) {
            const BlockCell cell = rows[static_cast<size_t>(y)];
            Pixel* target = out.row(y);
            if (cell.source < 0) {
                std::fill_n(target, newWidth, Pixel{0});
                continue;
            }
            if (cell.source != edgesOf) {
                blockEdgeRows(in, cell.source, scaleX, across, cols, top, bottom);
                edgesOf = cell.source;
            }
            if (scaleY == 0 || cell.step == 0) {
                // No vertical step: the cell is the top value itself (round(0 + top) = top).
                std::copy(top.begin(), top.end(), target);
                continue;
            }
            for (int x = 0; x < newWidth; ++x)
                target[x] =
                    down(top[static_cast<size_t>(x)], bottom[static_cast<size_t>(x)], cell.step);
        }
    });
    return out;
}

Result<PixelBuffer> resizePicture(const PixelBuffer& in, int newWidth, int newHeight, int threads) {
    if (newWidth < kMinimumResizeSide || newHeight < kMinimumResizeSide) {
        return makeError("cannot resize to " + sizeText(newWidth, newHeight) +
                         ": both sides must be at least " + std::to_string(kMinimumResizeSide));
    }
    if (in.empty())
        return makeError("cannot resize an empty picture");
    if (newWidth >= in.width() || newHeight >= in.height())
        return enlargePicture(in, newWidth, newHeight, threads);
    return reducePicture(in, newWidth, newHeight, threads);
}

}  // namespace kirimo
