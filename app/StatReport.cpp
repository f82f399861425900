#include "app/StatReport.h"

#include <windows.h>
#include <wininet.h>

#include <ctime>

#include "app/Activity.h"
#include "app/Endpoints.h"
#include "app/HttpUrl.h"
#include "app/Loriq3App.h"
#include "app/PersistedState.h"

namespace {


bool g_statRequestStarted = false;

struct RequestHandOver {
    const wchar_t* url;
    CLoriq3App* app;
};

DWORD WINAPI StatRequestThread(LPVOID param) {
    auto* handOver = static_cast<RequestHandOver*>(param);
    wchar_t url[512] = {};
    wcsncpy(url, handOver->url, 511);
    CLoriq3App* app = handOver->app;
    ::SetEvent(app->m_hEvtStarted);  // from here on the caller's record may go away
    HttpGetNoReply(url);
    ::SetEvent(app->m_hEvtDone);
    return 0;
}

DWORD WINAPI LoginReportThread(LPVOID param) {
    auto* url = static_cast<wchar_t*>(param);
    HttpGetNoReply(url);
    delete[] url;
    return 0;
}

int TodayDiff() { return DayDifference(ParseStoredDate(CachedLastTime()), std::time(nullptr)); }

void WriteTodayAsLastTime() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    WriteStatValue(L"lstTime", FormatStoredDate(now.wYear, now.wMonth, now.wDay));
}

}  // namespace

bool HttpGetNoReply(const std::wstring& url, const std::wstring& body) {
    HttpUrlParts parts;
    if (!SplitHttpUrl(url, parts)) return false;

    bool sent = false;
    DWORD error = 0;
    HINTERNET root = ::InternetOpenW(kRequestAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET connection = nullptr;
    HINTERNET request = nullptr;
    if (root)
        connection = ::InternetConnectW(root, parts.host.c_str(), parts.port, nullptr, nullptr,
                                        INTERNET_SERVICE_HTTP, 0, 0);
    // A report goes to the platform's host and nowhere else: no redirect is followed.
    if (connection)
        request = ::HttpOpenRequestW(connection, L"GET", parts.path.c_str(), L"HTTP/1.1", nullptr,
                                     nullptr, INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_AUTO_REDIRECT, 0);
    if (request) {
        std::wstring bodyCopy = body;
        sent = ::HttpSendRequestW(request, kRequestHeaders, DWORD(wcslen(kRequestHeaders)),
                                  bodyCopy.empty() ? nullptr : &bodyCopy[0],
                                  DWORD(bodyCopy.size() * sizeof(wchar_t))) != FALSE;
    }
    if (!sent) error = ::GetLastError();
    if (request) ::InternetCloseHandle(request);
    if (connection) ::InternetCloseHandle(connection);
    if (root) ::InternetCloseHandle(root);
    ::SetLastError(error);
    return sent;
}

bool HasStartedStatRequest() { return g_statRequestStarted; }

bool StartStatRequest(const std::wstring& url, CLoriq3App* app) {
    g_statRequestStarted = true;
    RequestHandOver handOver{url.c_str(), app};
    HANDLE thread = ::CreateThread(nullptr, 0, StatRequestThread, &handOver, 0, nullptr);
    if (!thread) {
        // No thread, no request: still mark it done so that no start-up waits forever.
        ::SetEvent(app->m_hEvtDone);
        return true;
    }
    ::CloseHandle(thread);
    ::WaitForSingleObject(app->m_hEvtStarted, INFINITE);
    ::ResetEvent(app->m_hEvtStarted);
    return true;
}

void StartLoginReport(const std::wstring& uid, int index) {
    std::wstring url = LoginReportUrl(uid, index);
    if (url.empty()) return;  // would not fit: never sent truncated
    auto* buffer = new wchar_t[512]();
    wcsncpy(buffer, url.c_str(), 511);
    HANDLE thread = ::CreateThread(nullptr, 0, LoginReportThread, buffer, 0, nullptr);
    if (thread)
        ::CloseHandle(thread);
    else
        delete[] buffer;
}

void SendInstallReport(CLoriq3App* app) {
    StartStatRequest(InstallReportUrl(BumpStatCounter(L"Inst")), app);
}

void SendWebActivationReport(CLoriq3App* app) {
    StartStatRequest(WebActivationReportUrl(BumpStatCounter(L"Vexo")), app);
}

void SendUninstallReport(CLoriq3App* app) {
    StartStatRequest(UninstallReportUrl(BumpStatCounter(L"UnInst")), app);
}

void SendGameActivationReport(CLoriq3App* app) {
    // Three measurements against the date stored before this start (the
    // cache keeps it even after lstTime is rewritten below).
    int storedMask = ParseProfileInt(ReadStatValue(L"weekdays", L"0", 31));
    int maskDiff = TodayDiff();
    ActivityFigures masked = ComputeActivity(storedMask, 1, maskDiff);
    wchar_t text[16];
    std::swprintf(text, 16, L"%d", masked.mask);
    WriteStatValue(L"weekdays", text);

    int keepDiff = TodayDiff();
    WriteTodayAsLastTime();
    std::uint32_t storedKeep = ParseCounter(ReadStatValue(L"keepdays", L"1", 31));
    std::uint32_t keepdays = ComputeActivity(storedMask, storedKeep, keepDiff).keepdays;
    std::swprintf(text, 16, L"%u", keepdays);
    WriteStatValue(L"keepdays", text);

    int apartDiff = TodayDiff();
    WriteTodayAsLastTime();
    int apartdays = ComputeActivity(storedMask, storedKeep, apartDiff).apartdays;

    std::uint32_t count = BumpStatCounter(L"Game");
    StartStatRequest(GameActivationReportUrl(count, apartdays, int(keepdays), masked.weekdays), app);
}
