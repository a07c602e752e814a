#pragma once
// The system's dialogs to choose a file, from comdlg32 loaded by name the
// first time one is asked for (the program imports no more than it did),
// and whole-file reading and writing for them.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace tessivar {

inline constexpr wchar_t kSaveTemplateTitle[] = L"Сохранить оформление в файл";
inline constexpr wchar_t kOpenTemplateTitle[] = L"Загрузить оформление из файла";

// The path the user chose; none where they cancelled, or the system lacks the dialog.
std::optional<std::wstring> ask_save_path(HWND owner, const std::wstring& suggested_name);
std::optional<std::wstring> ask_open_path(HWND owner);

struct FileBytes {
    std::optional<std::string> bytes;  // none where the file cannot be read or is over the limit
    unsigned long long size = 0;       // as the file system gives it, also where over the limit
};
// The file's bytes where it holds no more than `limit`.
FileBytes read_file(const std::wstring& path, std::size_t limit);
// Written whole or not at all: the bytes go to a new file beside `path`,
// which then takes its place in one step. False where any step failed; an
// earlier file at `path` is then as it was, and nothing new is left beside it.
bool write_file(const std::wstring& path, std::string_view bytes);
// The file's name without its folder and its last extension.
std::wstring file_stem(const std::wstring& path);

}  // namespace tessivar
