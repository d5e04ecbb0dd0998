#pragma once
// A plain transcription of the conversion rules, one pixel and one channel at a time,
// used to check the engine's table-driven loop on many pictures.

#include <cmath>

#include "imaging/conversion.h"
#include "imaging/numeric.h"

namespace kirimo::test {

inline ConversionResult referenceConversion(const PixelBuffer& source, const Palette& palette,
                                            const ConversionSettings& settings) {
    static constexpr int dxs[12] = {1, 2, -2, -1, 0, 1, 2, -2, -1, 0, 1, 2};
    static constexpr int dys[12] = {0, 0, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2};
    const float dR = static_cast<float>(settings.density[0] / 10.0);
    const float dG = static_cast<float>(settings.density[1] / 10.0);
    const float dB = static_cast<float>(settings.density[2] / 10.0);
    const float rate = static_cast<float>(settings.rate / 100.0);
    float w[12];
    float s = 0;
    for (int k = 0; k < 12; ++k) {
        w[k] = static_cast<float>(settings.weights[k]);
        s += w[k];
    }
    if (s > 0) {
        for (float& v : w)
            v = v / s;
    }
    const int W = source.width();
    const int H = source.height();
    std::vector<int> ch(static_cast<size_t>(W) * H * 3);
    auto at = [&](int x, int y, int c) -> int& {
        return ch[(static_cast<size_t>(y) * W + x) * 3 + c];
    };
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            at(x, y, 0) = pixelRed(source.at(x, y));
            at(x, y, 1) = pixelGreen(source.at(x, y));
            at(x, y, 2) = pixelBlue(source.at(x, y));
        }
    ConversionResult result;
    result.pixels = *PixelBuffer::create(W, H);
    int last = 0;
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const int R = at(x, y, 0), G = at(x, y, 1), B = at(x, y, 2);
            const NearestColour nc = findNearestColour(R, G, B, palette, settings);
            const int c = nc.colour;
            last = c;
            ++result.counts[c];
            int eR = R - palette[c].red, eG = G - palette[c].green, eB = B - palette[c].blue;
            eR = static_cast<int>(
                roundHalfEven(static_cast<double>(dR) * eR * static_cast<double>(rate)));
            eG = static_cast<int>(
                roundHalfEven(static_cast<double>(dG) * eG * static_cast<double>(rate)));
            eB = static_cast<int>(
                roundHalfEven(static_cast<double>(dB) * eB * static_cast<double>(rate)));
            at(x, y, 0) = palette[c].red;
            at(x, y, 1) = palette[c].green;
            at(x, y, 2) = palette[c].blue;
            if (nc.distance > 0) {
                for (int k = 0; k < 12; ++k) {
                    const int nx = x + dxs[k], ny = y + dys[k];
                    if (!(w[k] > 0) || nx < 0 || nx > W - 1 || ny > H - 1)
                        continue;
                    const int errors[3] = {eR, eG, eB};
                    for (int channel : {2, 1, 0}) {
                        const double v = roundHalfEven(static_cast<double>(w[k]) * errors[channel] +
                                                       at(nx, ny, channel));
                        at(nx, ny, channel) = static_cast<int>(std::clamp(v, 0.0, 255.0));
                    }
                }
            }
            result.pixels.at(x, y) = makePixel(at(x, y, 0), at(x, y, 1), at(x, y, 2));
        }
    }
    result.lastColour = last;
    return result;
}

}  // namespace kirimo::test
