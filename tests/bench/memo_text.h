#pragma once
// Memo texts for the benchmarks: words of Cyrillic and Latin mixed, CR LF
// breaks as the edit box gives, the same text on every run so figures compare.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tessivar::bench {

class Words {
public:
    std::string_view next() {
        seed_ = seed_ * 1664525u + 1013904223u;
        return kWords[(seed_ >> 16) % kWords.size()];
    }

private:
    static constexpr std::array<std::string_view, 12> kWords = {
        "карта",   "map",     "защита", "tower", "замок",   "волна",
        "defence", "игроки",  "hero",   "лес",   "release", "обновление",
    };
    std::uint32_t seed_ = 12345;
};

inline std::size_t characters(std::string_view utf8) {
    std::size_t n = 0;
    for (const char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

// At least `bytes` of UTF-8 in lines of about 60 characters.
inline std::string make_memo_text(std::size_t bytes) {
    std::string text;
    text.reserve(bytes + 64);
    Words words;
    std::size_t line_chars = 0;
    while (text.size() < bytes) {
        const std::string_view word = words.next();
        text += word;
        line_chars += characters(word);
        if (line_chars >= 60) {
            text += "\r\n";
            line_chars = 0;
        } else {
            text += ' ';
            ++line_chars;
        }
    }
    return text;
}

// `count` lines of one word each.
inline std::string make_short_lines(std::size_t count) {
    std::string text;
    Words words;
    for (std::size_t i = 0; i < count; ++i) {
        text += words.next();
        text += "\r\n";
    }
    return text;
}

}  // namespace tessivar::bench
