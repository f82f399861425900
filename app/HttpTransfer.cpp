#include "app/HttpTransfer.h"

#include <wininet.h>

#include <vector>

#include "app/HttpUrl.h"
#include "framework/Handles.h"

namespace {


struct InternetHandleTraits {
    static HINTERNET Invalid() { return nullptr; }
    static bool IsValid(HINTERNET h) { return h != nullptr; }
    static void Close(HINTERNET h) { ::InternetCloseHandle(h); }
};
using InternetHandle = fw::UniqueHandle<HINTERNET, InternetHandleTraits>;

class Lock {
public:
    explicit Lock(CRITICAL_SECTION& cs) : m_cs(cs) { ::EnterCriticalSection(&m_cs); }
    ~Lock() { ::LeaveCriticalSection(&m_cs); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    CRITICAL_SECTION& m_cs;
};

void SayWhy(const std::wstring& url, TransferStatus status) {
    std::wstring line = L"VexoQuon: transfer of " + url + L" ended: " + TransferStatusName(status) + L"\n";
    ::OutputDebugStringW(line.c_str());
}

}  // namespace

const wchar_t* TransferStatusName(TransferStatus status) {
    switch (status) {
    case TransferStatus::Ok: return L"complete";
    case TransferStatus::BadAddress: return L"address refused";
    case TransferStatus::NoAnswer: return L"no connection or request not sent";
    case TransferStatus::BadStatus: return L"status not 2xx";
    case TransferStatus::NotFound: return L"404, nothing published";
    case TransferStatus::Redirected: return L"redirect, not followed";
    case TransferStatus::TooLarge: return L"larger than the limit";
    case TransferStatus::NoLength: return L"no Content-Length";
    case TransferStatus::EmptyBody: return L"Content-Length 0";
    case TransferStatus::FileError: return L"file not written";
    case TransferStatus::Short: return L"fewer bytes than announced";
    case TransferStatus::Cancelled: return L"cancelled";
    }
    return L"?";
}

CHttpTransfer::CHttpTransfer() { ::InitializeCriticalSection(&m_lock); }

CHttpTransfer::~CHttpTransfer() {
    CloseRequest();
    ::DeleteCriticalSection(&m_lock);
}

void CHttpTransfer::Cancel() {
    HINTERNET request;
    {
        Lock lock(m_lock);
        m_bCancel = true;
        request = static_cast<HINTERNET>(m_hRequest);
        m_hRequest = nullptr;  // from now on the cancel owns it
    }
    if (request) ::InternetCloseHandle(request);
}

bool CHttpTransfer::IsCancelled() const {
    Lock lock(m_lock);
    return m_bCancel;
}

void CHttpTransfer::Rearm() {
    Lock lock(m_lock);
    m_bCancel = false;
}

void CHttpTransfer::CloseRequest() {
    HINTERNET request;
    {
        Lock lock(m_lock);
        request = static_cast<HINTERNET>(m_hRequest);
        m_hRequest = nullptr;
    }
    if (request) ::InternetCloseHandle(request);
}

TransferStatus CHttpTransfer::Download(const std::wstring& url, const std::wstring& file,
                                       const ProgressFn& onProgress, std::uint32_t maxBytes) {
    m_total = 0;
    m_length = 0;
    HttpUrlParts parts;
    if (!SplitHttpUrl(url, parts)) {
        SayWhy(url, TransferStatus::BadAddress);
        return TransferStatus::BadAddress;
    }
    InternetHandle root(::InternetOpenW(kRequestAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    InternetHandle connection;
    if (root)
        connection.Reset(::InternetConnectW(root.Get(), parts.host.c_str(), parts.port, nullptr, nullptr,
                                            INTERNET_SERVICE_HTTP, 0, 0));
    HINTERNET request = nullptr;
    if (connection)
        request = ::HttpOpenRequestW(connection.Get(), L"GET", parts.path.c_str(), L"HTTP/1.1", nullptr, nullptr,
                                     INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_AUTO_REDIRECT, 0);
    TransferStatus status = TransferStatus::NoAnswer;
    if (request) {
        bool cancelled;
        {
            Lock lock(m_lock);
            cancelled = m_bCancel;
            if (!cancelled) m_hRequest = request;
        }
        if (cancelled) {
            ::InternetCloseHandle(request);
        } else {
            status = Receive(request, file, onProgress, maxBytes);
            CloseRequest();
        }
    }
    // Request first, then connection and root (the holders, in this order).
    if (IsCancelled()) status = TransferStatus::Cancelled;
    if (status != TransferStatus::Ok) SayWhy(url, status);
    return status;
}

TransferStatus CHttpTransfer::Receive(void* handle, const std::wstring& file, const ProgressFn& onProgress,
                                      std::uint32_t maxBytes) {
    HINTERNET request = static_cast<HINTERNET>(handle);
    if (!::HttpSendRequestW(request, kRequestHeaders, DWORD(wcslen(kRequestHeaders)), nullptr, 0))
        return TransferStatus::NoAnswer;

    wchar_t statusText[16] = {};  // 32 bytes
    DWORD statusSize = sizeof statusText;
    const bool statusRead =
        ::HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE, statusText, &statusSize, nullptr) != FALSE;
    DWORD length = 0;
    DWORD lengthSize = sizeof length;
    if (!::HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &lengthSize,
                          nullptr))
        lengthSize = 0;
    const TransferStatus verdict = CheckAnswer(statusRead, statusText, lengthSize, length, maxBytes);
    if (verdict != TransferStatus::Ok) return verdict;
    m_length = length;

    // A file someone else prepared under this name (with their rights on it,
    // or a link) is never written through: it goes, and ours is created new.
    // Others may read it while it grows, but not move or delete it.
    if (!::DeleteFileW(file.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND) return TransferStatus::FileError;
    fw::Handle out(::CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) return TransferStatus::FileError;

    std::vector<char> buffer(ReadSizer::kMaxBytes);
    ReadSizer sizer;
    ProgressNotifier notifier;
    // A read continues where the last one ended; no read position is set
    // (InternetSetFilePointer is not needed for that, and fails under Wine).
    for (;;) {
        if (IsCancelled()) return TransferStatus::Cancelled;
        const DWORD asked = sizer.Next();
        DWORD got = 0;
        const DWORD started = ::GetTickCount();
        if (!::InternetReadFile(request, buffer.data(), asked, &got)) break;  // judged by the total below
        if (got == 0) break;
        // Checked before writing: nothing past the limit reaches the disk.
        if (CheckRunningTotal(m_total + got, maxBytes) != TransferStatus::Ok) return TransferStatus::TooLarge;
        DWORD written = 0;
        if (!::WriteFile(out.Get(), buffer.data(), got, &written, nullptr) || written != got)
            return TransferStatus::FileError;
        m_total += got;
        sizer.Took(asked, got, ::GetTickCount() - started);
        if (onProgress) {
            const unsigned percent = ProgressPercent(m_total, length);
            if (notifier.Changed(percent)) onProgress(percent);
        }
    }
    if (!::CloseHandle(out.Release())) return TransferStatus::FileError;
    return CheckBody(m_total, length);
}
