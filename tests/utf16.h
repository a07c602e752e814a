#pragma once
// UTF-8 to UTF-16 for the pure tests and benchmarks of the markup reader,
// which takes the window's UTF-16 text. Valid UTF-8 only.
#include <string>
#include <string_view>

namespace tessivar::testing {

inline std::u16string utf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        char32_t code = extra ? c & (0x3F >> extra) : c;
        for (int k = 1; k <= extra; ++k) code = code << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += 1 + static_cast<std::size_t>(extra);
        if (code >= 0x10000) {
            out += static_cast<char16_t>(0xD7C0 + (code >> 10));
            out += static_cast<char16_t>(0xDC00 | (code & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
    }
    return out;
}

}  // namespace tessivar::testing
