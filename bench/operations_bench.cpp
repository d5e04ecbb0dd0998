// Picture operations on a 4000 x 3000 picture: transforms, resampling, the filters and the
// zigzag interleaving, each with one thread and with one per hardware thread.
//
// The picture is synthesised (smooth shading, edges and grain, the same on every run)
// unless KIRIMO_BENCH_PICTURE names a picture file to load instead.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QCoreApplication>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/picture_file.h"
#include "imaging/filters.h"
#include "imaging/transforms.h"
#include "imaging/zigzag.h"

namespace kirimo {
namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

// Deterministic picture with photo-like content: two smooth colour gradients, a few
// hard-edged shapes, and pseudo-random grain from a fixed-seed generator.
PixelBuffer synthesisedPhoto(uint32_t seed) {
    PixelBuffer picture = *PixelBuffer::create(kWidth, kHeight);
    uint32_t state = seed;
    const auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    for (int y = 0; y < kHeight; ++y) {
        Pixel* row = picture.row(y);
        for (int x = 0; x < kWidth; ++x) {
            const double u = static_cast<double>(x) / kWidth;
            const double v = static_cast<double>(y) / kHeight;
            double red = 120 + 90 * std::sin(6.0 * u + 2.0 * v);
            double green = 110 + 80 * std::cos(4.0 * v - 3.0 * u);
            double blue = 100 + 70 * std::sin(9.0 * u * v);
            const double dx = x - 2600.0;
            const double dy = y - 1400.0;
            if (dx * dx + dy * dy < 700.0 * 700.0) {
                red = 230 - 60 * v;
                green *= 0.5;
            }
            if ((x / 500 + y / 400) % 7 == 0)
                blue = 40;
            const auto grain = [&next] { return static_cast<int>(next() % 17) - 8; };
            const auto channel = [](double value, int noise) {
                return std::clamp(static_cast<int>(value) + noise, 0, 255);
            };
            row[x] =
                makePixel(channel(red, grain()), channel(green, grain()), channel(blue, grain()));
        }
    }
    return picture;
}

const PixelBuffer& photo() {
    static const PixelBuffer picture = [] {
        if (const char* path = std::getenv("KIRIMO_BENCH_PICTURE")) {
            auto loaded = loadPictureFile(QString::fromLocal8Bit(path));
            if (loaded)
                return std::move(loaded).value();
            std::fprintf(stderr, "%s; using the synthesised picture\n", loaded.error().c_str());
        }
        return synthesisedPhoto(12345);
    }();
    return picture;
}

const PixelBuffer& secondPhoto() {
    static const PixelBuffer picture = synthesisedPhoto(67890);
    return picture;
}

void setCounters(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * int64_t{photo().width()} * photo().height());
}

template <PixelBuffer (*Operation)(const PixelBuffer&, int)>
void pixelOperation(benchmark::State& state) {
    const PixelBuffer& in = photo();
    for (auto _ : state) {
        PixelBuffer out = Operation(in, static_cast<int>(state.range(0)));
        benchmark::DoNotOptimize(out.data());
    }
    setCounters(state);
}

void reduce(benchmark::State& state) {
    for (auto _ : state) {
        auto out = reducePicture(photo(), 2000, 1500, static_cast<int>(state.range(0)));
        benchmark::DoNotOptimize(out->data());
    }
    setCounters(state);
}

void enlarge(benchmark::State& state) {
    for (auto _ : state) {
        auto out = enlargePicture(photo(), 5000, 4000, static_cast<int>(state.range(0)));
        benchmark::DoNotOptimize(out->data());
    }
    setCounters(state);
}

void weighted(benchmark::State& state, WeightedFilter filter) {
    for (auto _ : state) {
        PixelBuffer out = applyWeightedFilter(photo(), filter, static_cast<int>(state.range(0)));
        benchmark::DoNotOptimize(out.data());
    }
    setCounters(state);
}

void zigzag(benchmark::State& state) {
    const ZigzagRequest request{kWidth, kHeight, 10, {}, {}};
    secondPhoto();  // synthesised before timing starts
    for (auto _ : state) {
        auto out = interleaveStrips(photo(), secondPhoto(), request);
        benchmark::DoNotOptimize(out->data());
    }
    setCounters(state);
}

// Arg 1: one thread; arg 0: one per hardware thread.
#define KIRIMO_THREAD_ARGS ->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()

BENCHMARK(pixelOperation<flipVertical>)->Name("flip") KIRIMO_THREAD_ARGS;
BENCHMARK(pixelOperation<mirrorHorizontal>)->Name("mirror") KIRIMO_THREAD_ARGS;
BENCHMARK(pixelOperation<rotateClockwise>)->Name("rotate_cw") KIRIMO_THREAD_ARGS;
BENCHMARK(pixelOperation<rotateCounterClockwise>)->Name("rotate_ccw") KIRIMO_THREAD_ARGS;
BENCHMARK(reduce)->Name("reduce_2000x1500") KIRIMO_THREAD_ARGS;
BENCHMARK(enlarge)->Name("enlarge_5000x4000") KIRIMO_THREAD_ARGS;
BENCHMARK_CAPTURE(weighted, sharpen_weak, WeightedFilter::SharpenWeak) KIRIMO_THREAD_ARGS;
BENCHMARK_CAPTURE(weighted, sharpen_medium, WeightedFilter::SharpenMedium) KIRIMO_THREAD_ARGS;
BENCHMARK_CAPTURE(weighted, sharpen_strong, WeightedFilter::SharpenStrong) KIRIMO_THREAD_ARGS;
BENCHMARK_CAPTURE(weighted, blur, WeightedFilter::Blur) KIRIMO_THREAD_ARGS;
BENCHMARK_CAPTURE(weighted, average, WeightedFilter::Average) KIRIMO_THREAD_ARGS;
BENCHMARK_CAPTURE(weighted, emboss, WeightedFilter::Emboss) KIRIMO_THREAD_ARGS;
BENCHMARK_CAPTURE(weighted, outline, WeightedFilter::Outline) KIRIMO_THREAD_ARGS;
BENCHMARK(pixelOperation<applyMedianFilter>)->Name("median") KIRIMO_THREAD_ARGS;
BENCHMARK(pixelOperation<invertColours>)->Name("invert") KIRIMO_THREAD_ARGS;
BENCHMARK(zigzag)->Name("zigzag_strip10")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace kirimo

int main(int argc, char** argv) {
    // Each iteration allocates a fresh result picture. Keep freed pictures in the process
    // so that iterations measure the operation, not the kernel handing out zeroed pages
    // (on virtual machines that alone can cost more than the operation).
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
