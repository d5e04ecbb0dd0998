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

// Calls body(firstRow, endRow) for contiguous bands covering [0, rows), each on its own
// thread (the first on the calling thread), and returns when all have finished.
template <typename Body>
void forEachRowBand(int rows, int64_t rowWork, int requestedThreads, Body&& body) {
    if (rows <= 0)
        return;
    const int bands = rowBandCount(requestedThreads, rows, rowWork);
    if (bands == 1) {
        body(0, rows);
        return;
    }
    const auto bandStart = [&](int band) { return static_cast<int>(int64_t{rows} * band / bands); };
    std::vector<std::thread> workers;
    workers.reserve(static_cast<size_t>(bands - 1));
    for (int band = 1; band < bands; ++band)
        workers.emplace_back(
            [&body, first = bandStart(band), end = bandStart(band + 1)] { body(first, end); });
    body(0, bandStart(1));
    for (auto& worker : workers)
        worker.join();
}

}  // namespace kirimo
