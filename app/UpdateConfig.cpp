#include "app/UpdateConfig.h"

namespace {

constexpr std::size_t kMaxKey = 63;
constexpr std::size_t kMaxAddress = 511;

std::string Trim(const std::string& s) {
    const char* blanks = " \t\r";
    std::size_t b = s.find_first_not_of(blanks);
    if (b == std::string::npos) return "";
    std::size_t e = s.find_last_not_of(blanks);
    return s.substr(b, e - b + 1);
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::string Unquote(const std::string& v) {
    if (v.size() >= 2 && ((v.front() == '"' && v.back() == '"') || (v.front() == '\'' && v.back() == '\'')))
        return v.substr(1, v.size() - 2);
    return v;
}

}  // namespace

std::string ProfileValue(const std::string& text, const std::string& section, const std::string& key) {
    std::size_t pos = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    bool inSection = false;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        const std::string line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            std::size_t close = line.find(']');
            inSection = close != std::string::npos && SameIgnoringCase(Trim(line.substr(1, close - 1)), section);
            continue;
        }
        if (!inSection) continue;
        std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        if (SameIgnoringCase(Trim(line.substr(0, eq)), key)) return Unquote(Trim(line.substr(eq + 1)));
    }
    return "";
}

UpdateConfig ParseUpdateConfig(const std::string& text, const std::string& gameName) {
    UpdateConfig config;
    config.verKey = ProfileValue(text, "VerKey", gameName).substr(0, kMaxKey);
    config.updAddr = ProfileValue(text, "VerKey", "UpdAddr");
    // A cut address would name another file; none is better.
    if (config.updAddr.size() > kMaxAddress) config.updAddr.clear();
    return config;
}
