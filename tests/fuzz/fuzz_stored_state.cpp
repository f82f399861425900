// Stored dates and counters of Statistic.ini.
#include "FuzzInput.h"
#include "app/Activity.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring text = WideFrom(data, size);
    StoredDate date = ParseStoredDate(text);
    if (date.valid) {
        FUZZ_CHECK(date.year >= 1900 && date.month >= 1 && date.month <= 12 && date.day >= 1 && date.day <= 31);
        // A valid stored date is what the launcher writes, and reads back the same.
        StoredDate again = ParseStoredDate(FormatStoredDate(date.year, date.month, date.day));
        FUZZ_CHECK(again.valid && again.year == date.year && again.month == date.month && again.day == date.day);
        DayDifference(date, 1765238400);  // 2025-12-09
    }
    ParseCounter(text);
    int mask = ParseProfileInt(text);
    for (int d : {-1, 0, 1, 3, 6, 7, 100}) {
        int next = NextActivityMask(mask, d);
        FUZZ_CHECK(next >= 1 && next <= 127 && (next & 1));
        int days = CountActivityDays(next);
        FUZZ_CHECK(days >= 1 && days <= 7);
    }
    return 0;
}
