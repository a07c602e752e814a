#pragma once
// The path of a program built into the same folder as the running one.
#include <windows.h>

#include <string>

namespace tessivar::testing {

inline std::wstring beside_this_program(const wchar_t* name) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    path.resize(path.find_last_of(L'\\') + 1);
    return path + name;
}

}  // namespace tessivar::testing
