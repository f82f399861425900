#include "app/UpdateGate.h"

bool IsWeekdayDisabled(bool known, const std::uint8_t (&days)[4], int weekday) {
    if (!known || (days[0] | days[1] | days[2] | days[3]) == 0) return false;
    return weekday == days[0] || weekday == days[1] || weekday == days[2];
}

bool IsCheckDue(bool haveLast, const UtcDay& lastUpdate, const UtcDay& today, int weekday, bool daysKnown,
                const std::uint8_t (&days)[4]) {
    if (haveLast && lastUpdate.year == today.year && lastUpdate.month == today.month && lastUpdate.day == today.day)
        return false;
    return !IsWeekdayDisabled(daysKnown, days, weekday);
}
