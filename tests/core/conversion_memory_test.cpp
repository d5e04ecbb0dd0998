// The memory a conversion takes, measured through every allocation the engine makes:
// this test program's operator new and delete keep a tally while a measurement runs.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

#include "core/colour_table.h"
#include "imaging/conversion.h"
#include "support/test_support.h"

namespace {

std::atomic<bool> tallying{false};
std::atomic<long long> liveBytes{0};
std::atomic<long long> peakBytes{0};

// Every block carries, just before the address handed out, the start of what malloc gave
// and the size asked for, which the tally counts.
struct BlockHeader {
    void* start;
    size_t bytes;
};

void* tryAllocate(size_t bytes, size_t alignment) {
    const size_t align = std::max(alignment, alignof(std::max_align_t));
    void* start =
        bytes > (size_t{1} << 48) ? nullptr : std::malloc(bytes + align + sizeof(BlockHeader));
    if (start == nullptr)
        return nullptr;
    const auto first = reinterpret_cast<uintptr_t>(start) + sizeof(BlockHeader);
    const uintptr_t block = (first + align - 1) / align * align;
    *(reinterpret_cast<BlockHeader*>(block) - 1) = {start, bytes};
    if (tallying.load()) {
        const long long now = liveBytes += static_cast<long long>(bytes);
        long long peak = peakBytes.load();
        while (now > peak && !peakBytes.compare_exchange_weak(peak, now)) {
        }
    }
    return reinterpret_cast<void*>(block);
}

void* allocate(size_t bytes, size_t alignment) {
    void* block = tryAllocate(bytes, alignment);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

void release(void* block) {
    if (block == nullptr)
        return;
    const BlockHeader header = *(static_cast<BlockHeader*>(block) - 1);
    if (tallying.load())
        liveBytes -= static_cast<long long>(header.bytes);
    std::free(header.start);
}

}  // namespace

// Every form is replaced, the array ones too: under AddressSanitizer they are its own rather
// than calls of the single forms, and a block must be released by the allocator that made it.
void* operator new(size_t bytes) {
    return allocate(bytes, 0);
}
void* operator new[](size_t bytes) {
    return allocate(bytes, 0);
}
void* operator new(size_t bytes, std::align_val_t alignment) {
    return allocate(bytes, static_cast<size_t>(alignment));
}
void* operator new[](size_t bytes, std::align_val_t alignment) {
    return allocate(bytes, static_cast<size_t>(alignment));
}
// The non-throwing forms too (std::stable_sort's buffer comes from one), so that every
// block is released by the allocator that made it.
void* operator new(size_t bytes, const std::nothrow_t&) noexcept {
    return tryAllocate(bytes, 0);
}
void* operator new[](size_t bytes, const std::nothrow_t&) noexcept {
    return tryAllocate(bytes, 0);
}
void* operator new(size_t bytes, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return tryAllocate(bytes, static_cast<size_t>(alignment));
}
void* operator new[](size_t bytes, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return tryAllocate(bytes, static_cast<size_t>(alignment));
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    release(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    release(block);
}
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    release(block);
}
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    release(block);
}
void operator delete(void* block) noexcept {
    release(block);
}
void operator delete[](void* block) noexcept {
    release(block);
}
void operator delete(void* block, size_t) noexcept {
    release(block);
}
void operator delete[](void* block, size_t) noexcept {
    release(block);
}
void operator delete(void* block, std::align_val_t) noexcept {
    release(block);
}
void operator delete[](void* block, std::align_val_t) noexcept {
    release(block);
}
void operator delete(void* block, size_t, std::align_val_t) noexcept {
    release(block);
}
void operator delete[](void* block, size_t, std::align_val_t) noexcept {
    release(block);
}

namespace kirimo {
namespace {

// A picture's result and everything the engine sets aside to make it stay within one and
// a half times the picture's own size (plus a little for the per-run tables), whatever the
// picture's shape: a very wide picture once needed rows of sixteen bytes a pixel.
TEST(ConversionMemory, StaysWithinTheResultAndHalfThePictureForEveryShape) {
    const struct {
        int width, height;
    } shapes[] = {{1 << 21, 1}, {1, 1 << 19}, {5000, 3}, {300, 200}, {1, 1}};
    const Palette palette = ColourTable().palette();
    for (const auto& shape : shapes) {
        // A smooth picture: diffusion over it meets a limited number of colours.
        PixelBuffer picture = *PixelBuffer::create(shape.width, shape.height);
        for (size_t i = 0; i < picture.size(); ++i) {
            const int v = static_cast<int>((i * 7) % 256);
            picture.data()[i] = makePixel(v, 255 - v, (v / 2 + 40) & 0xFF);
        }
        const long long pictureBytes = static_cast<long long>(picture.size()) * 4;
        for (ColourSpace space : {ColourSpace::Rgb, ColourSpace::Ycc, ColourSpace::Cie}) {
            ConversionSettings settings;
            settings.space = space;
            settings.weights = kJarvisJudiceNinkeWeights;
            for (int n : paletteColours(3))
                settings.usable[n] = true;
            for (bool vector : {true, false}) {
                // The most memory held at once while converting, beside what existed before.
                setVectorConversionAllowed(vector);
                liveBytes = 0;
                peakBytes = 0;
                tallying = true;
                auto result = convertPicture(picture, palette, settings);
                tallying = false;
                setVectorConversionAllowed(true);
                ASSERT_TRUE(result.ok());
                const long long peak = peakBytes.load();
                EXPECT_LE(peak, pictureBytes + pictureBytes / 2 + (1 << 20))
                    << shape.width << " x " << shape.height << " space " << static_cast<int>(space)
                    << " vector " << vector;
                EXPECT_GE(peak, pictureBytes);  // the tally sees the result itself
            }
        }
    }
}

}  // namespace
}  // namespace kirimo
