#pragma once
// What quick fill kept in the per-user registry before the database file,
// under HKCU\Software\Tessivar (one multi-string value per history, and the
// DWORD "Remember"), taken over once.
#include <string>

#include "store/database.h"

namespace tessivar::store {

inline constexpr wchar_t kRegistryKey[] = L"Software\\Tessivar";

// On a database that has not yet taken the key over: its values are
// written with the mark in one transaction, and the key is deleted only
// after that commit. A database with the mark reads no registry at all.
void import_registry(Database& database, const std::wstring& key = kRegistryKey);

}  // namespace tessivar::store
