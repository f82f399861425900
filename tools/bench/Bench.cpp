// bench.exe: measures the product's download and version-key paths next to a
// bare WinINet loop, under Wine, and prints one JSON object. Run by
// tools/bench/run_bench.py, which serves the file and compares with curl and
// md5sum; this program only measures.
//
//   bench.exe URL FILE_TO_HASH OUT_DIR [ROUNDS]
#include <windows.h>
#include <commctrl.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/HttpTransfer.h"
#include "app/PrgsDlg.h"
#include "app/SelfUpdate.h"
#include "app/VersionKey.h"
#include "app/Authenticode.h"
#include "framework/Threads.h"
#include "framework/WinApp.h"

namespace {

double Now() {
    LARGE_INTEGER f, c;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&c);
    return double(c.QuadPart) / double(f.QuadPart);
}

// The fastest round: on a shared machine the others only add other
// programs' time.
double Best(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v.front();
}

// The same request a download makes, read in blocks of `block` bytes,
// optionally written to a file, with or without the platform's header block:
// the reference loop. Returns the bytes read.
long long BareLoop(const std::wstring& host, INTERNET_PORT port, const std::wstring& path, DWORD block,
                   const std::wstring& out, bool headers = false) {
    HINTERNET root = ::InternetOpenW(L"QZR", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET conn = ::InternetConnectW(root, host.c_str(), port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    HINTERNET req = ::HttpOpenRequestW(conn, L"GET", path.c_str(), L"HTTP/1.1", nullptr, nullptr,
                                       INTERNET_FLAG_RELOAD, 0);
    long long total = 0;
    const wchar_t kHeaders[] = L"Accept-Language: zh-cn \r\nContent-Type: application/x-www-form-urlencoded\r\n";
    const DWORD headerChars = headers ? DWORD(wcslen(kHeaders)) : 0;
    if (req && ::HttpSendRequestW(req, headers ? kHeaders : nullptr, headerChars, nullptr, 0)) {
        HANDLE file = out.empty() ? INVALID_HANDLE_VALUE
                                  : ::CreateFileW(out.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        std::vector<char> buf(block);
        DWORD got = 0;
        while (::InternetReadFile(req, buf.data(), block, &got) && got) {
            if (file != INVALID_HANDLE_VALUE) {
                DWORD w = 0;
                ::WriteFile(file, buf.data(), got, &w, nullptr);
            }
            total += got;
        }
        if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
    }
    for (HINTERNET h : {req, conn, root})
        if (h) ::InternetCloseHandle(h);
    return total;
}

struct ProductRun {
    bool progress = true;
    CHttpTransfer transfer;
    std::wstring url, file;
    HWND bar = nullptr;
    TransferStatus status = TransferStatus::NoAnswer;
    int sends = 0;
};

DWORD WINAPI ProductThread(LPVOID p) {
    auto* run = static_cast<ProductRun*>(p);
    CHttpTransfer::ProgressFn tell = [run](unsigned percent) {
        ++run->sends;
        SendProgress(run->bar, percent);
    };
    run->status = run->transfer.Download(run->url, run->file, run->progress ? tell : CHttpTransfer::ProgressFn());
    return 0;
}

// The update download's own path: the transfer routine on a worker thread,
// each new percentage sent (SendProgress) to a progress bar that this (UI)
// thread serves.
double ProductTransfer(const std::wstring& url, const std::wstring& out, HWND bar, int& sends, bool& ok,
                       bool progress = true) {
    ProductRun run;
    run.progress = progress;
    run.url = url;
    run.file = out;
    run.bar = bar;
    const double t0 = Now();
    HANDLE thread = ::CreateThread(nullptr, 0, ProductThread, &run, 0, nullptr);
    fw::WaitServingSentMessages(thread);
    const double t = Now() - t0;
    ::CloseHandle(thread);
    sends = run.sends;
    ok = run.status == TransferStatus::Ok;
    return t;
}

void Print(const char* name, double seconds, bool last = false) {
    std::printf("  \"%s\": %.6f%s\n", name, seconds, last ? "" : ",");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench.exe URL FILE_TO_HASH OUT_DIR [ROUNDS [SIGNED_EXE]]\n");
        return 2;
    }
    const std::wstring url = argv[1], hashFile = argv[2], outDir = argv[3];
    const int rounds = argc > 4 ? _wtoi(argv[4]) : 15;
    std::wstring rest = url.substr(7);
    std::wstring hostPort = rest.substr(0, rest.find(L'/')), path = rest.substr(rest.find(L'/') + 1);
    std::wstring host = hostPort.substr(0, hostPort.find(L':'));
    INTERNET_PORT port = (INTERNET_PORT)_wtoi(hostPort.substr(hostPort.find(L':') + 1).c_str());
    const std::wstring out = outDir + L"\\bench-download.bin";

    CWinApp app;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&icc);
    HWND bar = ::CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_POPUP, 0, 0, 200, 12, nullptr, nullptr, nullptr, nullptr);

    // One warm-up of each so that no path pays for the first connection.
    BareLoop(host, port, path, 256 * 1024, out);
    std::vector<double> bareHeaders;
    std::vector<double> product, productQuiet, productDirect, bare256, bare256NoWrite, dialog;
    std::vector<std::pair<DWORD, std::vector<double>>> sweep;
    for (DWORD b : {512u, 64u * 1024, 128u * 1024, 256u * 1024, 512u * 1024, 1024u * 1024}) sweep.push_back({b, {}});
    int sends = 0;
    bool ok = true;
    long long bytes = 0;
    for (int r = 0; r < rounds; ++r) {
        bool thisOk = false;
        product.push_back(ProductTransfer(url, out, bar, sends, thisOk));
        ok = ok && thisOk;
        int quietSends = 0;
        productQuiet.push_back(ProductTransfer(url, out, bar, quietSends, thisOk, false));
        double t0 = Now();
        {
            CHttpTransfer direct;
            direct.Download(url, out);
        }
        productDirect.push_back(Now() - t0);
        t0 = Now();
        BareLoop(host, port, path, 256 * 1024, out, true);
        bareHeaders.push_back(Now() - t0);
        t0 = Now();
        bytes = BareLoop(host, port, path, 256 * 1024, out);
        bare256.push_back(Now() - t0);
        t0 = Now();
        BareLoop(host, port, path, 256 * 1024, L"");
        bare256NoWrite.push_back(Now() - t0);
        for (auto& s : sweep) {
            if (s.first == 512 && r > 0) continue;  // slow: once is enough
            t0 = Now();
            BareLoop(host, port, path, s.first, out);
            s.second.push_back(Now() - t0);
        }
        // The whole dialog as ApplyUpdate runs it: creation, skin, threads, end.
        CPrgsDlg dlg;
        wcsncpy(dlg.m_szUrl, url.c_str(), 511);
        wcsncpy(dlg.m_szFile, out.c_str(), 259);
        t0 = Now();
        ok = ok && dlg.DoModal() == IDOK;
        dialog.push_back(Now() - t0);
    }

    std::vector<double> hashing;
    std::wstring key;
    std::uint8_t digest[16] = {};
    for (int r = 0; r < rounds; ++r) {
        const double t0 = Now();
        ComputeVersionKey(hashFile, key);
        hashing.push_back(Now() - t0);
    }
    // The XP provider, for comparison.
    std::vector<double> hashingCapi;
    std::uint8_t capiDigest[16] = {};
    for (int r = 0; r < rounds; ++r) {
        const double t0 = Now();
        FileMd5(hashFile, capiDigest, Md5Provider::CryptoApi);
        hashingCapi.push_back(Now() - t0);
    }
    FileMd5(hashFile, digest);
    if (std::memcmp(digest, capiDigest, 16) != 0) ok = false;
    // What a downloaded update costs before the swap: its own key (digest and
    // version resource) and its signature (trust check and signer key).
    std::vector<double> verifying;
    std::wstring signedKey;
    bool signedOk = false;
    if (argc > 5) {
        for (int r = 0; r < rounds; ++r) {
            const double t0 = Now();
            signedOk = ComputeOwnVersionKey(argv[5], signedKey);
            const SignerFacts facts = ReadSignerFacts(argv[5]);
            signedOk = signedOk && facts.present && facts.verified && !facts.publicKey.empty();
            verifying.push_back(Now() - t0);
        }
        ok = ok && signedOk;
    }

    std::printf("{\n  \"bytes\": %lld,\n  \"ok\": %s,\n  \"progress_sends\": %d,\n", bytes, ok ? "true" : "false",
                sends);
    Print("product_transfer_s", Best(product));
    Print("product_noprogress_s", Best(productQuiet));
    Print("product_direct_s", Best(productDirect));
    Print("bare_256k_headers_s", Best(bareHeaders));
    Print("product_dialog_s", Best(dialog));
    Print("bare_256k_s", Best(bare256));
    Print("bare_256k_nowrite_s", Best(bare256NoWrite));
    for (auto& s : sweep) {
        char name[64];
        std::snprintf(name, sizeof name, "bare_%luk_s", (unsigned long)(s.first / 1024 ? s.first / 1024 : 0));
        if (s.first == 512) std::snprintf(name, sizeof name, "bare_512b_s");
        Print(name, Best(s.second));
    }
    Print("version_key_s", Best(hashing));
    Print("md5_cryptoapi_s", Best(hashingCapi));
    if (!verifying.empty()) Print("verify_signed_s", Best(verifying));
    std::printf("  \"md5\": \"%ls\",\n  \"key\": \"%ls\"\n}\n", HexDigits(digest, 16).c_str(), key.c_str());
    ::DestroyWindow(bar);
    ::DeleteFileW(out.c_str());
    return ok ? 0 : 1;
}
