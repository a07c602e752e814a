// The native build's file system, for the store's tests, judging as the
// Windows build does: GetFileAttributesW reads a link itself, not what it
// points to (a directory link is a folder, any other link a file, however
// dangling), and MoveFileExW moves a link and never replaces an entry.
#include <fcntl.h>
#include <stdio.h>

#include <filesystem>
#include <system_error>

#include "store/files.h"

namespace tessivar::store::files {
namespace {

std::filesystem::path as_path(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace

Entry entry_at(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status link = std::filesystem::symlink_status(as_path(path), error);
    if (std::filesystem::is_symlink(link)) {
        return std::filesystem::is_directory(as_path(path), error) ? Entry::Folder : Entry::File;
    }
    if (std::filesystem::is_directory(link)) return Entry::Folder;
    return std::filesystem::exists(link) ? Entry::File : Entry::None;
}

void make_parent_folders(const std::string& path) {
    std::error_code ignored;
    std::filesystem::create_directories(as_path(path).parent_path(), ignored);
}

// The system's own refusal to replace: no moment between a look and the move.
bool rename(const std::string& from, const std::string& to) {
    return renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0;
}

}  // namespace tessivar::store::files
