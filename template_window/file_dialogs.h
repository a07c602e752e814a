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

// The file's bytes; none where it cannot be read or holds more than `limit`.
std::optional<std::string> read_file(const std::wstring& path, std::size_t limit);
// Written whole, or nothing said to be done: false where any byte failed.
bool write_file(const std::wstring& path, std::string_view bytes);
// The file's name without its folder and its last extension.
std::wstring file_stem(const std::wstring& path);

}  // namespace tessivar
