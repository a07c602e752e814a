#include "win32/dialog_keys.h"

#include <algorithm>
#include <vector>

namespace tessivar {
namespace {

struct KeyedWindow {
    HWND window;
    HACCEL keys;
};

// A handful at most, all on the window thread.
std::vector<KeyedWindow>& keyed_windows() {
    static std::vector<KeyedWindow> windows;
    return windows;
}

// A combo box's drop-down list is a top-level window of its own, which
// took no keys: its messages go on as they are.
bool is_window_key(const MSG& msg, HWND root) {
    const auto& windows = keyed_windows();
    const auto found = std::find_if(windows.begin(), windows.end(), [&](const KeyedWindow& w) { return w.window == root; });
    if (!root || found == windows.end()) return false;
    auto* key = const_cast<MSG*>(&msg);
    return (found->keys && TranslateAcceleratorW(root, found->keys, key)) || IsDialogMessageW(root, key);
}

}  // namespace

void take_dialog_keys(HWND window, HACCEL keys) {
    let_go_dialog_keys(window);
    keyed_windows().push_back({window, keys});
}

void let_go_dialog_keys(HWND window) {
    std::erase_if(keyed_windows(), [&](const KeyedWindow& w) { return w.window == window; });
}

void dispatch_message(const MSG& msg) {
    if (is_window_key(msg, GetAncestor(msg.hwnd, GA_ROOT))) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

}  // namespace tessivar
