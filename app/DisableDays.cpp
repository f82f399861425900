#include "app/DisableDays.h"

std::uint32_t ComputeDisableDays(int ms, int r1, int r2) {
    // Sums are taken as unsigned 32-bit numbers: a negative intermediate wraps
    // before the modulo, exactly as the stored values of earlier installs did.
    std::uint32_t c = (std::uint32_t(r1) + 7u - std::uint32_t(ms)) % 7u;
    std::uint32_t e = (std::uint32_t(r2) + 7u - std::uint32_t(ms)) % 7u;
    std::uint32_t d = std::uint32_t(ms) % 7u;
    if (d == c) d = (d + 6) % 7;
    if (e == c) e = (e + 1) % 7;
    return e + 256u * c + 65536u * d;
}
