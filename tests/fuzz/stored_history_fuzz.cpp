// read_stored on arbitrary bytes: whatever it accepts is a list this program
// could have written, and writing it gives back the very bytes read.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz_checks.h"
#include "history/history.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::byte> stored(reinterpret_cast<const std::byte*>(data), size);
    const tessivar::history::Values values = tessivar::history::read_stored(stored);
    FUZZ_CHECK(values.size() <= tessivar::history::kMaxValues);
    for (const auto& value : values) FUZZ_CHECK(tessivar::history::worth_keeping(value, u""));
    if (!values.empty()) {
        const auto written = tessivar::history::stored_form(values);
        FUZZ_CHECK(std::equal(written.begin(), written.end(), stored.begin(), stored.end()));
    }
    return 0;
}
