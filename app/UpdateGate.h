// When the automatic update check runs: at most once per UTC day after an
// applied update, and never on the weekdays chosen at install time.
#pragma once

#include <cstdint>

struct UtcDay {
    int year = 0;
    int month = 0;
    int day = 0;
};

// "DisableDays" read as four bytes (`known` false when it could not be read):
// true when `weekday` (0 Sunday .. 6 Saturday) is one of bytes 0-2. A value of
// 0 disables nothing.
bool IsWeekdayDisabled(bool known, const std::uint8_t (&days)[4], int weekday);

// `lastUpdate` is the stored "UpdTime" date (`haveLast` false when missing);
// `today` and `weekday` are the current UTC date and day of week.
bool IsCheckDue(bool haveLast, const UtcDay& lastUpdate, const UtcDay& today, int weekday, bool daysKnown,
                const std::uint8_t (&days)[4]);
