#pragma once
// Splitting a pass over picture rows into contiguous bands run on separate threads.
// Only for passes in which every output row depends on the input alone, so the result is
// the same whatever the number of bands.

#include <algorithm>
#include <cstdint>
#include <thread>
#include <vector>

namespace kirimo {

// The number of bands a pass over `rows` rows of `rowWork` pixels each runs in.
// requested > 0: that many (never more than there are rows). requested <= 0: one per
// hardware thread, but only for pictures large enough to repay starting threads.
inline int rowBandCount(int requested, int rows, int64_t rowWork) {
    if (rows <= 1)
        return 1;
    if (requested > 0)
        return std::min(requested, rows);
    constexpr int64_t kMinimumWorkPerBand = 1 << 16;
    const int64_t total = int64_t{rows} * std::max<int64_t>(rowWork, 1);
    const int64_t byWork = std::max<int64_t>(1, total / kMinimumWorkPerBand);
    const int hardware = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    return static_cast<int>(std::min<int64_t>({hardware, rows, byWork}));
}

// Where the bands of such a pass begin, then `rows`: one more entry than there are bands.
inline std::vector<int> rowBandBounds(int rows, int64_t rowWork, int requestedThreads) {
    const int bands = rows > 0 ? rowBandCount(requestedThreads, rows, rowWork) : 1;
    std::vector<int> bounds(static_cast<size_t>(bands) + 1);
    for (int band = 0; band <= bands; ++band)
        bounds[static_cast<size_t>(band)] =
            static_cast<int>(int64_t{std::max(rows, 0)} * band / bands);
    return bounds;
}

// Calls body(band) for bands 0 to bands - 1, each on its own thread (the first on the
// calling thread), and returns when all have finished.
template <typename Body>
void forEachBand(size_t bands, Body&& body) {
    std::vector<std::thread> workers;
    workers.reserve(bands - 1);
    for (size_t band = 1; band < bands; ++band)
        workers.emplace_back([&body, band] { body(band); });
    body(size_t{0});
    for (auto& worker : workers)
        worker.join();
}

// Calls body(firstRow, endRow) for contiguous bands covering [0, rows), each on its own
// thread (the first on the calling thread), and returns when all have finished.
template <typename Body>
void forEachRowBand(int rows, int64_t rowWork, int requestedThreads, Body&& body) {
    if (rows <= 0)
        return;
    const std::vector<int> bounds = rowBandBounds(rows, rowWork, requestedThreads);
    forEachBand(bounds.size() - 1, [&](size_t band) { body(bounds[band], bounds[band + 1]); });
}

}  // namespace kirimo
