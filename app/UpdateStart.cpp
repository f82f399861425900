#include "app/UpdateStart.h"

namespace {

constexpr wchar_t kPrefix[] = L"Local\\VexoQuon-update-";

bool IsNumber(const std::wstring& s, std::size_t from, std::size_t to) {
    if (to <= from || to - from > 10) return false;
    for (std::size_t i = from; i < to; ++i)
        if (s[i] < L'0' || s[i] > L'9') return false;
    return true;
}

}  // namespace

std::wstring UpdateSignalName(std::uint32_t processId, std::uint32_t tick) {
    return kPrefix + std::to_wstring(processId) + L"-" + std::to_wstring(tick);
}

bool IsUpdateSignalName(const std::wstring& name) {
    const std::wstring prefix = kPrefix;
    if (name.compare(0, prefix.size(), prefix) != 0) return false;
    const std::size_t dash = name.find(L'-', prefix.size());
    if (dash == std::wstring::npos) return false;
    return IsNumber(name, prefix.size(), dash) && IsNumber(name, dash + 1, name.size());
}

AfterStart DecideAfterStart(StartWait wait) {
    return wait == StartWait::Signalled ? AfterStart::KeepNew : AfterStart::RollBack;
}
