#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "app/Activity.h"

namespace {

// Runs a test body in a given time zone and restores the previous one.
class InZone {
public:
    explicit InZone(const char* tz) {
        const char* old = std::getenv("TZ");
        m_hadOld = old != nullptr;
        if (old) m_old = old;
        setenv("TZ", tz, 1);
        tzset();
    }
    ~InZone() {
        if (m_hadOld) setenv("TZ", m_old.c_str(), 1); else unsetenv("TZ");
        tzset();
    }

private:
    bool m_hadOld = false;
    std::string m_old;
};

std::time_t LocalTime(int y, int mo, int d, int h, int mi = 0) {
    std::tm t{};
    t.tm_year = y - 1900;
    t.tm_mon = mo - 1;
    t.tm_mday = d;
    t.tm_hour = h;
    t.tm_min = mi;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

TEST(StoredDate, ParsesYearMonthDayAndTreatsTheRestAsMissing) {
    StoredDate d = ParseStoredDate(L"2014/7/21");
    EXPECT_TRUE(d.valid);
    EXPECT_EQ(d.year, 2014);
    EXPECT_EQ(d.month, 7);
    EXPECT_EQ(d.day, 21);
    EXPECT_FALSE(ParseStoredDate(L"0").valid);
    EXPECT_FALSE(ParseStoredDate(L"").valid);
    EXPECT_FALSE(ParseStoredDate(L"2014/7").valid);
    EXPECT_FALSE(ParseStoredDate(L"2014/13/1").valid);
    EXPECT_FALSE(ParseStoredDate(L"1899/1/1").valid);
    EXPECT_FALSE(ParseStoredDate(L"2014/7/32").valid);
    EXPECT_FALSE(ParseStoredDate(L"abc/def/ghi").valid);
    EXPECT_FALSE(ParseStoredDate(L"99999999999/1/1").valid);
    // First and last slash: the middle part is read by its leading digits.
    d = ParseStoredDate(L"2015/3/x/9");
    EXPECT_TRUE(d.valid);
    EXPECT_EQ(d.month, 3);
    EXPECT_EQ(d.day, 9);
}

TEST(DayDifference, CountsCalendarDaysIncludingFutureDates) {
    InZone zone("UTC0");
    std::time_t now = LocalTime(2026, 12, 8, 10);
    EXPECT_EQ(DayDifference(ParseStoredDate(L"2026/12/8"), now), 0);
    EXPECT_EQ(DayDifference(ParseStoredDate(L"2026/12/7"), now), 1);
    EXPECT_EQ(DayDifference(ParseStoredDate(L"2026/12/5"), now), 3);
    EXPECT_EQ(DayDifference(ParseStoredDate(L"2026/11/28"), now), 10);
    EXPECT_EQ(DayDifference(ParseStoredDate(L"2026/12/9"), now), -1);
    EXPECT_EQ(DayDifference(ParseStoredDate(L"2025/12/8"), now), 365);
    EXPECT_EQ(DayDifference(ParseStoredDate(L"0"), now), 0);
}

TEST(DayDifference, SurvivesDaylightSavingChanges) {
    InZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    // Spring forward on 29 March 2026: the day before has 24 hours of wall
    // clock but only 23 real ones.
    EXPECT_EQ(DayDifference(ParseStoredDate(L"2026/3/28"), LocalTime(2026, 3, 29, 12)), 1);
    EXPECT_EQ(DayDifference(ParseStoredDate(L"2026/3/27"), LocalTime(2026, 3, 30, 0, 30)), 3);
    // Fall back on 25 October 2026.
    EXPECT_EQ(DayDifference(ParseStoredDate(L"2026/10/24"), LocalTime(2026, 10, 25, 23)), 1);
    EXPECT_EQ(DayDifference(ParseStoredDate(L"2026/10/26"), LocalTime(2026, 10, 25, 12)), -1);
}

TEST(Counters, LeadingDigitsOnly) {
    EXPECT_EQ(ParseCounter(L"abc"), 0u);
    EXPECT_EQ(ParseCounter(L"12abc"), 12u);
    EXPECT_EQ(ParseCounter(L""), 0u);
    EXPECT_EQ(ParseCounter(L"4294967295"), 4294967295u);
    EXPECT_EQ(ParseCounter(L"99999999999999999999"), 4294967295u);
    EXPECT_EQ(ParseProfileInt(L"-5x"), -5);
    EXPECT_EQ(ParseProfileInt(L"x"), 0);
    EXPECT_EQ(ParseProfileInt(L"128"), 128);
}

TEST(ActivityMask, ShiftsByDaysKeepsSixBitsAndSetsToday) {
    EXPECT_EQ(NextActivityMask(0, 0), 1);
    EXPECT_EQ(NextActivityMask(1, 1), 3);
    EXPECT_EQ(NextActivityMask(0x3F, 1), 0x7F);
    EXPECT_EQ(NextActivityMask(0x7F, 1), 0x7F);  // bit 7 dropped, today set
    EXPECT_EQ(NextActivityMask(5, 3), ((5 << 3) & 126) | 1);
    EXPECT_EQ(NextActivityMask(0x7F, 7), 1);
    EXPECT_EQ(NextActivityMask(0x7F, -1), 1);
    EXPECT_EQ(NextActivityMask(128, 0), 1);   // 128 used unchanged: (128 & 126) | 1
    EXPECT_EQ(NextActivityMask(129, 1), 1);   // above 128 counts as 0
    EXPECT_EQ(NextActivityMask(3, 0), 3);
    EXPECT_EQ(CountActivityDays(0x7F), 7);
    EXPECT_EQ(CountActivityDays(0x80 | 1), 1);
}

TEST(ActivityFigures, TheStartScenarios) {
    // First start ever: no stored values, day difference 0.
    ActivityFigures f = ComputeActivity(0, 1, 0);
    EXPECT_EQ(f.mask, 1);
    EXPECT_EQ(f.weekdays, 1);
    EXPECT_EQ(f.keepdays, 1u);
    EXPECT_EQ(f.apartdays, 0);
    // Same day again: unchanged.
    f = ComputeActivity(3, 4, 0);
    EXPECT_EQ(f.weekdays, 2);
    EXPECT_EQ(f.keepdays, 4u);
    EXPECT_EQ(f.apartdays, 0);
    // Next day after a run of days.
    f = ComputeActivity(0x3F, 6, 1);
    EXPECT_EQ(f.weekdays, 7);
    EXPECT_EQ(f.keepdays, 7u);
    EXPECT_EQ(f.apartdays, 0);
    // Three days later.
    f = ComputeActivity(0x7, 3, 3);
    EXPECT_EQ(f.mask, 0x39);
    EXPECT_EQ(f.keepdays, 1u);
    EXPECT_EQ(f.apartdays, 2);
    // Ten days later.
    f = ComputeActivity(0x7F, 9, 10);
    EXPECT_EQ(f.mask, 1);
    EXPECT_EQ(f.weekdays, 1);
    EXPECT_EQ(f.keepdays, 1u);
    EXPECT_EQ(f.apartdays, 9);
    // Stored date one day in the future.
    f = ComputeActivity(0x7F, 9, -1);
    EXPECT_EQ(f.mask, 1);
    EXPECT_EQ(f.keepdays, 1u);
    EXPECT_EQ(f.apartdays, -2);
}

TEST(StoredDate, FormatHasNoLeadingZeros) {
    EXPECT_EQ(FormatStoredDate(2026, 1, 5), L"2026/1/5");
}

}  // namespace
