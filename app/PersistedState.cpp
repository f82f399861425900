#include "app/PersistedState.h"

#include <cwchar>

#include "app/Activity.h"
#include "app/DisableDays.h"
#include "app/Paths.h"
#include "app/UpdateGate.h"

wchar_t g_szLastTime[16] = {};

namespace {

constexpr DWORD kCacheLimitKb = 0x100000;
const wchar_t kCacheContentKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\5.0\\Cache\\Content";

HKEY OpenProgramKey(REGSAM access) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kRegKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                          access, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

bool WriteBinary(const wchar_t* name, const void* data, DWORD size) {
    HKEY key = OpenProgramKey(KEY_WRITE);
    if (!key) return false;
    ::RegSetValueExW(key, name, 0, REG_BINARY, static_cast<const BYTE*>(data), size);
    ::RegCloseKey(key);
    return true;
}

// Reads exactly `size` bytes of a binary value; false if it is missing or of
// another size.
bool ReadBinary(const wchar_t* name, void* data, DWORD size) {
    HKEY key = OpenProgramKey(KEY_READ);
    if (!key) return false;
    DWORD got = size;
    DWORD type = 0;
    LONG rc = ::RegQueryValueExW(key, name, nullptr, &type, static_cast<BYTE*>(data), &got);
    ::RegCloseKey(key);
    return rc == ERROR_SUCCESS && got == size;
}

}  // namespace

std::wstring StatisticsFilePath() { return DataFolder() + L"\\Statistic.ini"; }

std::wstring HotKeyFilePath() { return ModuleDirPath(L"Statistic.ini"); }

std::wstring ReadStatValue(const wchar_t* key, const wchar_t* defaultValue, DWORD maxChars) {
    wchar_t buf[64] = {};
    if (maxChars + 1 > 64) maxChars = 63;
    ::GetPrivateProfileStringW(kIniSection, key, defaultValue, buf, maxChars + 1,
                               StatisticsFilePath().c_str());
    return buf;
}

void WriteStatValue(const wchar_t* key, const std::wstring& value) {
    ::WritePrivateProfileStringW(kIniSection, key, value.c_str(), StatisticsFilePath().c_str());
}

std::uint32_t BumpStatCounter(const wchar_t* key) {
    std::uint32_t value = ParseCounter(ReadStatValue(key, L"0", 31)) + 1;
    wchar_t text[16];
    std::swprintf(text, 16, L"%u", value);
    WriteStatValue(key, text);
    return value;
}

std::wstring CachedLastTime() {
    if (g_szLastTime[0] == 0)
        ::GetPrivateProfileStringW(kIniSection, L"lstTime", L"0", g_szLastTime, 16,
                                   StatisticsFilePath().c_str());
    return g_szLastTime;
}

bool RecordUpdateTime() {
    SYSTEMTIME now;
    ::GetSystemTime(&now);
    return WriteBinary(L"UpdTime", &now, sizeof now);
}

bool RecordRefusedKey(const std::wstring& key) {
    HKEY regKey = OpenProgramKey(KEY_WRITE);
    if (!regKey) return false;
    const bool set = ::RegSetValueExW(regKey, L"RefusedKey", 0, REG_SZ, reinterpret_cast<const BYTE*>(key.c_str()),
                                      DWORD((key.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    ::RegCloseKey(regKey);
    return set;
}

std::wstring RefusedKey() {
    HKEY regKey = OpenProgramKey(KEY_READ);
    if (!regKey) return L"";
    wchar_t value[64] = {};
    DWORD got = sizeof value - sizeof(wchar_t);  // always leaves the terminator
    DWORD type = 0;
    const LONG rc = ::RegQueryValueExW(regKey, L"RefusedKey", nullptr, &type, reinterpret_cast<BYTE*>(value), &got);
    ::RegCloseKey(regKey);
    return rc == ERROR_SUCCESS && type == REG_SZ ? std::wstring(value) : std::wstring();
}

bool WriteDisableDays() {
    SYSTEMTIME now;
    ::GetSystemTime(&now);
    ClassicLcg lcg;  // never seeded, as the values of every earlier install
    int r1 = lcg.Next();
    int r2 = lcg.Next();
    std::uint32_t value = ComputeDisableDays(now.wMilliseconds, r1, r2);
    BYTE bytes[4] = {BYTE(value), BYTE(value >> 8), BYTE(value >> 16), BYTE(value >> 24)};
    return WriteBinary(L"DisableDays", bytes, sizeof bytes);
}

bool IsUpdateDisabledToday(int weekday) {
    std::uint8_t days[4] = {};
    const bool known = ReadBinary(L"DisableDays", days, sizeof days);
    return IsWeekdayDisabled(known, days, weekday);
}

bool IsUpdateCheckDue() {
    HKEY key = OpenProgramKey(KEY_READ);
    if (!key) {
        ::OutputDebugStringW(L"VexoQuon: update check skipped, the program key cannot be opened\n");
        return false;  // nothing could be recorded, so never check
    }
    ::RegCloseKey(key);
    SYSTEMTIME stored{};
    SYSTEMTIME now;
    ::GetSystemTime(&now);
    const bool haveLast = ReadBinary(L"UpdTime", &stored, sizeof stored);
    std::uint8_t days[4] = {};
    const bool daysKnown = ReadBinary(L"DisableDays", days, sizeof days);
    return IsCheckDue(haveLast, UtcDay{stored.wYear, stored.wMonth, stored.wDay},
                      UtcDay{now.wYear, now.wMonth, now.wDay}, now.wDayOfWeek, daysKnown, days);
}

bool SetCacheLimit() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kCacheContentKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return false;
    DWORD limit = kCacheLimitKb;
    const bool set = ::RegSetValueExW(key, L"CacheLimit", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&limit),
                                      sizeof limit) == ERROR_SUCCESS;
    const bool closed = ::RegCloseKey(key) == ERROR_SUCCESS;
    return set && closed;
}
