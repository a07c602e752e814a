#include <windows.h>

#include "output/win32_text.h"
#include "store/files.h"

namespace tessivar::store::files {

Entry entry_at(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(widen(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return Entry::None;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? Entry::Folder : Entry::File;
}

// Each folder from the top down; those already there fail harmlessly.
void make_parent_folders(const std::string& path) {
    const std::wstring wide = widen(path);
    for (std::size_t end = wide.find_first_of(L"\\/", 3); end != std::wstring::npos;
         end = wide.find_first_of(L"\\/", end + 1)) {
        CreateDirectoryW(wide.substr(0, end).c_str(), nullptr);
    }
}

bool rename(const std::string& from, const std::string& to) {
    return MoveFileExW(widen(from).c_str(), widen(to).c_str(), 0) != 0;
}

}  // namespace tessivar::store::files
