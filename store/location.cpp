#include "store/location.h"

#include <windows.h>

namespace tessivar::store {
namespace {

constexpr wchar_t kFileName[] = L"Tessivar.db";

// Paths longer than MAX_PATH are read whole.
std::wstring this_program() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD got = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (got == 0) return {};
        if (got < path.size()) return path.substr(0, got);
        path.resize(path.size() * 2);
    }
}

std::wstring variable(const wchar_t* name) {
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return {};
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), size));
    return value;
}

bool is_file(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

// %APPDATA% is the environment's, as the system sets it for each user: no
// shell DLL at start-up.
Location database_location() {
    const std::wstring program = this_program();
    const std::wstring beside = program.substr(0, program.find_last_of(L"\\/") + 1) + kFileName;
    if (!program.empty() && is_file(beside)) return {beside, true};
    const std::wstring roaming = variable(L"APPDATA");
    if (roaming.empty()) return {};
    return {roaming + L"\\Tessivar\\" + kFileName, false};
}

}  // namespace tessivar::store
