// What the favourites and the game-download dialogs decide without Windows:
// the Internet Shortcut text of a favourite, which names may become file
// names, and the download dialog's label.
#pragma once

#include <string>

// Longest shortcut text (characters, and bytes once converted) that is written.
inline constexpr std::size_t kMaxShortcutText = 511;
// Longest favourite name taken from the edit box.
inline constexpr std::size_t kMaxFavouriteName = 128;

// The address as a shortcut line holds it: control characters (a CR LF
// would start a line of the page's choosing) percent-encoded, as an address
// carries them.
std::wstring ShortcutAddress(const std::wstring& url);

// The seven lines, CR LF after each, ShortcutAddress(url) in lines 2 and 6:
// [DEFAULT] / BASEURL= / [{000214A0-...}] / =19,2 / [InternetShortcut] / URL= / IDList=
std::wstring InternetShortcutText(const std::wstring& url);

// A name that can stand as a file name in a folder, followed by an
// extension: not empty, no control characters and none of \ / : * ? " < > |,
// not only dots and blanks, and not a device name (CON, PRN, AUX, NUL,
// COM1-9, LPT1-9, also before a first dot).
bool IsUsableFileName(const std::wstring& name);

// "已加载  N%" (two blanks), the download dialog's percentage label.
std::wstring DownloadPercentLabel(unsigned percent);
