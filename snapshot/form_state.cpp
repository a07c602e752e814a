#include "snapshot/form_state.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>

#include "tabs/fields.h"

namespace tessivar::snapshot {
namespace {

using K = FieldKind;

constexpr FieldKind kept_kind(Input input) {
    switch (input) {
        case Input::DateToggle: return K::Toggle;
        case Input::DatePicker: return K::Date;
        default: return K::Text;
    }
}

// The window's own, after every tab's fields.
constexpr Field kWindowFields[] = {
    {"Disc1", K::Text, {}},      {"Disc2", K::Text, {}},         {"PageControl1", K::Page, {}},
    {"FMain", K::Placement, {}}, {"FPreview", K::Placement, {}},
};

constexpr std::size_t kFieldCount = field_count() + std::size(kWindowFields);

constexpr std::array<Field, kFieldCount> kFields = [] {
    std::array<Field, kFieldCount> fields{};
    std::size_t n = 0;
    for (Tab tab : kTabs) {
        for (const TabField& field : fields_of(tab)) fields[n++] = {field.control, kept_kind(field.input), tab};
    }
    for (const Field& own : kWindowFields) fields[n++] = own;
    return fields;
}();

// A tab's fields lie together, in its table's order: its indices are a run of these.
constexpr std::array<std::size_t, kFieldCount> kIndices = [] {
    std::array<std::size_t, kFieldCount> indices{};
    for (std::size_t i = 0; i < kFieldCount; ++i) indices[i] = i;
    return indices;
}();

constexpr std::size_t first_index(Tab tab) {
    std::size_t first = 0;
    for (Tab before : kTabs) {
        if (before == tab) break;
        first += fields_of(before).size();
    }
    return first;
}

std::optional<std::size_t> with_history(Tab tab, history::Meaning meaning) {
    const auto field = field_with_history(tab, meaning);
    if (!field) return std::nullopt;
    return first_index(tab) + *field;
}

// A decimal this program writes: no sign but a minus, no leading zero, in range.
std::optional<int> read_int(std::string_view text, int least, int most) {
    if (text.empty() || text == "-0") return std::nullopt;
    const std::size_t digits = text[0] == '-' ? 1 : 0;
    if (text.size() > digits + 1 && text[digits] == '0') return std::nullopt;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    if (value < least || value > most) return std::nullopt;
    return value;
}

bool is_leap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in(int year, int month) {
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && is_leap(year) ? 29 : kDays[month - 1];
}

std::vector<std::string_view> split_spaces(std::string_view text) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == ' ') {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

// Continuation bytes after a lead byte; 0 for a byte that cannot lead.
int continuation_count(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 1;
    if (lead >= 0xE0 && lead <= 0xEF) return 2;
    if (lead >= 0xF0 && lead <= 0xF4) return 3;
    return 0;
}

// The code point at `at`, or -1 where the bytes are no shortest UTF-8.
long decode_at(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) return text[at++];
    const int more = continuation_count(lead);
    if (more == 0 || at + static_cast<std::size_t>(more) >= text.size()) return -1;
    long code = lead & (0x3F >> more);
    for (int i = 1; i <= more; ++i) {
        const auto byte = static_cast<unsigned char>(text[at + static_cast<std::size_t>(i)]);
        if ((byte & 0xC0) != 0x80) return -1;
        code = (code << 6) | (byte & 0x3F);
    }
    constexpr long kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (code < kLeast[more] || code > 0x10FFFF) return -1;
    at += static_cast<std::size_t>(more) + 1;
    return code;
}

}  // namespace

std::span<const Field> form_fields() { return kFields; }

std::optional<std::size_t> field_index(std::string_view name) {
    for (std::size_t i = 0; i < std::size(kFields); ++i) {
        if (kFields[i].name == name) return i;
    }
    return std::nullopt;
}

std::size_t field_named(std::string_view name) { return *field_index(name); }

std::span<const std::size_t> tab_fields(Tab tab) {
    return std::span(kIndices).subspan(first_index(tab), fields_of(tab).size());
}

