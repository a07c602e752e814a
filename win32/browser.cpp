#include "win32/browser.h"

#include <shellapi.h>

#include <string>

#include "bbcode/post.h"
#include "win32/window_kit.h"

namespace tessivar {
namespace {

ShellOpen stand_in{};

// The shell's DLL brings a dozen more with it: loaded when a site is first
// opened rather than at every start.
ShellOpen shell_open() {
    if (stand_in) return stand_in;
    static const ShellOpen open = [] {
        HMODULE shell = system_library(L"shell32.dll");
        return shell ? system_function<decltype(ShellExecuteW)>(shell, "ShellExecuteW") : nullptr;
    }();
    return open;
}

}  // namespace

bool open_web_address(HWND owner, std::wstring_view address) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    const std::u16string_view checked(reinterpret_cast<const char16_t*>(address.data()), address.size());
    if (!bbcode::is_web_address(checked)) return false;
    const auto open = shell_open();
    if (!open) return false;
    open(owner, L"open", std::wstring(address).c_str(), nullptr, nullptr, SW_SHOW);
    return true;
}

ShellOpen replace_shell_open(ShellOpen open) {
    const ShellOpen previous = stand_in;
    stand_in = open;
    return previous;
}

}  // namespace tessivar
