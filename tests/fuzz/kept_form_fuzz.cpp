// The kept form's stored texts on arbitrary bytes: a journal entry's fields
// and each field's value. Whatever reads back is what this program could
// have written, and writing it again gives back the very bytes read.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_checks.h"
#include "snapshot/journal_fields.h"

namespace {

using namespace tessivar::snapshot;

constexpr FieldKind kKinds[] = {FieldKind::Text, FieldKind::Toggle, FieldKind::Date, FieldKind::Page,
                                FieldKind::Placement};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const auto tab = static_cast<tessivar::Tab>(data[0] % 4);
    const std::string_view stored(reinterpret_cast<const char*>(data + 1), size - 1);
    if (const auto form = read_fields(tab, stored)) FUZZ_CHECK(stored_fields(tab, *form) == stored);
    for (FieldKind kind : kKinds) {
        if (const auto value = checked_value(kind, stored)) FUZZ_CHECK(*value == stored);
    }
    if (const auto placement = read_placement(stored)) FUZZ_CHECK(stored_placement(*placement) == stored);
    if (const auto date = read_date(stored)) FUZZ_CHECK(stored_date(*date) == stored);
    const std::string folded = fold(stored);
    FUZZ_CHECK(fold(folded) == folded);
    FUZZ_CHECK(folded.size() == stored.size());
    return 0;
}
