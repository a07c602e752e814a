// The registry is Windows' own place for a user's short lists: each value is
// written whole, so a reader sees the old list or the new one, and there is
// no file of ours to lock or to break. advapi32 is loaded when the store is
// first used, never at start-up. Whatever the key holds, the worst it does
// is offer nothing: an unreadable value counts as none, and the next record
// writes it anew.
#include "app/registry_histories.h"

#include <windows.h>

#include <optional>
#include <utility>
#include <vector>

#include "form/window_kit.h"
#include "output/win32_text.h"

namespace tessivar {
namespace {

using history::Meaning;

constexpr wchar_t kRememberSetting[] = L"Remember";

struct Registry {
    decltype(&RegOpenKeyExW) open;
    decltype(&RegCreateKeyExW) create;
    decltype(&RegQueryValueExW) query;
    decltype(&RegSetValueExW) set;
    decltype(&RegDeleteValueW) remove;
    decltype(&RegCloseKey) close;
};

// Null where the system lacks any of them.
const Registry* registry() {
    static const Registry functions = [] {
        HMODULE advapi32 = system_library(L"advapi32.dll");
        if (!advapi32) return Registry{};
        return Registry{
            system_function<decltype(RegOpenKeyExW)>(advapi32, "RegOpenKeyExW"),
            system_function<decltype(RegCreateKeyExW)>(advapi32, "RegCreateKeyExW"),
            system_function<decltype(RegQueryValueExW)>(advapi32, "RegQueryValueExW"),
            system_function<decltype(RegSetValueExW)>(advapi32, "RegSetValueExW"),
            system_function<decltype(RegDeleteValueW)>(advapi32, "RegDeleteValueW"),
            system_function<decltype(RegCloseKey)>(advapi32, "RegCloseKey"),
        };
    }();
    const bool complete = functions.open && functions.create && functions.query && functions.set &&
                          functions.remove && functions.close;
    return complete ? &functions : nullptr;
}

// An open key, closed when done with; empty where it cannot be opened.
class Key {
public:
    static Key for_reading(const std::wstring& path) {
        Key key;
        if (key.system_ && key.system_->open(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key.handle_) !=
                               ERROR_SUCCESS) {
            key.handle_ = nullptr;
        }
        return key;
    }
    static Key for_writing(const std::wstring& path) {
        Key key;
        if (key.system_ && key.system_->create(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0,
                                               KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key.handle_,
                                               nullptr) != ERROR_SUCCESS) {
            key.handle_ = nullptr;
        }
        return key;
    }
    Key(Key&& other) noexcept : system_(other.system_), handle_(std::exchange(other.handle_, nullptr)) {}
    ~Key() {
        if (handle_) system_->close(handle_);
    }
    Key& operator=(Key&&) = delete;

    explicit operator bool() const { return handle_ != nullptr; }

    // Size first, then the bytes: a value larger than any list we write is
    // never read, and one that changed in between counts as unreadable.
    history::Values history(Meaning meaning) const {
        const std::wstring name = as_wide(history::stored_name(meaning));
        DWORD type = 0, size = 0;
        if (!handle_ || system_->query(handle_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            type != REG_MULTI_SZ || size > history::kMaxStoredBytes) {
            return {};
        }
        std::vector<std::byte> stored(size);
        DWORD got = size;
        if (system_->query(handle_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(stored.data()), &got) !=
                ERROR_SUCCESS ||
            type != REG_MULTI_SZ || got != size) {
            return {};
        }
        return history::read_stored(stored);
    }

    // None kept: no value at all, for an empty string would end the list.
    void write(Meaning meaning, const history::Values& values) const {
        const std::wstring name = as_wide(history::stored_name(meaning));
        if (values.empty()) {
            system_->remove(handle_, name.c_str());
            return;
        }
        const std::vector<std::byte> stored = history::stored_form(values);
        system_->set(handle_, name.c_str(), 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(stored.data()),
                     static_cast<DWORD>(stored.size()));
    }

    std::optional<DWORD> number(const wchar_t* name) const {
        DWORD type = 0, value = 0, size = sizeof value;
        if (!handle_ || system_->query(handle_, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
                            ERROR_SUCCESS ||
            type != REG_DWORD || size != sizeof value) {
            return std::nullopt;
        }
        return value;
    }

    void set_number(const wchar_t* name, DWORD value) const {
        system_->set(handle_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    }

private:
    Key() = default;

    const Registry* system_ = registry();
    HKEY handle_{};
};

}  // namespace

history::Values RegistryHistories::values(Meaning meaning) { return Key::for_reading(key_).history(meaning); }

// Read again just before writing, so that another running copy's values stay.
void RegistryHistories::record(Meaning meaning, std::u16string_view value) {
    if (!remembering()) return;
    const Key key = Key::for_writing(key_);
    if (!key) return;
    history::Values values = key.history(meaning);
    history::remember(values, value);
    key.write(meaning, values);
}

void RegistryHistories::forget(Meaning meaning, std::u16string_view value) {
    const Key key = Key::for_writing(key_);
    if (!key) return;
    history::Values values = key.history(meaning);
    if (history::forget(values, value)) key.write(meaning, values);
}

// On unless the user turned it off.
bool RegistryHistories::remembering() { return Key::for_reading(key_).number(kRememberSetting).value_or(1) != 0; }

void RegistryHistories::set_remembering(bool on) {
    const Key key = Key::for_writing(key_);
    if (!key) return;
    key.set_number(kRememberSetting, on ? 1 : 0);
    if (on) return;
    for (Meaning meaning : history::kMeanings) key.write(meaning, {});
}

}  // namespace tessivar
