// Pixel arithmetic of the skin, free of Windows: flattening decoded images
// (alpha) into key-coloured bitmaps, and finding the corner pixels that the
// key colour cuts out of a skinned window's region.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace skin {

// The key colour magenta as the bytes of a 32-bit BGRx pixel.
constexpr uint8_t kKeyB = 255, kKeyG = 0, kKeyR = 255;

// One colour channel of a half-transparent pixel blended over white, rounded
// down: (a·(c − 255) + 65025) / 255.
constexpr uint8_t BlendOverWhite(uint8_t c, uint8_t a) {
    return static_cast<uint8_t>((a * (c - 255) + 65025) / 255);
}

// One BGRA pixel → BGRx: opaque stays, fully transparent becomes the key
// colour, anything between is blended over white. The fourth byte is 0.
void FlattenPixel(const uint8_t* bgra, uint8_t* out);

// Converts `height` top-down rows of 32-bit BGRA pixels (row i at
// src + i·srcStride, the stride may be negative) into a bottom-up 32-bit
// bitmap of packed rows (dst holds width·height·4 bytes, its first row is the
// image's last), flattening every pixel.
void FlattenToKeyed(const uint8_t* src, std::ptrdiff_t srcStride, int width, int height, uint8_t* dst);

struct Point {
    int x, y;
    bool operator==(const Point& o) const { return x == o.x && y == o.y; }
};

// Window pixels to remove from a w × h window whose skin is bw × bh: the
// skin's four 9 × 9 corner blocks are compared with the key colour
// (isKey(x, y) in skin coordinates); a key pixel in a top corner removes the
// same pixel of the window, one in a bottom corner the pixel at the same
// distance from the window's bottom. Only pixels inside the window are listed.
std::vector<Point> CornerCutPixels(int skinW, int skinH, int wndW, int wndH,
                                   const std::function<bool(int, int)>& isKey);

}  // namespace skin
