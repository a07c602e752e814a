// The field a mistyped name most likely meant: by edit distance over
// characters, case and ё folded, against a field's whole name or as many of
// its first words as were typed (so {Автор} finds {Автор карты}).
#include <algorithm>
#include <cstdint>

#include "templates/program.h"

namespace tessivar::templates {
namespace {

// Past this a name was not mistyped but pasted: no suggestion, and no cost.
constexpr std::size_t longest_compared = 64;

// Characters are compared, never shown: each is its bytes run together.
constexpr char32_t kYo = (0xD1u << 6) | 0x11u, kYe = (0xD0u << 6) | 0x35u;

// The characters of folded UTF-8, ё as е; a broken sequence is still one character.
std::u32string characters_of(std::string_view text) {
    std::u32string characters;
    for (std::size_t i = 0; i < text.size();) {
        auto c = static_cast<char32_t>(static_cast<unsigned char>(text[i]));
        const std::size_t start = i++;
        for (; i < text.size() && is_continuation(text[i]) && i - start < 4; ++i) {
            c = (c << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
        }
        characters += c == kYo ? kYe : c;
    }
    return characters;
}

std::size_t edit_distance(std::u32string_view a, std::u32string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j < row.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0]++;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({above + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row.back();
}

std::size_t words_in(std::u32string_view name) { return 1 + static_cast<std::size_t>(std::count(name.begin(), name.end(), U' ')); }

// The name cut after its first `words` words.
std::u32string_view first_words(std::u32string_view name, std::size_t words) {
    std::size_t end = 0;
    for (std::size_t seen = 0; seen < words && end != name.npos; ++seen) end = name.find(U' ', end + (seen > 0));
    return name.substr(0, end);
}

}  // namespace

std::optional<std::size_t> closest_field(std::span<const std::string> folded_names, std::string_view folded) {
    const std::u32string typed = characters_of(folded);
    if (typed.empty() || typed.size() > longest_compared) return std::nullopt;
    // A typo in every fourth character, and one in a short name.
    std::size_t best_distance = typed.size() / 4 + 2;
    std::optional<std::size_t> best;
    for (std::size_t i = 0; i < folded_names.size(); ++i) {
        const std::u32string name = characters_of(folded_names[i]);
        const std::size_t distance =
            std::min(edit_distance(typed, name), edit_distance(typed, first_words(name, words_in(typed))));
        if (distance < best_distance) {
            best_distance = distance;
            best = i;
        }
    }
    return best;
}

}  // namespace tessivar::templates
