// advapi32 is loaded only for a database without the mark, never at a
// start-up after the first. Whatever the key holds, the worst it does is
// bring nothing: an unreadable value counts as none.
#include "store/registry_import.h"

#include <windows.h>

#include <optional>
#include <utility>
#include <vector>

#include "win32/window_kit.h"
#include "output/win32_text.h"
#include "store/histories.h"

namespace tessivar::store {
namespace {

using history::Meaning;

constexpr wchar_t kRememberSetting[] = L"Remember";

struct Registry {
    decltype(&RegOpenKeyExW) open;
    decltype(&RegQueryValueExW) query;
    decltype(&RegDeleteTreeW) remove_tree;
    decltype(&RegDeleteKeyW) remove;
    decltype(&RegCloseKey) close;
};

// Null where the system lacks any of them.
const Registry* registry() {
    static const Registry functions = [] {
        HMODULE advapi32 = system_library(L"advapi32.dll");
        if (!advapi32) return Registry{};
        return Registry{
            system_function<decltype(RegOpenKeyExW)>(advapi32, "RegOpenKeyExW"),
            system_function<decltype(RegQueryValueExW)>(advapi32, "RegQueryValueExW"),
            system_function<decltype(RegDeleteTreeW)>(advapi32, "RegDeleteTreeW"),
            system_function<decltype(RegDeleteKeyW)>(advapi32, "RegDeleteKeyW"),
            system_function<decltype(RegCloseKey)>(advapi32, "RegCloseKey"),
        };
    }();
    const bool complete =
        functions.open && functions.query && functions.remove_tree && functions.remove && functions.close;
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
    Key(Key&& other) noexcept : system_(other.system_), handle_(std::exchange(other.handle_, nullptr)) {}
    ~Key() {
        if (handle_) system_->close(handle_);
    }
    Key& operator=(Key&&) = delete;

    // Size first, then the bytes: a value larger than any list we write is
    // never read, and one that changed in between counts as unreadable.
    history::Values history(Meaning meaning) const {
        const std::wstring name = as_wide(history::stored_name(meaning));
        DWORD size = 0;
        if (!query(name.c_str(), REG_MULTI_SZ, nullptr, size) || size > history::kMaxStoredBytes) return {};
        std::vector<std::byte> stored(size);
        DWORD got = size;
        if (!query(name.c_str(), REG_MULTI_SZ, reinterpret_cast<BYTE*>(stored.data()), got) || got != size) return {};
        return history::read_stored(stored);
    }

    std::optional<DWORD> number(const wchar_t* name) const {
        DWORD value = 0, size = sizeof value;
        if (!query(name, REG_DWORD, reinterpret_cast<BYTE*>(&value), size) || size != sizeof value) return std::nullopt;
        return value;
    }

private:
    Key() = default;

    // The value's bytes into `data` (its size alone where null), if it is of `type`.
    bool query(const wchar_t* name, DWORD type, BYTE* data, DWORD& size) const {
        DWORD found = 0;
        return handle_ && system_->query(handle_, name, nullptr, &found, data, &size) == ERROR_SUCCESS && found == type;
    }

    const Registry* system_ = registry();
    HKEY handle_{};
};

}  // namespace

void import_registry(Database& database, const std::wstring& key) {
    if (taken_over(database)) return;
    Imported imported;
    {
        const Key stored = Key::for_reading(key);
        for (Meaning meaning : history::kMeanings) imported.histories.push_back(stored.history(meaning));
        if (const auto remember = stored.number(kRememberSetting)) imported.remembering = *remember != 0;
    }
    if (!take_over(database, imported)) return;
    if (const Registry* system = registry()) {
        system->remove_tree(HKEY_CURRENT_USER, key.c_str());
        system->remove(HKEY_CURRENT_USER, key.c_str());
    }
}

}  // namespace tessivar::store
