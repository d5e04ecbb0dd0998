// Conversion engine speed (on every core, and on one for the serial path) on a 4000 x 3000
// photograph (the bundled sample, enlarged), or on
// the picture named by KIRIMO_BENCH_PICTURE.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <cstdlib>

#include "core/colour_table.h"
#include "core/picture_file.h"
#include "imaging/cie_search.h"
#include "imaging/conversion.h"

namespace {

const kirimo::PixelBuffer& photograph() {
    static const kirimo::PixelBuffer picture = [] {
        const char* named = std::getenv("KIRIMO_BENCH_PICTURE");
        const QString path = named ? QString::fromLocal8Bit(named)
                                   : QStringLiteral(KIRIMO_SOURCE_DIR "/samples/cat.jpg");
        auto image = kirimo::loadPictureImage(path);
        if (!image)
            std::abort();
        QImage scaled =
            named ? *image
                  : image->scaled(4000, 3000, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                        .convertToFormat(QImage::Format_RGB32);
        kirimo::PixelBuffer buffer;
        kirimo::readPixels(scaled, buffer);
        return buffer;
    }();
    return picture;
}

// threads: 0 for one per core, as the program runs.
void convert(benchmark::State& state, kirimo::ColourSpace space, int paletteKind,
             std::array<int16_t, kirimo::kWeightCount> weights, int threads = 0) {
    const kirimo::PixelBuffer& picture = photograph();
    const kirimo::Palette palette = kirimo::ColourTable().palette();
    kirimo::ConversionSettings settings;
    settings.space = space;
    settings.weights = weights;
    for (int n : kirimo::paletteColours(paletteKind))
        settings.usable[n] = true;
    for (auto _ : state) {
        auto result = kirimo::convertPicture(picture, palette, settings, threads);
        benchmark::DoNotOptimize(result);
    }
    const double pixels = static_cast<double>(picture.size());
    state.counters["ns_per_pixel"] = benchmark::Counter(
        pixels, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void FloydSteinbergRgb18(benchmark::State& s) {
    convert(s, kirimo::ColourSpace::Rgb, 3, kirimo::kFloydSteinbergWeights);
}
void FloydSteinbergRgb8(benchmark::State& s) {
    convert(s, kirimo::ColourSpace::Rgb, 1, kirimo::kFloydSteinbergWeights);
}
void JarvisRgb18(benchmark::State& s) {
    convert(s, kirimo::ColourSpace::Rgb, 3, kirimo::kJarvisJudiceNinkeWeights);
}
// A kernel of the user's own, with cells left at 0 (Stucki's shape without its far row).
void CustomKernelRgb18OneThread(benchmark::State& s) {
    convert(s, kirimo::ColourSpace::Rgb, 3, {8, 4, 2, 4, 8, 4, 2, 0, 0, 0, 0, 0}, 1);
}
void FloydSteinbergRgb18OneThread(benchmark::State& s) {
    convert(s, kirimo::ColourSpace::Rgb, 3, kirimo::kFloydSteinbergWeights, 1);
}
void JarvisRgb18OneThread(benchmark::State& s) {
    convert(s, kirimo::ColourSpace::Rgb, 3, kirimo::kJarvisJudiceNinkeWeights, 1);
}
void FloydSteinbergYcc18(benchmark::State& s) {
    convert(s, kirimo::ColourSpace::Ycc, 3, kirimo::kFloydSteinbergWeights);
}
void FloydSteinbergYcc18OneThread(benchmark::State& s) {
    convert(s, kirimo::ColourSpace::Ycc, 3, kirimo::kFloydSteinbergWeights, 1);
}
void FloydSteinbergCie18(benchmark::State& s) {
    convert(s, kirimo::ColourSpace::Cie, 3, kirimo::kFloydSteinbergWeights);
}

// One CIE search (no answer table, no diffusion) per colour of a fixed pseudo-random walk.
void CieSearchOnly(benchmark::State& state, bool estimates) {
    const kirimo::Palette palette = kirimo::ColourTable().palette();
    std::array<bool, kirimo::kColourCount> usable{};
    usable.fill(true);
    const kirimo::CieSearch search(palette, usable);
    uint32_t seed = 1;
    int sum = 0;
    for (auto _ : state) {
        seed = seed * 1664525u + 1013904223u;
        const int r = static_cast<int>(seed >> 24), g = static_cast<int>(seed >> 16 & 255),
                  b = static_cast<int>(seed >> 8 & 255);
        sum += estimates ? search.estimated(r, g, b).colour : search.pruned(r, g, b).colour;
    }
    benchmark::DoNotOptimize(sum);
}
void CieSearchEstimated(benchmark::State& s) {
    CieSearchOnly(s, true);
}
void CieSearchPruned(benchmark::State& s) {
    CieSearchOnly(s, false);
}

// The estimates alone, of one colour to all eighteen.
void CieEstimatesOnly(benchmark::State& state) {
    const kirimo::Palette palette = kirimo::ColourTable().palette();
    std::array<bool, kirimo::kColourCount> usable{};
    usable.fill(true);
    const kirimo::CieSearch search(palette, usable);
    if (!kirimo::CieSearch::estimatesAvailable()) {
        state.SkipWithError("no AVX2");
        return;
    }
    uint32_t seed = 1;
    double sum = 0;
    alignas(32) std::array<double, kirimo::CieSearch::kLanes> e;
    for (auto _ : state) {
        seed = seed * 1664525u + 1013904223u;
        search.estimate(
            kirimo::srgbToLabNear(static_cast<int>(seed >> 24), static_cast<int>(seed >> 16 & 255),
                                  static_cast<int>(seed >> 8 & 255)),
            e);
        sum += e[3];
    }
    benchmark::DoNotOptimize(sum);
}

BENCHMARK(CieEstimatesOnly);
BENCHMARK(CieSearchEstimated);
BENCHMARK(CieSearchPruned);
BENCHMARK(FloydSteinbergRgb18)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(FloydSteinbergRgb8)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(JarvisRgb18)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(FloydSteinbergRgb18OneThread)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(JarvisRgb18OneThread)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(CustomKernelRgb18OneThread)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(FloydSteinbergYcc18)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(FloydSteinbergYcc18OneThread)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(FloydSteinbergCie18)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
