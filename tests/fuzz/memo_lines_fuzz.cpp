// memo_lines on arbitrary bytes: joined with LF the lines give back the text
// with every break made LF and one final break dropped; no line holds a break.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_checks.h"

namespace {

// CR LF, lone CR and lone LF each become one LF; everything else is kept.
std::string with_lf_breaks(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            out += text[i];
            continue;
        }
        out += '\n';
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    }
    return out;
}

std::string joined(const tessivar::Lines& lines) {
    std::string out;
    for (const auto& line : lines) {
        if (&line != &lines.front()) out += '\n';
        out += line;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const tessivar::Lines lines = tessivar::memo_lines(text);

    std::string expected = with_lf_breaks(text);
    const bool open_last_line = !expected.empty() && expected.back() != '\n';
    const auto breaks = static_cast<std::size_t>(std::count(expected.begin(), expected.end(), '\n'));
    FUZZ_CHECK(lines.size() == breaks + open_last_line);
    if (!open_last_line && !expected.empty()) expected.pop_back();
    FUZZ_CHECK(joined(lines) == expected);
    for (const auto& line : lines) FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
    return 0;
}
