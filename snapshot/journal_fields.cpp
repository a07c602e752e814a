#include "snapshot/journal_fields.h"

#include <algorithm>
#include <vector>

namespace tessivar::snapshot {
namespace {

void append_escaped(std::string& out, std::string_view value) {
    for (char c : value) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default: out += c;
        }
    }
}

std::optional<std::string> unescaped(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\n' || c == '\r' || c == '\t') return std::nullopt;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i == value.size()) return std::nullopt;
        switch (value[i]) {
            case '\\': out += '\\'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            default: return std::nullopt;
        }
    }
    return out;
}

std::optional<std::size_t> tab_field(Tab tab, std::string_view name) {
    const auto index = field_index(name);
    if (!index || form_fields()[*index].tab != tab) return std::nullopt;
    return index;
}

// Every letter folded here is two-byte UTF-8, and so is its lower case.
void append_two_byte(std::string& out, char32_t code) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
}

// The lower case of the scripts a description is written in; the pairs of
// each block as they lie in the code charts.
char32_t folded(char32_t c) {
    const auto pair_even_upper = [&](char32_t first, char32_t last) {
        return c >= first && c <= last && (c - first) % 2 == 0;
    };
    if (c >= 'A' && c <= 'Z') return c + 0x20;
    if (c < 0xC0) return c;
    if (c <= 0xDE && c != 0xD7) return c + 0x20;  // Latin-1, but for the multiplication sign
    if (pair_even_upper(0x100, 0x137) || pair_even_upper(0x14A, 0x177)) return c + 1;
    if (pair_even_upper(0x139, 0x148) || pair_even_upper(0x179, 0x17E)) return c + 1;
    if (c == 0x178) return 0xFF;
    if (c == 0x386) return 0x3AC;
    if (c >= 0x388 && c <= 0x38A) return c + 0x25;
    if (c == 0x38C) return 0x3CC;
    if (c == 0x38E || c == 0x38F) return c + 0x3F;
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;
    if (c == 0x3C2) return 0x3C3;  // final sigma
    if (c == 0x401 || c == 0x451) return 0x435;  // ё read as е
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;
    if (pair_even_upper(0x460, 0x480) || pair_even_upper(0x48A, 0x4BE) || pair_even_upper(0x4D0, 0x52E)) return c + 1;
    if (c == 0x4C0) return 0x4CF;
    if (pair_even_upper(0x4C1, 0x4CD)) return c + 1;
    return c;
}

// The character at `at` if it is two-byte UTF-8 (every letter folded here
// but ASCII is), else nothing.
char32_t two_byte_character(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0xC2 || lead > 0xDF || at + 1 >= text.size()) return 0;
    const auto next = static_cast<unsigned char>(text[at + 1]);
    if ((next & 0xC0) != 0x80) return 0;
    return static_cast<char32_t>(((lead & 0x1F) << 6) | (next & 0x3F));
}

}  // namespace

std::string stored_fields(Tab tab, const Snapshot& form) {
    std::string out;
    for (std::size_t index : tab_fields(tab)) {
        if (!form.values[index]) continue;
        out += form_fields()[index].name;
        out += '=';
        append_escaped(out, *form.values[index]);
        out += '\n';
    }
    return out;
}

std::optional<Snapshot> read_fields(Tab tab, std::string_view stored) {
    Snapshot form;
    std::size_t next_allowed = 0;  // the fields come in the window's order, each once
    while (!stored.empty()) {
        const std::size_t end = stored.find('\n');
        if (end == std::string_view::npos) return std::nullopt;  // every line ends in a break
        const std::string_view line = stored.substr(0, end);
        stored.remove_prefix(end + 1);
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) return std::nullopt;
        const auto index = tab_field(tab, line.substr(0, equals));
        if (!index || *index < next_allowed) return std::nullopt;
        next_allowed = *index + 1;
        const auto value = unescaped(line.substr(equals + 1));
        if (!value) return std::nullopt;
        form.values[*index] = checked_value(form_fields()[*index].kind, *value);
        if (!form.values[*index]) return std::nullopt;
    }
    return form;
}

bool same_fields(Tab tab, const Snapshot& a, const Snapshot& b) {
    const auto fields = tab_fields(tab);
    return std::all_of(fields.begin(), fields.end(),
                       [&](std::size_t index) { return a.values[index] == b.values[index]; });
}

std::string searchable_text(Tab tab, const Snapshot& form) {
    std::string text;
    for (std::size_t index : tab_fields(tab)) {
        if (form_fields()[index].kind != FieldKind::Text || !form.values[index]) continue;
        text += fold(*form.values[index]);
        text += '\n';
    }
    return text;
}

std::string fold(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const char32_t two_byte = two_byte_character(text, at);
        if (two_byte) {
            append_two_byte(out, folded(two_byte));
            at += 2;
            continue;
        }
        const char c = text[at++];
        out += c >= 'A' && c <= 'Z' ? static_cast<char>(c + 0x20) : c;
    }
    return out;
}

std::string_view first_line(std::string_view text) { return text.substr(0, text.find_first_of("\r\n")); }

}  // namespace tessivar::snapshot
