#pragma once
// Waiting for what a test checks, never for a fixed time: a condition is
// asked again and again until it holds or a deadline passes that no
// machine, however busy, comes near.
#include <windows.h>

namespace tessivar::testing {

inline constexpr DWORD kGenerousMs = 60'000;

// Whether `holds` came true within `deadline_ms`; asked every few
// milliseconds, with nothing of this thread's own to pump.
template <class Holds>
bool eventually(Holds holds, DWORD deadline_ms = kGenerousMs) {
    for (const DWORD start = GetTickCount(); !holds(); Sleep(10)) {
        if (GetTickCount() - start >= deadline_ms) return holds();
    }
    return true;
}

}  // namespace tessivar::testing
