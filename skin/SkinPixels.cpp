#include "skin/SkinPixels.h"

#include <algorithm>

namespace skin {

void FlattenPixel(const uint8_t* bgra, uint8_t* out) {
    const uint8_t a = bgra[3];
    if (a == 255) {
        out[0] = bgra[0];
        out[1] = bgra[1];
        out[2] = bgra[2];
    } else if (a == 0) {
        out[0] = kKeyB;
        out[1] = kKeyG;
        out[2] = kKeyR;
    } else {
        out[0] = BlendOverWhite(bgra[0], a);
        out[1] = BlendOverWhite(bgra[1], a);
        out[2] = BlendOverWhite(bgra[2], a);
    }
    out[3] = 0;
}

void FlattenToKeyed(const uint8_t* src, std::ptrdiff_t srcStride, int width, int height, uint8_t* dst) {
    if (!src || !dst || width <= 0 || height <= 0) return;
    const std::size_t dstStride = static_cast<std::size_t>(width) * 4;
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = src + srcStride * y;
        uint8_t* out = dst + dstStride * static_cast<std::size_t>(height - 1 - y);
        for (int x = 0; x < width; ++x) FlattenPixel(in + 4 * x, out + 4 * x);
    }
}

std::vector<Point> CornerCutPixels(int skinW, int skinH, int wndW, int wndH,
                                   const std::function<bool(int, int)>& isKey) {
    std::vector<Point> cut;
    if (skinW <= 0 || skinH <= 0 || wndW <= 0 || wndH <= 0) return cut;
    auto add = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= wndW || y >= wndH) return;
        if (std::find(cut.begin(), cut.end(), Point{x, y}) == cut.end()) cut.push_back({x, y});
    };
    const int cols = std::min(9, skinW);
    // Both corner rows of the skin, each with the window row it shapes.
    auto scanRow = [&](int skinRow, int wndRow) {
        for (int c = 0; c < cols; ++c) {
            if (isKey(c, skinRow)) add(c, wndRow);
            if (isKey(skinW - 1 - c, skinRow)) add(wndW - 1 - c, wndRow);
        }
    };
    for (int r = 0; r < std::min(9, skinH); ++r) scanRow(r, r);
    for (int r = std::max(0, skinH - 9); r < skinH; ++r) scanRow(r, wndH - skinH + r);
    return cut;
}

}  // namespace skin
