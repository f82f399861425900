// Turning fuzzer bytes into the inputs the launcher's parsers meet: wide text
// as it arrives from a page, a command line or a profile file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

// Pairs of bytes as UTF-16 code units, so that every value (surrogates, NUL,
// Chinese) can occur; a last odd byte is one more unit.
inline std::wstring WideFrom(const std::uint8_t* data, std::size_t size) {
    std::wstring text;
    text.reserve(size / 2 + 1);
    for (std::size_t i = 0; i < size; i += 2) {
        unsigned unit = data[i] | (i + 1 < size ? unsigned(data[i + 1]) << 8 : 0u);
        text += wchar_t(unit);
    }
    return text;
}

// Text split at "\n" units: several arguments or fields from one input.
inline std::vector<std::wstring> FieldsFrom(const std::wstring& text) {
    std::vector<std::wstring> fields(1);
    for (wchar_t c : text) {
        if (c == L'\n') fields.emplace_back();
        else fields.back() += c;
    }
    return fields;
}

// Figures taken from the front of the input, the rest left as text: one
// input drives both the numbers and the texts of a rule. Bytes past the end
// read as 0, so every input is a complete call.
class FuzzReader {
public:
    FuzzReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    std::uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    // Little-endian, of an unsigned type.
    template <typename T>
    T Take() {
        T value = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i) value = T(value | (T(Byte()) << (8 * i)));
        return value;
    }
    bool AtEnd() const { return m_pos >= m_size; }
    std::wstring RestAsWide() {
        const std::size_t at = m_pos < m_size ? m_pos : m_size;
        m_pos = m_size;
        return WideFrom(m_data + at, m_size - at);
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// A broken invariant is a crash, so that libFuzzer keeps the input.
#define FUZZ_CHECK(cond)                                                  \
    do {                                                                  \
        if (!(cond)) {                                                    \
            std::fprintf(stderr, "invariant broken: %s (%s:%d)\n", #cond, \
                         __FILE__, __LINE__);                             \
            std::abort();                                                 \
        }                                                                 \
    } while (0)