std::optional<std::size_t> author_field(Tab tab) { return with_history(tab, history::Meaning::Author); }
std::optional<std::size_t> version_field(Tab tab) { return with_history(tab, history::Meaning::Version); }

std::size_t first_memo_field(Tab tab) {
    const auto fields = fields_of(tab);
    const auto memo =
        std::find_if(fields.begin(), fields.end(), [](const TabField& field) { return field.input == Input::Memo; });
    return first_index(tab) + static_cast<std::size_t>(memo - fields.begin());
}

bool is_control_text(std::string_view text) {
    bool after_high_surrogate = false;
    for (std::size_t at = 0; at < text.size();) {
        const long code = decode_at(text, at);
        if (code <= 0) return false;  // broken bytes, or a NUL no control holds
        const bool high = code >= 0xD800 && code <= 0xDBFF;
        // A pair would have been written as one four-byte character.
        if (after_high_surrogate && code >= 0xDC00 && code <= 0xDFFF) return false;
        after_high_surrogate = high;
    }
    return true;
}

std::optional<std::string> checked_value(FieldKind kind, std::string_view text) {
    bool fits = false;
    switch (kind) {
        case K::Text: fits = is_control_text(text); break;
        case K::Toggle: fits = text == "0" || text == "1"; break;
        case K::Date: fits = read_date(text).has_value(); break;
        case K::Page: fits = text.size() == 1 && text[0] >= '0' && text[0] < '0' + static_cast<char>(kTabCount); break;
        case K::Placement: fits = read_placement(text).has_value(); break;
    }
    if (!fits) return std::nullopt;
    return std::string(text);
}

std::vector<std::size_t> changed_fields(const Snapshot& before, const Snapshot& after) {
    std::vector<std::size_t> changed;
    for (std::size_t i = 0; i < after.values.size(); ++i) {
        if (after.values[i] && after.values[i] != before.values[i]) changed.push_back(i);
    }
    return changed;
}

std::string stored_date(Date date) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

// The pickers' own range: the Gregorian years they can show.
std::optional<Date> read_date(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    const auto number = [&](std::size_t at, std::size_t width) -> std::optional<int> {
        int value = 0;
        for (std::size_t i = at; i < at + width; ++i) {
            if (text[i] < '0' || text[i] > '9') return std::nullopt;
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    const auto year = number(0, 4), month = number(5, 2), day = number(8, 2);
    if (!year || !month || !day || *year < 1601 || *month < 1 || *month > 12) return std::nullopt;
    if (*day < 1 || *day > days_in(*year, *month)) return std::nullopt;
    return Date{*year, *month, *day};
}

std::string stored_placement(const Placement& p) {
    return std::to_string(p.left) + ' ' + std::to_string(p.top) + ' ' + std::to_string(p.right) + ' ' +
           std::to_string(p.bottom) + ' ' + (p.maximized ? '1' : '0');
}

std::optional<Placement> read_placement(std::string_view text) {
    constexpr int kFar = 1'000'000;  // past any desktop of monitors side by side
    const auto parts = split_spaces(text);
    if (parts.size() != 5) return std::nullopt;
    std::array<int, 4> edges{};
    for (std::size_t i = 0; i < 4; ++i) {
        const auto value = read_int(parts[i], -kFar, kFar);
        if (!value) return std::nullopt;
        edges[i] = *value;
    }
    if (parts[4] != "0" && parts[4] != "1") return std::nullopt;
    const Placement p{edges[0], edges[1], edges[2], edges[3], parts[4] == "1"};
    if (p.right <= p.left || p.bottom <= p.top) return std::nullopt;
    return p;
}

Placement onto_screen(Placement p, const Placement& screen) {
    const int width = std::min(p.right - p.left, screen.right - screen.left);
    const int height = std::min(p.bottom - p.top, screen.bottom - screen.top);
    const int left = std::clamp(p.left, screen.left, screen.right - width);
    const int top = std::clamp(p.top, screen.top, screen.bottom - height);
    return {left, top, left + width, top + height, p.maximized};
}

}  // namespace tessivar::snapshot
