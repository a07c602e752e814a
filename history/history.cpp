#include "history/history.h"

#include <algorithm>
#include <optional>

namespace tessivar::history {
namespace {

bool is_high_surrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool is_low_surrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Characters as a user counts them, or none where a surrogate has no partner:
// such a value could not be written back as it was typed.
std::optional<std::size_t> characters(std::u16string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i, ++count) {
        if (is_high_surrogate(text[i]) && i + 1 < text.size() && is_low_surrogate(text[i + 1])) {
            ++i;
        } else if (is_high_surrogate(text[i]) || is_low_surrogate(text[i])) {
            return std::nullopt;
        }
    }
    return count;
}

bool fits(std::u16string_view value) {
    const auto count = characters(value);
    return count && *count > 0 && *count <= kMaxLength;
}

// Spaces and punctuation end a word; any other letter outside ASCII is
// taken as part of one.
bool separates(char16_t c) {
    if (c < 0x80) {
        const bool alphanumeric = (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
        return !alphanumeric;
    }
    switch (c) {
        case 0x00A0:  // no-break space
        case 0x00AB:  // «
        case 0x00BB:  // »
        case 0x2013:  // en dash
        case 0x2014:  // em dash
        case 0x201C:  // “
        case 0x201D:  // ”
        case 0x201E:  // „
        case 0x2026:  // …
        case 0x3000:  // ideographic space
            return true;
        default:
            return false;
    }
}

bool word_starts_at(std::u16string_view text, std::size_t i) {
    return !separates(text[i]) && (i == 0 || separates(text[i - 1]));
}

bool matches(std::u16string_view value, std::u16string_view typed, BeginsWith begins_with) {
    if (begins_with(value, typed)) return true;
    for (std::size_t i = 1; i < value.size(); ++i) {
        if (word_starts_at(value, i) && begins_with(value.substr(i), typed)) return true;
    }
    return false;
}

}  // namespace

std::u16string_view stored_name(Meaning meaning) {
    switch (meaning) {
        case Meaning::Author: return u"Authors";
        case Meaning::Version: return u"Versions";
        case Meaning::Site: return u"Sites";
        case Meaning::Screenshot: return u"Screenshots";
        case Meaning::SoundTitle: return u"SoundTitles";
        case Meaning::Duration: return u"Durations";
    }
    return {};
}

bool worth_keeping(std::u16string_view value, std::u16string_view starting_text) {
    return value != starting_text && fits(value);
}

void remember(Values& values, std::u16string_view value) {
    forget(values, value);
    values.insert(values.begin(), std::u16string(value));
    if (values.size() > kMaxValues) values.resize(kMaxValues);
}

bool forget(Values& values, std::u16string_view value) {
    const auto found = std::find(values.begin(), values.end(), value);
    if (found == values.end()) return false;
    values.erase(found);
    return true;
}

Values matching(const Values& values, std::u16string_view typed, BeginsWith begins_with) {
    Values found;
    for (const std::u16string& value : values) {
        if (typed.empty() || matches(value, typed, begins_with)) found.push_back(value);
    }
    return found;
}

std::vector<std::byte> stored_form(const Values& values) {
    std::vector<std::byte> bytes;
    const auto put = [&bytes](char16_t unit) {
        bytes.push_back(static_cast<std::byte>(unit & 0xFF));
        bytes.push_back(static_cast<std::byte>(unit >> 8));
    };
    for (const std::u16string& value : values) {
        for (char16_t unit : value) put(unit);
        put(0);
    }
    put(0);
    return bytes;
}

Values read_stored(std::span<const std::byte> stored) {
    if (stored.size() % 2 != 0 || stored.size() > kMaxStoredBytes) return {};
    std::u16string units(stored.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(std::to_integer<unsigned>(stored[2 * i]) |
                                         std::to_integer<unsigned>(stored[2 * i + 1]) << 8);
    }
    // Nothing, or the lone NUL of an empty list.
    if (units.size() <= 1) return {};
    if (units.back() != u'\0' || units[units.size() - 2] != u'\0') return {};
    Values values;
    std::u16string_view rest(units.data(), units.size() - 1);
    while (!rest.empty()) {
        const std::size_t end = rest.find(u'\0');
        const std::u16string_view value = rest.substr(0, end);
        const bool repeated = std::find(values.begin(), values.end(), value) != values.end();
        if (!fits(value) || repeated || values.size() == kMaxValues) return {};
        values.emplace_back(value);
        rest.remove_prefix(end + 1);
    }
    return values;
}

}  // namespace tessivar::history
