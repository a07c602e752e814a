#pragma once
// Every test starts from a clean store. In-process windows get a store on a
// file of the test's own (TestStore); a Tessivar.exe the test starts gets a
// %APPDATA% of the test's own (FreshAppData), which it inherits.
#include <windows.h>

#include <filesystem>
#include <string>

#include "store/histories.h"
#include "store/store.h"
#include "tests/host/temporary_folder.h"

namespace tessivar::testing {

struct TestStore {
    TemporaryFolder folder;
    const std::string path = folder.file("Tessivar.db");
    store::Store store{path};
    store::StoreHistories histories{store};
};

class FreshAppData {
public:
    FreshAppData() {
        const DWORD size = GetEnvironmentVariableW(L"APPDATA", nullptr, 0);
        saved_.resize(size);
        saved_.resize(GetEnvironmentVariableW(L"APPDATA", saved_.data(), size));
        had_ = size != 0;
        SetEnvironmentVariableW(L"APPDATA", folder.path().wstring().c_str());
    }
    ~FreshAppData() { SetEnvironmentVariableW(L"APPDATA", had_ ? saved_.c_str() : nullptr); }
    FreshAppData(const FreshAppData&) = delete;
    FreshAppData& operator=(const FreshAppData&) = delete;

    // Where a started program keeps its file.
    std::filesystem::path database() const { return folder.path() / L"Tessivar" / L"Tessivar.db"; }
    const std::filesystem::path& path() const { return folder.path(); }

    // Whether the programs started now get a fresh %APPDATA%.
    static bool in_use() {
        wchar_t value[MAX_PATH] = {};
        GetEnvironmentVariableW(L"APPDATA", value, MAX_PATH);
        return std::wstring(value).find(L"tessivar-test-") != std::wstring::npos;
    }

private:
    TemporaryFolder folder;
    std::wstring saved_;
    bool had_ = false;
};

}  // namespace tessivar::testing
