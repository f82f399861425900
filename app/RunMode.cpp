#include "app/RunMode.h"

#include <cwctype>
#include <limits>

namespace {

bool EqualsIgnoreCase(const std::wstring& a, const wchar_t* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    return i == a.size() && b[i] == 0;
}

// Buffer sizes of the launcher's protocol: 16 and 8 wide characters with the
// terminator, so 15 and 7 characters of text.
constexpr std::size_t kOwnerArgChars = 15;
constexpr std::size_t kCountArgChars = 7;

}  // namespace

std::vector<std::wstring> SplitCommandLineArgs(const std::wstring& line) {
    std::vector<std::wstring> args;
    std::size_t i = 0;
    const std::size_t n = line.size();
    // The program name: quoted up to the next quote, or up to a blank.
    if (i < n && line[i] == L'"') {
        ++i;
        while (i < n && line[i] != L'"') ++i;
        if (i < n) ++i;
    } else {
        while (i < n && line[i] != L' ' && line[i] != L'\t') ++i;
    }
    for (;;) {
        while (i < n && (line[i] == L' ' || line[i] == L'\t')) ++i;
        if (i >= n) break;
        std::wstring arg;
        bool quoted = false;
        while (i < n && (quoted || (line[i] != L' ' && line[i] != L'\t'))) {
            if (line[i] == L'\\') {
                std::size_t slashes = 0;
                while (i < n && line[i] == L'\\') ++slashes, ++i;
                if (i < n && line[i] == L'"') {
                    arg.append(slashes / 2, L'\\');
                    if (slashes % 2) {
                        arg += L'"';
                        ++i;
                    }
                } else {
                    arg.append(slashes, L'\\');
                }
            } else if (line[i] == L'"') {
                // Inside quotes, a doubled quote is one literal quote.
                if (quoted && i + 1 < n && line[i + 1] == L'"') {
                    arg += L'"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                arg += line[i++];
            }
        }
        args.push_back(arg);
    }
    return args;
}

std::uint64_t ParseSkippedNumber(const std::wstring& arg, std::size_t maxChars) {
    if (arg.size() < 2 || arg.size() > maxChars) return 0;
    std::uint64_t value = 0;
    for (std::size_t i = 1; i < arg.size(); ++i) {
        wchar_t c = arg[i];
        if (c < L'0' || c > L'9') break;
        unsigned digit = unsigned(c - L'0');
        if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return 0;
        value = value * 10 + digit;
    }
    return value;
}

RunModeChoice ParseRunMode(const std::vector<std::wstring>& args, const std::wstring& exePathUpper,
                           const std::wstring& dataFolderUpper) {
    RunModeChoice choice;
    if (!args.empty()) {
        const std::wstring& first = args[0];
        static const struct { const wchar_t* sw; RunMode mode; } kSwitches[] = {
            {L"/webVexoD", RunMode::WebEntry},  {L"/QuonD", RunMode::DesktopEntry},
            {L"/uninst", RunMode::Uninstall},   {L"/update", RunMode::FinishUpdate},
            {L"/newgm", RunMode::PageProcess},  {L"/gmhall", RunMode::HallProcess},
        };
        for (const auto& s : kSwitches) {
            if (!EqualsIgnoreCase(first, s.sw)) continue;
            choice.mode = s.mode;
            if (s.mode == RunMode::PageProcess || s.mode == RunMode::HallProcess) {
                std::uint64_t wnd = args.size() > 1 ? ParseSkippedNumber(args[1], kOwnerArgChars) : 0;
                choice.ownerWnd = wnd > 0xFFFFFFFFu ? 0 : std::uint32_t(wnd);
            }
            if (s.mode == RunMode::PageProcess && args.size() > 2) {
                std::uint64_t count = ParseSkippedNumber(args[2], kCountArgChars);
                choice.ownerPageCount = count > 0x7FFFFFFF ? 0 : std::int32_t(count);
            }
            if (s.mode == RunMode::PageProcess && choice.ownerWnd == 0 && args.size() > 3) {
                std::uint64_t pid = ParseSkippedNumber(args[3], kOwnerArgChars);
                choice.ownerProcessId = pid > 0xFFFFFFFFu ? 0 : std::uint32_t(pid);
            }
            return choice;
        }
    }
    bool inside = !dataFolderUpper.empty() && exePathUpper.find(dataFolderUpper) != std::wstring::npos;
    choice.mode = inside ? RunMode::InstalledStart : RunMode::Install;
    return choice;
}
