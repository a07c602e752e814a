#pragma once
// A stand-in for the user's browser: the handler of https addresses in the
// test's own prefix, recording the address the shell hands it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace tessivar::testing {

// Wine's shell looks the https handler up under HKEY_CLASSES_ROOT, which
// there is HKLM\Software\Classes alone: HKCU\Software\Classes is not merged
// in, so a handler registered there is never run. The stand-in goes where
// the shell looks, in the test's own prefix, and the old handler comes back
// afterwards.
class RecordingBrowser {
public:
    RecordingBrowser() {
        wchar_t folder[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        record_ = folder + std::wstring(L"tessivar_address_") + std::to_wstring(GetCurrentProcessId());
        DeleteFileW(record_.c_str());
        wchar_t saved[1024] = {};
        DWORD size = sizeof saved;
        RegGetValueW(HKEY_CLASSES_ROOT, kCommandKey, nullptr, RRF_RT_REG_SZ, nullptr, saved, &size);
        saved_ = saved;
        set_handler(L"\"" URL_RECORDER L"\" \"" + record_ + L"\" \"%1\"");
    }
    ~RecordingBrowser() {
        set_handler(saved_);
        DeleteFileW(record_.c_str());
    }
    RecordingBrowser(const RecordingBrowser&) = delete;
    RecordingBrowser& operator=(const RecordingBrowser&) = delete;

    // The address the shell handed over, or nothing if none came within a few seconds.
    std::string address() const {
        for (int waited = 0; waited < 8'000; waited += 50) {
            HANDLE file = CreateFileW(record_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            if (file != INVALID_HANDLE_VALUE) {
                char text[512];
                DWORD size = 0;
                ReadFile(file, text, sizeof text, &size, nullptr);
                CloseHandle(file);
                return std::string(text, size);
            }
            Sleep(50);
        }
        return {};
    }

private:
    static constexpr wchar_t kCommandKey[] = L"https\\shell\\open\\command";

    static void set_handler(const std::wstring& command) {
        const auto size = static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t));
        EXPECT_EQ(RegSetKeyValueW(HKEY_CLASSES_ROOT, kCommandKey, nullptr, REG_SZ, command.c_str(), size),
                  ERROR_SUCCESS);
    }

    std::wstring record_;
    std::wstring saved_;
};

}  // namespace tessivar::testing
