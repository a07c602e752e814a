#pragma once
// The few questions the store puts to the file system, on UTF-8 paths: the
// system's own calls on Windows, which keep the C++ library's file system
// and its locales out of the exe.
#include <string>

namespace tessivar::store::files {

enum class Entry { None, File, Folder };
Entry entry_at(const std::string& path);

// The folders holding `path`, made where missing.
void make_parent_folders(const std::string& path);

// Whether `from` now lies at `to`; never over an existing entry.
[[nodiscard]] bool rename(const std::string& from, const std::string& to);

}  // namespace tessivar::store::files
