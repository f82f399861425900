// Command lines the main window starts the executable with. The path is
// quoted so that an install folder with blanks cannot start a different
// program; the arguments are what page and hall processes parse.
#pragma once

#include <cstdint>
#include <string>

// mainWnd: the window handle's 32-bit number (WindowHandleNumber).
std::wstring PageProcessCommandLine(const std::wstring& exePath, std::uint32_t mainWnd, int pageCount);
// The first page, started before its main window exists: no handle and no
// pages yet, and the process id of the main window's process, whose window
// the page finds once it is there.
std::wstring FirstPageProcessCommandLine(const std::wstring& exePath, std::uint32_t mainProcessId);
std::wstring HallProcessCommandLine(const std::wstring& exePath, std::uint32_t mainWnd);
std::wstring NewMainWindowCommandLine(const std::wstring& exePath);
std::wstring UpdaterCommandLine(const std::wstring& exePath);
