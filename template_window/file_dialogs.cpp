#include "template_window/file_dialogs.h"

#include <commdlg.h>

#include "win32/centred.h"
#include "win32/window_kit.h"

namespace tessivar {
namespace {

constexpr wchar_t kFilter[] = L"Оформление (*.txt)\0*.txt\0Все файлы (*.*)\0*.*\0";
constexpr DWORD kMaxPath = 32768;

using FileDialog = BOOL WINAPI(OPENFILENAMEW*);

FileDialog* file_dialog(const char* name) {
    static HMODULE const comdlg = system_library(L"comdlg32.dll");
    return comdlg ? system_function<FileDialog>(comdlg, name) : nullptr;
}

std::optional<std::wstring> ask_path(HWND owner, const char* dialog_name, const wchar_t* title,
                                     const std::wstring& suggested, DWORD flags) {
    FileDialog* dialog = file_dialog(dialog_name);
    if (!dialog) return std::nullopt;
    std::wstring path = suggested;
    path.resize(kMaxPath);
    OPENFILENAMEW request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.lpstrFilter = kFilter;
    request.lpstrFile = path.data();
    request.nMaxFile = kMaxPath;
    request.lpstrTitle = title;
    request.lpstrDefExt = L"txt";
    request.Flags = flags | OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    const CentredOn centred(owner);  // the system's dialog may grow a little after
    if (!dialog(&request)) return std::nullopt;
    path.resize(path.find(L'\0'));
    return path;
}

struct FileHandle {
    HANDLE handle;
    ~FileHandle() { close(); }
    bool close() {
        const bool closed = handle == INVALID_HANDLE_VALUE || CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
        return closed;
    }
};

bool write_all(HANDLE file, std::string_view bytes) {
    DWORD written = 0;
    return bytes.size() <= MAXDWORD &&
           (bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) &&
           written == bytes.size() && FlushFileBuffers(file);
}

// Whether the file at `path`, if there is one, may be replaced: not
// read-only. Windows' move refuses to replace one; Wine 8's does not. A
// folder is refused here before anything is made beside it.
bool may_replace(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND;
    return !(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
}

// A name beside `path` that nothing has yet, and the file made there; none
// where no file can be made in that folder.
std::optional<std::wstring> new_file_beside(const std::wstring& path, FileHandle& file) {
    for (unsigned n = 1; n <= 100; ++n) {
        std::wstring beside = path + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(n) + L".tmp";
        file.handle = CreateFileW(beside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file.handle != INVALID_HANDLE_VALUE) return beside;
        if (GetLastError() != ERROR_FILE_EXISTS) return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::wstring> ask_save_path(HWND owner, const std::wstring& suggested_name) {
    return ask_path(owner, "GetSaveFileNameW", kSaveTemplateTitle, suggested_name, OFN_OVERWRITEPROMPT);
}

std::optional<std::wstring> ask_open_path(HWND owner) {
    return ask_path(owner, "GetOpenFileNameW", kOpenTemplateTitle, L"", OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
}

FileBytes read_file(const std::wstring& path, std::size_t limit) {
    const FileHandle file{CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
    LARGE_INTEGER size{};
    if (file.handle == INVALID_HANDLE_VALUE || !GetFileSizeEx(file.handle, &size)) return {};
    FileBytes result{std::nullopt, static_cast<unsigned long long>(size.QuadPart)};
    if (result.size > limit) return result;
    std::string bytes(static_cast<std::size_t>(result.size), '\0');
    DWORD read = 0;
    if (!bytes.empty() && (!ReadFile(file.handle, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size())) {
        return result;
    }
    result.bytes = std::move(bytes);
    return result;
}

// Moved, not replaced with ReplaceFileW: Wine's moves the old file away
// before the new one in, so a failure between loses both; a move onto it
// is one rename.
bool write_file(const std::wstring& path, std::string_view bytes) {
    if (!may_replace(path)) return false;
    FileHandle file{INVALID_HANDLE_VALUE};
    const std::optional<std::wstring> beside = new_file_beside(path, file);
    if (!beside) return false;
    if (write_all(file.handle, bytes) && file.close() &&
        MoveFileExW(beside->c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    file.close();
    DeleteFileW(beside->c_str());
    return false;
}

std::wstring file_stem(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos || dot == 0 ? name : name.substr(0, dot);
}

}  // namespace tessivar
