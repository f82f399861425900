#include "app/Activity.h"

#include <cwchar>

namespace {

int LeadingNumber(const std::wstring& text, std::size_t from, std::size_t to) {
    long long value = 0;
    for (std::size_t i = from; i < to && i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c < L'0' || c > L'9') break;
        value = value * 10 + (c - L'0');
        if (value > 100000) return -1;  // no date part is this long
    }
    return int(value);
}

}  // namespace

StoredDate ParseStoredDate(const std::wstring& text) {
    StoredDate d;
    std::size_t first = text.find(L'/');
    std::size_t last = text.rfind(L'/');
    if (first == std::wstring::npos || first == last) return d;
    d.year = LeadingNumber(text, 0, first);
    d.month = LeadingNumber(text, first + 1, last);
    d.day = LeadingNumber(text, last + 1, text.size());
    d.valid = d.year >= 1900 && d.month >= 1 && d.month <= 12 && d.day >= 1 && d.day <= 31;
    return d;
}

// Days since 1970-01-01 of a proleptic Gregorian date; months and days out of
// their range roll over as mktime would roll them.
static long long DaysFromCivil(long long y, long long m, long long d) {
    y += (m - 1) / 12;
    m = (m - 1) % 12 + 1;
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int DayDifference(const StoredDate& stored, std::time_t now) {
    if (!stored.valid) return 0;
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    // Counted on the calendar, not as elapsed seconds / 86400: across a
    // daylight-saving change a calendar day lasts 23 or 25 hours, and the
    // second count would call yesterday "today".
    long long today = DaysFromCivil(local.tm_year + 1900LL, local.tm_mon + 1LL, local.tm_mday);
    long long last = DaysFromCivil(stored.year, stored.month, stored.day);
    return int(today - last);
}

std::uint32_t ParseCounter(const std::wstring& text) {
    std::uint64_t value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') break;
        value = value * 10 + unsigned(c - L'0');
        if (value > 0xFFFFFFFFull) return 0xFFFFFFFFu;
    }
    return std::uint32_t(value);
}

int ParseProfileInt(const std::wstring& text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    long long value = 0;
    for (; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c < L'0' || c > L'9') break;
        value = value * 10 + (c - L'0');
        if (value > 0x7FFFFFFF) value = 0x7FFFFFFF;
    }
    return int(negative ? -value : value);
}

int NextActivityMask(int storedMask, int dayDiff) {
    int old = storedMask > 128 ? 0 : storedMask;
    if (dayDiff < 0 || dayDiff > 6) return 1;
    return ((unsigned(old) << dayDiff) & 126u) | 1u;
}

int CountActivityDays(int mask) {
    int n = 0;
    for (int k = 0; k < 7; ++k) n += (mask >> k) & 1;
    return n;
}

ActivityFigures ComputeActivity(int storedMask, std::uint32_t storedKeepdays, int dayDiff) {
    ActivityFigures f;
    f.mask = NextActivityMask(storedMask, dayDiff);
    f.weekdays = CountActivityDays(f.mask);
    if (dayDiff == 0)
        f.keepdays = storedKeepdays;
    else if (dayDiff == 1)
        f.keepdays = storedKeepdays + 1;
    else
        f.keepdays = 1;
    f.apartdays = (dayDiff >= 2 || dayDiff < 0) ? dayDiff - 1 : 0;
    return f;
}

std::wstring FormatStoredDate(int year, int month, int day) {
    wchar_t buf[32];
    std::swprintf(buf, 32, L"%d/%d/%d", year, month, day);
    return buf;
}
