// Window handles as the numbers the launcher's command lines carry. A window
// handle is a 32-bit value in every process: 64-bit Windows shares it with
// 32-bit programs, which see the low 32 bits, and sign-extends it for 64-bit
// ones (HandleToLong / LongToHandle). So the number is those 32 bits, and the
// handle is rebuilt from it the same way in a 32- or 64-bit build.
#pragma once

#include <windows.h>

#include <cstdint>

inline std::uint32_t WindowHandleNumber(HWND hwnd) {
    return static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(hwnd));
}

inline HWND WindowHandleFromNumber(std::uint32_t number) {
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<std::int32_t>(number)));
}
