// The update configuration the platform publishes (ConfigQuon.htm): profile
// text as fetched, in any encoding, which a proxy's error page or a broken
// upload may have turned into anything.
#include "FuzzInput.h"
#include "app/UpdateConfig.h"

namespace {

const std::string kBom = "\xEF\xBB\xBF";

std::string Value(const std::string& text, const std::string& key) { return ProfileValue(text, "VerKey", key); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string key = Value(text, "Quon");
    const std::string address = Value(text, "UpdAddr");

    // A value is (part of) one line of the text.
    for (const std::string* v : {&key, &address}) {
        FUZZ_CHECK(v->find('\n') == std::string::npos);
        FUZZ_CHECK(text.find(*v) != std::string::npos);
    }
    // Section and key names compare ignoring ASCII case.
    FUZZ_CHECK(ProfileValue(text, "VERKEY", "quon") == key);
    // LF and CR LF line ends read the same.
    std::string crlf;
    for (char c : text) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    FUZZ_CHECK(Value(crlf, "Quon") == key && Value(crlf, "UpdAddr") == address);
    // A byte-order mark in front changes nothing.
    if (text.compare(0, 3, kBom) != 0) FUZZ_CHECK(Value(kBom + text, "Quon") == key);
    // The first occurrence counts: a later one changes nothing.
    if (!key.empty()) FUZZ_CHECK(Value(text + "\n[VerKey]\nQuon=later\n", "Quon") == key);

    const UpdateConfig config = ParseUpdateConfig(text, "Quon");
    // The key is the value cut to its limit; an address too long is none at all.
    FUZZ_CHECK(config.verKey.size() <= 63);
    FUZZ_CHECK(config.verKey == key.substr(0, 63));
    FUZZ_CHECK(config.updAddr.size() <= 511);
    FUZZ_CHECK(config.updAddr == (address.size() <= 511 ? address : std::string()));
    // What was read, published again (quoted, so blanks and quotes survive), reads the same.
    const UpdateConfig again = ParseUpdateConfig(
        "[VerKey]\r\nQuon=\"" + config.verKey + "\"\r\nUpdAddr=\"" + config.updAddr + "\"\r\n", "Quon");
    FUZZ_CHECK(again.verKey == config.verKey && again.updAddr == config.updAddr);
    return 0;
}
