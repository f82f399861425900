// Statistic.ini and the program's registry key.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

inline constexpr wchar_t kIniSection[] = L"Quon";
inline constexpr wchar_t kRegKeyPath[] = L"Software\\Vexo\\GameLogin\\Quon";

// DataFolder + "\Statistic.ini": counters, dates, activity mask.
std::wstring StatisticsFilePath();
// The executable's folder + "\Statistic.ini": the hot keys.
std::wstring HotKeyFilePath();

std::wstring ReadStatValue(const wchar_t* key, const wchar_t* defaultValue, DWORD maxChars);
void WriteStatValue(const wchar_t* key, const std::wstring& value);

// Reads the counter (default "0"), adds one, writes it back with "%u".
std::uint32_t BumpStatCounter(const wchar_t* key);

// "lstTime" as stored when this process first asked (cached in g_szLastTime).
std::wstring CachedLastTime();

bool RecordUpdateTime();
// "RefusedKey" beside "UpdTime": the published key of an update whose
// executable did not come up and was rolled back, so that it is not fetched
// again. Empty when none was refused.
bool RecordRefusedKey(const std::wstring& key);
std::wstring RefusedKey();
bool WriteDisableDays();
bool IsUpdateCheckDue();
bool IsUpdateDisabledToday(int weekday);

// Browser cache limit (1048576 KB), written only where the browser has
// created its key; false when the key is missing or the value was not written.
bool SetCacheLimit();
