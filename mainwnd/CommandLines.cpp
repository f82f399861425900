#include "mainwnd/CommandLines.h"

namespace {
std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }
}  // namespace

std::wstring PageProcessCommandLine(const std::wstring& exePath, std::uint32_t mainWnd, int pageCount) {
    return Quoted(exePath) + L" /newgm /" + std::to_wstring(mainWnd) + L" /" + std::to_wstring(pageCount);
}

std::wstring FirstPageProcessCommandLine(const std::wstring& exePath, std::uint32_t mainProcessId) {
    return PageProcessCommandLine(exePath, 0, 0) + L" /" + std::to_wstring(mainProcessId);
}

std::wstring HallProcessCommandLine(const std::wstring& exePath, std::uint32_t mainWnd) {
    return Quoted(exePath) + L" /gmhall /" + std::to_wstring(mainWnd);
}

std::wstring NewMainWindowCommandLine(const std::wstring& exePath) { return Quoted(exePath); }

std::wstring UpdaterCommandLine(const std::wstring& exePath) { return Quoted(exePath) + L" /update"; }
