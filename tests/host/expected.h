#pragma once
// Fixed lines every description shares, spelled out in full so that a test
// catches any drift in the code that builds them.
#include <cstddef>
#include <string>
#include <string_view>

namespace tessivar::expected {

inline const std::string credit =
    "[r][color=Grey]Описание сформировано [url=https://varnhold.example/programs/quillmark]"
    "генератором Quillmark ver 1.3[/url] от [url=https://rts-content.example/users/Varnhold]"
    "Varnhold[/url][/color][/r]";

// Characters, not bytes, of UTF-8 text: every byte but the continuation bytes.
inline std::size_t characters(std::string_view utf8) {
    std::size_t n = 0;
    for (unsigned char c : utf8) n += (c & 0xC0) != 0x80;
    return n;
}

}  // namespace tessivar::expected
