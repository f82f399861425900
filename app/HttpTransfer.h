// The one routine that moves a file over HTTP: the update configuration, the
// self-update download and the game-client download all go through it. It
// keeps the platform's request conventions (agent "QZR", the header block,
// reload from the server, system proxy, host[:port]) with redirects off (a
// 3xx is a failed transfer: no request ever leaves for its Location), accepts
// only a 2xx answer with a non-zero Content-Length within the caller's limit,
// writes the body to a file created anew in blocks
// sized to the line's rate, reports the percentage whenever it changes, and
// can be cancelled from another thread.
//
// Cancelling sets a flag and closes the request handle, which unblocks a read
// waiting on the network; the transfer then stops at once, closes the file and
// its other handles itself. Each handle is closed exactly once, by whichever
// side gets to it first, under one lock. Under Wine a blocked read is not
// woken by the close; it ends with the next data that arrives.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "app/TransferRules.h"

class CHttpTransfer {
public:
    // Called on the transferring thread with the new percentage (0-100),
    // only when it differs from the last one told.
    using ProgressFn = std::function<void(unsigned percent)>;

    CHttpTransfer();
    ~CHttpTransfer();
    CHttpTransfer(const CHttpTransfer&) = delete;
    CHttpTransfer& operator=(const CHttpTransfer&) = delete;

    // Downloads `url` into `file` once the answer has passed its checks: a
    // file left there by anyone is removed first and the file is created new
    // (never opened as found); a failed transfer may leave part of it. More
    // than `maxBytes`, announced or received, ends it with TooLarge. Blocks
    // the calling thread. One transfer at a time per object.
    TransferStatus Download(const std::wstring& url, const std::wstring& file, const ProgressFn& onProgress = {},
                            std::uint32_t maxBytes = kMaxExecutableBytes);

    // From any thread, any time, more than once: the running transfer (or the
    // next one) ends with TransferStatus::Cancelled.
    void Cancel();
    bool IsCancelled() const;
    // Lets the object run another transfer after a cancel.
    void Rearm();

    // Bytes received and the announced length of the last transfer.
    std::uint64_t Total() const { return m_total; }
    std::uint32_t ContentLength() const { return m_length; }

private:
    TransferStatus Receive(void* request, const std::wstring& file, const ProgressFn& onProgress,
                           std::uint32_t maxBytes);
    // Takes the request handle back from the shared slot and closes it, unless
    // a cancel already did.
    void CloseRequest();

    mutable CRITICAL_SECTION m_lock;
    void* m_hRequest = nullptr;  // HINTERNET, shared with Cancel under m_lock
    bool m_bCancel = false;
    std::uint64_t m_total = 0;
    std::uint32_t m_length = 0;
};

const wchar_t* TransferStatusName(TransferStatus status);
