#pragma once
// A registry key of the running test's own, under HKCU: the Wine prefix is
// shared by every test, so each starts from nothing and leaves nothing.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <string_view>

#include "output/win32_text.h"

namespace tessivar::testing {

class TestKey {
public:
    TestKey() {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        path = kParent + (L"\\" + widen(test->test_suite_name()) + L"." + widen(test->name()));
        RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
    }
    ~TestKey() {
        RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, kParent);  // once no other test's key is left in it
    }
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;

    void put(const wchar_t* name, DWORD type, const void* data, std::size_t size) const {
        EXPECT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(), name, type, data, static_cast<DWORD>(size)),
                  ERROR_SUCCESS);
    }
    void put_units(const wchar_t* name, std::u16string_view units, DWORD type = REG_MULTI_SZ) const {
        put(name, type, units.data(), units.size() * sizeof(char16_t));
    }

    static constexpr wchar_t kParent[] = L"Software\\Tessivar tests";
    std::wstring path;
};

}  // namespace tessivar::testing
