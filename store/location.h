#pragma once
// Where the database file lies: beside the exe when a Tessivar.db is there
// (portable: then nothing is written to %APPDATA% or the registry), else
// %APPDATA%\Tessivar\Tessivar.db, its folder made on first need.
#include <string>

namespace tessivar::store {

struct Location {
    std::wstring path;  // empty where %APPDATA% is not set
    bool portable = false;
};

// Two file-system questions, nothing made.
Location database_location();

}  // namespace tessivar::store
