#pragma once
// Steps run one at a time from a timer, each once the program has handled all
// that the step before caused: a timer's message comes only when the queue is
// empty, and it comes inside the nested loops of a drop-down menu or of a
// modal window too. So a test can type into a menu that is open.
#include <windows.h>

#include <functional>
#include <utility>
#include <vector>

namespace tessivar::testing {

using Step = std::function<void()>;

struct Outcome {
    bool all_ran = false;
    bool quit = false;  // a quit message reached the test's own loop
    WPARAM exit_code = 0;
};

namespace detail {

struct Script {
    std::vector<Step> steps;
    std::size_t next = 0;
    DWORD deadline = 0;
};
inline Script* g_script = nullptr;

// Whatever a failed test left open would keep its loop running for ever.
inline void close_leftovers() {
    EndMenu();
    wchar_t name[16] = {};
    HWND active = GetActiveWindow();
    if (active && GetClassNameW(active, name, 16) && lstrcmpW(name, L"TFAbout") == 0) {
        PostMessageW(active, WM_CLOSE, 0, 0);
    }
}

inline void CALLBACK on_tick(HWND, UINT, UINT_PTR, DWORD) {
    Script& script = *g_script;
    if (script.next < script.steps.size() && GetTickCount() < script.deadline) {
        script.steps[script.next++]();
    } else {
        close_leftovers();
    }
}

inline WPARAM key_data(WORD key, bool up) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
    return static_cast<WPARAM>(1 | scan | (up ? 0xC0000000 : 0));
}

inline HWND keyboard_target() { return GetFocus() ? GetFocus() : GetActiveWindow(); }

}  // namespace detail

// Runs the thread's messages until every step has run and what it caused is
// done, for a minute at most.
inline Outcome run_steps(std::vector<Step> steps) {
    detail::Script script{std::move(steps), 0, GetTickCount() + 60'000};
    detail::g_script = &script;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, detail::on_tick);
    Outcome outcome;
    // Once back in this loop after the last step, nothing nested is running.
    while (script.next < script.steps.size() && GetTickCount() < script.deadline + 2'000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                outcome.quit = true;
                outcome.exit_code = msg.wParam;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    KillTimer(nullptr, timer);
    detail::g_script = nullptr;
    outcome.all_ran = script.next == script.steps.size();
    return outcome;
}

// A key pressed and let go, as the focused window receives it.
inline Step press(WORD key) {
    return [key] {
        const HWND target = detail::keyboard_target();
        PostMessageW(target, WM_KEYDOWN, key, detail::key_data(key, false));
        PostMessageW(target, WM_KEYUP, key, detail::key_data(key, true));
    };
}

// F10 alone, or Alt alone: what opens a window's menu bar.
inline Step press_menu_key(WORD key) {
    return [key] {
        const HWND target = detail::keyboard_target();
        const WPARAM alt = key == VK_MENU ? 0x20000000 : 0;  // the context code Alt sets
        PostMessageW(target, WM_SYSKEYDOWN, key, detail::key_data(key, false) | alt);
        PostMessageW(target, WM_SYSKEYUP, key, detail::key_data(key, true));
    };
}

}  // namespace tessivar::testing
