// The weekdays on which the automatic update check is skipped, chosen at
// install time so that clients spread their checks over the week.
#pragma once

#include <cstdint>

// The C runtime's classic generator (state * 214013 + 2531011, output bits
// 16-30), which the stored values were always drawn from. Never seeded: a new
// generator starts at state 1, as a fresh process does.
class ClassicLcg {
public:
    int Next() {
        m_state = m_state * 214013u + 2531011u;
        return int((m_state >> 16) & 0x7FFF);
    }

private:
    std::uint32_t m_state = 1;
};

// The 4-byte "DisableDays" value (little-endian: weekdays e, c, d and a zero
// byte) for the millisecond field `ms` (0-999) of the current UTC time and two
// successive generator outputs r1, r2. Neither d nor e equals c.
std::uint32_t ComputeDisableDays(int ms, int r1, int r2);
