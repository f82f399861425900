// Command lines the main window starts the executable with. The path is
// quoted so that an install folder with blanks cannot start a different
// program; the arguments are what page and hall processes parse.
#pragma once

#include <cstdint>
#include <string>

// mainWnd: the window handle's 32-bit number (WindowHandleNumber).
std::wstring PageProcessCommandLine(const std::wstring& exePath, std::uint32_t mainWnd, int pageCount);
std::wstring HallProcessCommandLine(const std::wstring& exePath, std::uint32_t mainWnd);
std::wstring NewMainWindowCommandLine(const std::wstring& exePath);
std::wstring UpdaterCommandLine(const std::wstring& exePath);
