// The native build's file system, for the store's tests.
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
    const std::filesystem::file_status status = std::filesystem::status(as_path(path), error);
    if (std::filesystem::is_directory(status)) return Entry::Folder;
    return std::filesystem::exists(status) ? Entry::File : Entry::None;
}

void make_parent_folders(const std::string& path) {
    std::error_code ignored;
    std::filesystem::create_directories(as_path(path).parent_path(), ignored);
}

bool rename(const std::string& from, const std::string& to) {
    std::error_code error;
    if (std::filesystem::exists(as_path(to), error)) return false;
    std::filesystem::rename(as_path(from), as_path(to), error);
    return !error;
}

}  // namespace tessivar::store::files
