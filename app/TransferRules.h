// The rules of one HTTP file transfer that need no Windows: which download
// addresses are the platform's, which answers are worth reading, how large
// the next read is, the progress figure and when it is worth telling, and
// when a transfer counts as complete. Shared by the configuration fetch, the
// self-update download and the game-client download.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// "http://" (any case) with a host that equals one of `domains` or ends in
// "." + one of them (any case). The host is parsed, never searched: a
// platform domain in the path, the query or a user-info part does not count.
// Hosts with characters outside letters, digits, "-" and ".", or with empty
// labels, are refused, as is anything SplitHttpUrl refuses.
bool IsAllowedDownloadUrl(const std::wstring& url, const std::vector<std::wstring>& domains);
// The same against the platform's three domains of this build.
bool IsPlatformDownloadUrl(const std::wstring& url);

// The most bytes a transfer may bring: an update configuration is a few
// lines, the executable about 1.5 MB. A larger announcement or running total
// ends the transfer before the disk fills.
constexpr std::uint32_t kMaxConfigBytes = 64 * 1024;
constexpr std::uint32_t kMaxExecutableBytes = 64 * 1024 * 1024;

enum class TransferStatus {
    Ok,
    BadAddress,   // not an acceptable address: nothing was sent
    NoAnswer,     // no connection, or the request could not be sent
    BadStatus,    // status unreadable or not 2xx, 3xx or 404
    NotFound,     // 404: nothing is published there
    Redirected,   // 3xx: redirects are not followed, the answer is no file
    TooLarge,     // the announced length or the running total passed the limit
    NoLength,     // no Content-Length, or not a 4-byte number
    EmptyBody,    // Content-Length 0: nothing to divide the progress by
    FileError,    // the destination could not be created or written
    Short,        // fewer bytes than announced: dropped or cut off
    Cancelled,    // the user (or the owner) stopped it
};

// The status line's code as WinINet gives it in text: acceptable only for
// 200-299, written as exactly three digits.
bool IsAcceptedStatus(const std::wstring& statusText);

// The verdict on an answer's headers; Ok means the body is worth reading.
// `lengthBytes` is how many bytes the length query returned (0 when it failed);
// a length above `maxBytes` is refused before anything is read.
TransferStatus CheckAnswer(bool statusRead, const std::wstring& statusText, std::uint32_t lengthBytes,
                           std::uint32_t contentLength, std::uint32_t maxBytes);

// Ok while the bytes received stay within `maxBytes` (a server may send more
// than it announced), TooLarge from the first byte past it.
TransferStatus CheckRunningTotal(std::uint64_t total, std::uint32_t maxBytes);

// After the body: complete when at least the announced length arrived (a
// server that sends more is no fault of the player's).
TransferStatus CheckBody(std::uint64_t total, std::uint32_t contentLength);

// total × 100 / length rounded down, capped at 100; 0 for a length of 0.
unsigned ProgressPercent(std::uint64_t total, std::uint32_t contentLength);

// Remembers the figure last told, so that the bar hears each value once.
class ProgressNotifier {
public:
    // True when `percent` differs from the last one told (the first always does).
    bool Changed(unsigned percent) {
        if (m_told && percent == m_last) return false;
        m_told = true;
        m_last = percent;
        return true;
    }

private:
    bool m_told = false;
    unsigned m_last = 0;
};

// Size of the next read. A synchronous read returns only once its buffer is
// full or the body ends, so a large buffer on a slow line means rare progress
// and a late answer to a cancel. The size follows the measured rate so that
// one read takes about kTargetMs, between kMinBytes and kMaxBytes.
class ReadSizer {
public:
    static constexpr std::uint32_t kMinBytes = 16 * 1024;
    static constexpr std::uint32_t kMaxBytes = 1024 * 1024;
    static constexpr std::uint32_t kTargetMs = 100;

    std::uint32_t Next() const { return m_size; }
    // A read asked for `asked` bytes, got `got` and took `elapsedMs`: double
    // when it was quick; when it took more than twice the target, the size
    // that reads in the target time at that rate. A short read (the end of
    // the body) says nothing about the rate.
    void Took(std::uint32_t asked, std::uint32_t got, std::uint32_t elapsedMs);

private:
    std::uint32_t m_size = 64 * 1024;
};
