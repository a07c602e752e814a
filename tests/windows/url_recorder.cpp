// Stands in for the browser in the menu tests: registered as the handler of
// web addresses, it writes the address it was given (its second argument)
// to the file named by its first, as UTF-8.
#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    const std::wstring address = argv[2];
    const int size = WideCharToMultiByte(CP_UTF8, 0, address.c_str(), static_cast<int>(address.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, address.c_str(), static_cast<int>(address.size()), utf8.data(), size,
                        nullptr, nullptr);
    // Written aside and renamed, so that the test never reads half a file.
    const std::wstring partial = std::wstring(argv[1]) + L".partial";
    HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(file);
    return MoveFileExW(partial.c_str(), argv[1], MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
