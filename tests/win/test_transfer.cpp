// The one transfer routine and what self-update builds on it, against the
// real platform stand-in (started by ctest on VEXO_UNIT_STANDIN_PORT) through
// real WinINet: answers it accepts and refuses, progress, cancelling from
// another thread again and again, the version key on the RFC 1321 vectors,
// the checked swap, and the progress dialog run modally.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <wininet.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "app/HttpTransfer.h"
#include "app/PrgsDlg.h"
#include "app/SelfUpdate.h"
#include "app/VersionKey.h"
#include "browser/DownGameDlg.h"
#include "framework/Handles.h"
#include "framework/WinApp.h"
#include "tests/win/Pump.h"

namespace {

// ---- the stand-in and its control API ---------------------------------------

int StandinPort() {
    const char* p = std::getenv("VEXO_UNIT_STANDIN_PORT");
    return p ? std::atoi(p) : 0;
}

#define REQUIRE_STANDIN() \
    if (!StandinPort()) GTEST_SKIP() << "no stand-in: run through ctest (VEXO_UNIT_STANDIN_PORT)"

std::wstring Url(const std::wstring& path) {
    return L"http://127.0.0.1:" + std::to_wstring(StandinPort()) + path;
}

std::string Base64(const std::string& data) {
    static const char k[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < data.size(); i += 3) {
        unsigned v = (unsigned char)data[i] << 16;
        if (i + 1 < data.size()) v |= (unsigned char)data[i + 1] << 8;
        if (i + 2 < data.size()) v |= (unsigned char)data[i + 2];
        out += k[(v >> 18) & 63];
        out += k[(v >> 12) & 63];
        out += i + 1 < data.size() ? k[(v >> 6) & 63] : '=';
        out += i + 2 < data.size() ? k[v & 63] : '=';
    }
    return out;
}

// POSTs JSON to the stand-in's control API; true on a 200.
bool Control(const wchar_t* what, const std::string& json) {
    HINTERNET root = ::InternetOpenW(L"unit", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET conn = ::InternetConnectW(root, L"127.0.0.1", (INTERNET_PORT)StandinPort(), nullptr, nullptr,
                                        INTERNET_SERVICE_HTTP, 0, 0);
    HINTERNET req = ::HttpOpenRequestW(conn, L"POST", (std::wstring(L"/__standin/") + what).c_str(), nullptr, nullptr,
                                       nullptr, INTERNET_FLAG_RELOAD, 0);
    const wchar_t headers[] = L"Content-Type: application/json\r\n";
    bool ok = req && ::HttpSendRequestW(req, headers, DWORD(-1), (void*)json.data(), DWORD(json.size()));
    DWORD status = 0, size = sizeof status;
    ok = ok && ::HttpQueryInfoW(req, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) &&
         status == 200;
    for (HINTERNET h : {req, conn, root})
        if (h) ::InternetCloseHandle(h);
    return ok;
}

std::string Pattern(size_t n) {
    std::string s(n, '\0');
    unsigned x = 12345;
    for (char& c : s) {
        x = x * 1103515245u + 12345u;
        c = char(x >> 16);
    }
    return s;
}

const size_t kFileSize = 1000000;

// "Unit" published with kFileSize pattern bytes at /files/Unit.exe.
void Publish(const std::string& rule = "") {
    ASSERT_TRUE(Control(L"reset", "{\"published\": true}"));
    ASSERT_TRUE(Control(L"publish", "{\"name\": \"Unit\", \"key\": \"k\", \"data_b64\": \"" +
                                        Base64(Pattern(kFileSize)) + "\"}"));
    if (!rule.empty()) ASSERT_TRUE(Control(L"rule", "{\"path\": \"/files/Unit.exe\", " + rule + "}"));
}

// ---- files --------------------------------------------------------------------

std::wstring TempDir() {
    wchar_t dir[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, dir);
    std::wstring path = std::wstring(dir) + L"vexo-transfer-test";
    ::CreateDirectoryW(path.c_str(), nullptr);
    return path;
}

std::wstring TempFile(const wchar_t* name) { return TempDir() + L"\\" + name; }

std::string ReadAll(const std::wstring& path) {
    fw::Handle f(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!f) return "<missing>";
    std::string out(::GetFileSize(f.Get(), nullptr), '\0');
    DWORD got = 0;
    if (!out.empty()) ::ReadFile(f.Get(), &out[0], DWORD(out.size()), &got, nullptr);
    return out;
}

void WriteAll(const std::wstring& path, const std::string& bytes) {
    fw::Handle f(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD done = 0;
    ::WriteFile(f.Get(), bytes.data(), DWORD(bytes.size()), &done, nullptr);
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// ---- the transfer routine ----------------------------------------------------------

TEST(HttpTransfer, DownloadsTheWholeFileAndTellsEachPercentOnce) {
    REQUIRE_STANDIN();
    Publish("\"trickle\": 65536, \"pause\": 0.01");
    const std::wstring file = TempFile(L"whole.bin");
    CHttpTransfer t;
    std::vector<unsigned> told;
    ASSERT_EQ(t.Download(Url(L"/files/Unit.exe"), file, [&](unsigned p) { told.push_back(p); }), TransferStatus::Ok);
    EXPECT_EQ(t.Total(), kFileSize);
    EXPECT_EQ(t.ContentLength(), kFileSize);
    EXPECT_EQ(ReadAll(file), Pattern(kFileSize));
    ASSERT_GE(told.size(), 3u);
    for (size_t i = 1; i < told.size(); ++i) EXPECT_LT(told[i - 1], told[i]);
    EXPECT_EQ(told.back(), 100u);
    ::DeleteFileW(file.c_str());
}

TEST(HttpTransfer, AcceptsOnlyComplete2xxAnswersWithALength) {
    REQUIRE_STANDIN();
    struct Case {
        const char* rule;
        TransferStatus expected;
        bool fileMade;
        TransferStatus alsoFine = TransferStatus::Ok;
    } cases[] = {
        {"\"status\": 404", TransferStatus::NotFound, false},
        // Redirects are not followed (the port named has nobody listening:
        // following it would end in NoAnswer).
        {"\"status\": 302, \"headers\": [[\"Location\", \"http://127.0.0.1:9/files/Unit.exe\"]]",
         TransferStatus::Redirected, false},
        {"\"status\": 301, \"headers\": [[\"Location\", \"/files/Other.exe\"]]", TransferStatus::Redirected, false},
        {"\"status\": 500", TransferStatus::BadStatus, false},
        {"\"content_length\": \"missing\"", TransferStatus::NoLength, false},
        {"\"chunked\": true", TransferStatus::NoLength, false},
        {"\"content_length\": 0", TransferStatus::EmptyBody, false},
        {"\"content_length\": 2000000", TransferStatus::Short, true},
        {"\"cut\": 300000", TransferStatus::Short, true},
        // No answer at all: WinINet reports it at the send or at the status.
        {"\"drop\": true", TransferStatus::NoAnswer, false, TransferStatus::BadStatus},
        // More than announced is read as announced: complete.
        {"\"content_length\": 500000", TransferStatus::Ok, true},
    };
    for (const Case& c : cases) {
        Publish(c.rule);
        const std::wstring file = TempFile(L"fault.bin");
        ::DeleteFileW(file.c_str());
        CHttpTransfer t;
        const TransferStatus got = t.Download(Url(L"/files/Unit.exe"), file);
        EXPECT_TRUE(got == c.expected || (c.alsoFine != TransferStatus::Ok && got == c.alsoFine)) << c.rule;
        EXPECT_EQ(Exists(file), c.fileMade) << c.rule;
        ::DeleteFileW(file.c_str());
    }
    CHttpTransfer t;
    EXPECT_EQ(t.Download(L"http://127.0.0.1:9/x", TempFile(L"refused.bin")), TransferStatus::NoAnswer);
    EXPECT_EQ(t.Download(L"ftp://127.0.0.1/x", TempFile(L"refused.bin")), TransferStatus::BadAddress);
    Publish();
    EXPECT_EQ(t.Download(Url(L"/files/Unit.exe"), L"Z:\\no\\such\\folder\\x.bin"), TransferStatus::FileError);
    // Limits: by the announced length, and by the running total when the
    // length says less than what comes.
    const std::wstring limited = TempFile(L"limited.bin");
    EXPECT_EQ(t.Download(Url(L"/files/Unit.exe"), limited, {}, 1000), TransferStatus::TooLarge);
    EXPECT_FALSE(Exists(limited));
    // A length that says less than what comes: WinINet may stop at the
    // length (then the 500 bytes are all there is) or hand over more (then
    // the running total stops it); either way nothing past the limit is kept.
    Publish("\"content_length\": 500");  // and then the whole file
    const TransferStatus lied = t.Download(Url(L"/files/Unit.exe"), limited, {}, 1000);
    EXPECT_TRUE(lied == TransferStatus::TooLarge || (lied == TransferStatus::Ok && t.Total() == 500u))
        << TransferStatusName(lied) << ", " << t.Total() << " bytes";
    EXPECT_LE(t.Total(), 1000u);
    ::DeleteFileW(limited.c_str());
    Publish("\"content_length\": \"missing\"");
    EXPECT_EQ(t.Download(Url(L"/files/Unit.exe"), limited, {}, 1000), TransferStatus::NoLength);
    // A file someone left under the name is removed and made new, never
    // written through; one that cannot be removed stops the transfer.
    Publish();
    {
        fw::Handle other(::CreateFileW(limited.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(other);
        EXPECT_EQ(t.Download(Url(L"/files/Unit.exe"), limited), TransferStatus::FileError);
    }
    ASSERT_TRUE(::SetFileAttributesW(limited.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(t.Download(Url(L"/files/Unit.exe"), limited), TransferStatus::Ok);
    ::DeleteFileW(limited.c_str());
}

TEST(HttpTransfer, ACancelFromAnotherThreadStopsItAgainAndAgain) {
    REQUIRE_STANDIN();
    Publish("\"trickle\": 4096, \"pause\": 0.02");
    const std::wstring file = TempFile(L"cancel.bin");
    for (int round = 0; round < 30; ++round) {
        CHttpTransfer t;
        std::atomic<int> progress{0};
        TransferStatus status = TransferStatus::Ok;
        std::thread worker([&] {
            status = t.Download(Url(L"/files/Unit.exe"), file, [&](unsigned) { ++progress; });
        });
        const DWORD start = ::GetTickCount();
        while (progress < 1 + round % 3 && ::GetTickCount() - start < 10000) ::Sleep(5);
        const DWORD asked = ::GetTickCount();
        t.Cancel();
        t.Cancel();  // twice is harmless
        worker.join();
        EXPECT_LT(::GetTickCount() - asked, 3000u) << round;
        EXPECT_EQ(status, TransferStatus::Cancelled) << round;
        EXPECT_LT(t.Total(), kFileSize);
        // The file was closed: it can go.
        EXPECT_TRUE(::DeleteFileW(file.c_str())) << round;
    }
}

TEST(HttpTransfer, CancelAndCompletionNeverFightOverTheHandles) {
    REQUIRE_STANDIN();
    Publish();
    const std::wstring file = TempFile(L"race.bin");
    int completed = 0, cancelled = 0;
    for (int round = 0; round < 60; ++round) {
        CHttpTransfer t;
        TransferStatus status = TransferStatus::NoAnswer;
        std::thread worker([&] { status = t.Download(Url(L"/files/Unit.exe"), file); });
        ::Sleep(round % 12);
        t.Cancel();
        worker.join();
        ASSERT_TRUE(status == TransferStatus::Ok || status == TransferStatus::Cancelled) << round;
        (status == TransferStatus::Ok ? completed : cancelled)++;
    }
    // A cancel before the start ends the next transfer at once, with no request.
    CHttpTransfer t;
    t.Cancel();
    EXPECT_EQ(t.Download(Url(L"/files/Unit.exe"), file), TransferStatus::Cancelled);
    t.Rearm();
    EXPECT_EQ(t.Download(Url(L"/files/Unit.exe"), file), TransferStatus::Ok);
    EXPECT_GT(cancelled, 0);
    ::DeleteFileW(file.c_str());
}

TEST(HttpTransfer, AConfigurationIsReadAndItsFileDeleted) {
    REQUIRE_STANDIN();
    ASSERT_TRUE(Control(L"reset", "{\"published\": true}"));
    ASSERT_TRUE(Control(L"publish",
                        "{\"name\": \"Abc\", \"key\": \"abc-key\", \"upd_addr\": \"http://dl.vexo.test/a.exe\"}"));
    const std::wstring file = TempFile(L"Abc.ini");
    CHttpTransfer t;
    UpdateConfig config;
    ASSERT_EQ(FetchConfigFile(t, Url(L"/update/ConfigAbc.htm"), file, "Abc", config), ConfigFetch::Read);
    EXPECT_EQ(config.verKey, "abc-key");
    EXPECT_EQ(config.updAddr, "http://dl.vexo.test/a.exe");
    EXPECT_FALSE(Exists(file));
    // Unknown game (404) and a short answer: no configuration, no file left.
    EXPECT_EQ(FetchConfigFile(t, Url(L"/update/ConfigNone.htm"), file, "None", config), ConfigFetch::NotPublished);
    ASSERT_TRUE(Control(L"rule", "{\"path\": \"/update/ConfigAbc.htm\", \"content_length\": 900}"));
    EXPECT_EQ(FetchConfigFile(t, Url(L"/update/ConfigAbc.htm"), file, "Abc", config), ConfigFetch::Failed);
    EXPECT_FALSE(Exists(file));
    // A configuration above its limit is refused by its length.
    ASSERT_TRUE(Control(L"rule", "{\"path\": \"/update/ConfigAbc.htm\", \"body\": \"[VerKey]\\r\\n;" +
                                     std::string(70 * 1024, 'x') + "\\r\\nAbc=k\\r\\n\"}"));
    EXPECT_EQ(FetchConfigFile(t, Url(L"/update/ConfigAbc.htm"), file, "Abc", config), ConfigFetch::Failed);
    EXPECT_FALSE(Exists(file));
}

// ---- version key and swap -------------------------------------------------------------

TEST(VersionKey, TheProvidersMd5MatchesRfc1321) {
    struct Vector {
        const char* text;
        const wchar_t* digest;
    } vectors[] = {
        {"", L"d41d8cd98f00b204e9800998ecf8427e"},
        {"a", L"0cc175b9c0f1b6a831c399e269772661"},
        {"abc", L"900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", L"f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", L"c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", L"d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         L"57edf4a22be3c955ac49da2e2107b67a"},
    };
    // CNG here, and CryptoAPI, the provider of Windows XP.
    EXPECT_TRUE(CMd5().UsesCng());
    EXPECT_FALSE(CMd5(Md5Provider::CryptoApi).UsesCng());
    const std::wstring file = TempFile(L"md5.bin");
    for (const Vector& v : vectors) {
        WriteAll(file, v.text);
        for (Md5Provider provider : {Md5Provider::Best, Md5Provider::CryptoApi}) {
            std::uint8_t digest[16];
            ASSERT_TRUE(FileMd5(file, digest, provider));
            EXPECT_EQ(HexDigits(digest, 16), v.digest) << v.text << (provider == Md5Provider::Best ? " CNG" : " CryptoAPI");
        }
        std::wstring key;
        ASSERT_TRUE(ComputeVersionKey(file, key));
        EXPECT_EQ(key, std::wstring(v.digest).substr(0, 28) + L"3011");
    }
    // Across the read blocks: a file of several MiB, checked with the other provider.
    const std::string big = Pattern(3 * 1024 * 1024 + 17);
    WriteAll(file, big);
    std::uint8_t digest[16], other[16];
    ASSERT_TRUE(FileMd5(file, digest));
    ASSERT_TRUE(FileMd5(file, other, Md5Provider::CryptoApi));
    EXPECT_EQ(HexDigits(digest, 16), HexDigits(other, 16));
    ::DeleteFileW(file.c_str());
}

TEST(VersionKey, AFileThatCannotBeReadHasNoKey) {
    std::wstring key = L"unchanged";
    EXPECT_FALSE(ComputeVersionKey(TempFile(L"no-such-file.exe"), key));
    const std::wstring file = TempFile(L"locked.exe");
    WriteAll(file, "MZ");
    {
        fw::Handle exclusive(::CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(exclusive);
        EXPECT_FALSE(ComputeVersionKey(file, key));
    }
    EXPECT_EQ(key, L"unchanged");
    EXPECT_TRUE(ComputeVersionKey(file, key));
    ::DeleteFileW(file.c_str());
}

TEST(SwapInExecutable, ChecksBothRenamesAndPutsTheOldFileBack) {
    const std::wstring exe = TempFile(L"Game.exe"), fresh = TempFile(L"NewGame.exe"), old = TempFile(L"OldGame.exe");
    ::DeleteFileW(old.c_str());
    WriteAll(exe, "old");
    WriteAll(fresh, "new");
    {
        // Held without delete sharing: the new file cannot be moved.
        fw::Handle held(::CreateFileW(fresh.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        EXPECT_EQ(SwapInExecutable(exe, fresh, old), SwapResult::PutBack);
        EXPECT_EQ(ReadAll(exe), "old");
        EXPECT_FALSE(Exists(old));
    }
    {
        // The running file itself cannot be moved away: nothing changes.
        fw::Handle held(::CreateFileW(exe.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        EXPECT_EQ(SwapInExecutable(exe, fresh, old), SwapResult::NotMoved);
        EXPECT_EQ(ReadAll(exe), "old");
        EXPECT_EQ(ReadAll(fresh), "new");
    }
    EXPECT_EQ(SwapInExecutable(exe, fresh, old), SwapResult::Applied);
    EXPECT_EQ(ReadAll(exe), "new");
    EXPECT_EQ(ReadAll(old), "old");
    EXPECT_FALSE(Exists(fresh));
    for (const std::wstring& f : {exe, old}) ::DeleteFileW(f.c_str());
}

// ---- the dialogs, run modally ----------------------------------------------------------

// Plays the user from a thread timer while a modal dialog runs on this thread.
class ModalDriver {
public:
    explicit ModalDriver(std::function<bool()> step) : m_step(std::move(step)) {
        s_current = this;
        m_timer = ::SetTimer(nullptr, 0, 20, &ModalDriver::OnTimer);
    }
    ~ModalDriver() {
        ::KillTimer(nullptr, m_timer);
        s_current = nullptr;
    }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
        if (s_current && !s_current->m_done) s_current->m_done = s_current->m_step();
    }
    static inline ModalDriver* s_current = nullptr;
    std::function<bool()> m_step;
    UINT_PTR m_timer = 0;
    bool m_done = false;
};

HWND ThreadDialog(const wchar_t* title) {
    struct Search {
        const wchar_t* title;
        HWND found;
    } s{title, nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), [](HWND h, LPARAM p) CALLBACK -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        wchar_t text[64] = {};
        ::GetWindowTextW(h, text, 64);
        if (wcscmp(text, s->title) == 0 && ::IsWindowVisible(h)) {
            s->found = h;
            return FALSE;
        }
        return TRUE;
    }, (LPARAM)&s);
    return s.found;
}

TEST(PrgsDlg, ShowsTopmostAndCentredAdvancesAndEscapeCancels) {
    REQUIRE_STANDIN();
    Publish("\"trickle\": 4096, \"pause\": 0.02");
    CWinApp app;  // its message filter gives the dialog its keys
    CPrgsDlg dlg;
    wcscpy(dlg.m_szUrl, Url(L"/files/Unit.exe").c_str());
    wcscpy(dlg.m_szFile, TempFile(L"NewUnit.exe").c_str());
    DWORD exStyle = 0;
    RECT rect{};
    int lastPos = -1;
    DWORD cancelledAt = 0;
    ModalDriver driver([&] {
        HWND h = ThreadDialog(L"版本更新中...");
        if (!h) return false;
        lastPos = (int)::SendDlgItemMessageW(h, 1000, PBM_GETPOS, 0, 0);
        if (lastPos < 2) return false;
        exStyle = (DWORD)::GetWindowLongPtrW(h, GWL_EXSTYLE);
        ::GetWindowRect(h, &rect);
        cancelledAt = ::GetTickCount();
        ::PostMessageW(h, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        return true;
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_LT(::GetTickCount() - cancelledAt, 3000u);
    EXPECT_EQ(dlg.m_lastStatus, TransferStatus::Cancelled);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    RECT desktop{};
    ::GetWindowRect(::GetDesktopWindow(), &desktop);
    EXPECT_NEAR((rect.left + rect.right) / 2, (desktop.left + desktop.right) / 2, 1);
    EXPECT_NEAR((rect.top + rect.bottom) / 2, (desktop.top + desktop.bottom) / 2, 1);
    EXPECT_GE(lastPos, 2);
    EXPECT_TRUE(::DeleteFileW(dlg.m_szFile)) << "the partial file was let go";
}

TEST(PrgsDlg, EndsWithOkOnlyForAWholePlatformFile) {
    REQUIRE_STANDIN();
    Publish();
    {
        CPrgsDlg dlg;
        wcscpy(dlg.m_szUrl, Url(L"/files/Unit.exe").c_str());
        wcscpy(dlg.m_szFile, TempFile(L"NewUnit.exe").c_str());
        EXPECT_EQ(dlg.DoModal(), IDOK);
        EXPECT_EQ(ReadAll(dlg.m_szFile), Pattern(kFileSize));
        ::DeleteFileW(dlg.m_szFile);
    }
    for (const wchar_t* url : {L"", L"http://evil.example/127.0.0.1/files/Unit.exe"}) {
        CPrgsDlg dlg;
        wcscpy(dlg.m_szUrl, url);
        wcscpy(dlg.m_szFile, TempFile(L"NewUnit.exe").c_str());
        EXPECT_EQ(dlg.DoModal(), IDCANCEL) << url;
        EXPECT_EQ(dlg.m_lastStatus, TransferStatus::BadAddress);
    }
}

TEST(DownGameDlg, ANameThatIsNoFileNameDownloadsNothing) {
    REQUIRE_STANDIN();
    ASSERT_TRUE(Control(L"reset", "{}"));
    for (const wchar_t* name : {L"A?b", L"..\\..\\Evil", L"Con"}) {
        CDownGameDlg dlg(name, nullptr);
        std::wstring title;
        BOOL okEnabled = TRUE, cancelEnabled = FALSE;
        ModalDriver driver([&] {
            HWND h = ThreadDialog(L"下载失败");
            if (!h) return false;
            okEnabled = ::IsWindowEnabled(::GetDlgItem(h, IDOK));
            cancelEnabled = ::IsWindowEnabled(::GetDlgItem(h, IDCANCEL));
            ::PostMessageW(h, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return true;
        });
        EXPECT_EQ(dlg.DoModal(), IDCANCEL) << name;
        EXPECT_FALSE(okEnabled);
        EXPECT_TRUE(cancelEnabled);
    }
}

}  // namespace
