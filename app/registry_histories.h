#pragma once
// The histories kept in the per-user registry, under HKCU\Software\Tessivar:
// one multi-string value per history, and whether to remember at all.
#include <string>

#include "form/quick_fill.h"

namespace tessivar {

class RegistryHistories final : public Histories {
public:
    // `key` under HKEY_CURRENT_USER; nothing is read or written before it is asked for.
    explicit RegistryHistories(std::wstring key = L"Software\\Tessivar") : key_(std::move(key)) {}

    history::Values values(history::Meaning meaning) override;
    void record(history::Meaning meaning, std::u16string_view value) override;
    void forget(history::Meaning meaning, std::u16string_view value) override;
    bool remembering() override;
    void set_remembering(bool on) override;

private:
    std::wstring key_;
};

}  // namespace tessivar
