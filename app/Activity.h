// Arithmetic of the activity figures sent with every game start, and of the
// stored "lstTime" date it is measured against. No Windows here.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

struct StoredDate {
    bool valid = false;  // false: missing or unusable, meaning "today"
    int year = 0, month = 0, day = 0;
};

// "2014/7/21" -> 21 July 2014. Needs a first and a last "/" at different
// positions; the three numbers are read as leading digits. Numbers that do not
// form a date (year before 1900, month outside 1-12, day outside 1-31) count as
// missing.
StoredDate ParseStoredDate(const std::wstring& text);

// Calendar days from the stored date to the local date of `now`: 1 for
// yesterday, negative when the stored date lies in the future, 0 for a missing
// date.
int DayDifference(const StoredDate& stored, std::time_t now);

// Leading decimal digits of a stored counter; text that does not start with a
// digit gives 0. Saturates instead of wrapping.
std::uint32_t ParseCounter(const std::wstring& text);
// Leading optional sign and digits, like the profile integer reader; 0 if none.
int ParseProfileInt(const std::wstring& text);

// Bit k of the mask: a game start k days before the last one (k = 0..6).
int NextActivityMask(int storedMask, int dayDiff);
int CountActivityDays(int mask);

struct ActivityFigures {
    int mask = 1;          // written to "weekdays"
    int weekdays = 1;      // set bits of mask
    std::uint32_t keepdays = 1;
    int apartdays = 0;
};

// storedMask: "weekdays" as read (above 128 counts as 0). storedKeepdays:
// "keepdays" as read (default 1).
ActivityFigures ComputeActivity(int storedMask, std::uint32_t storedKeepdays, int dayDiff);

// "%d/%d/%d" of a local date.
std::wstring FormatStoredDate(int year, int month, int day);
