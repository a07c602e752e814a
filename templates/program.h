#pragma once
// A template read into a flat program: the renderer runs it with a program
// counter and jumps, never recursing, so any nesting costs no stack.
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "tabs/fields.h"
#include "templates/template.h"

namespace tessivar::templates {

inline constexpr std::size_t max_nesting = 32;
inline constexpr std::size_t max_fields = most_layout_fields();

inline bool is_continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

enum class FieldKind : std::uint8_t { Text, Lines, Date };

struct FieldShape {
    std::string_view name;  // the window's label without its colon
    FieldKind kind;
};

// A tab's fields in the window's order.
std::span<const FieldShape> field_shapes(Tab tab);

// One field's value in a snapshot, indexed like field_shapes.
struct FieldValue {
    std::string_view text;        // Text and Date; a date is empty while its toggle is off
    const Lines* lines = nullptr;  // Lines
    Lines* movable = nullptr;      // Lines the caller gave away: may be moved from
    bool has = false;              // what {если} tests
};
using FieldValues = std::array<FieldValue, max_fields>;

// Values given away by the caller (taken by value) may be moved from.
FieldValues field_values(const TabValues& tab, bool given_away);

enum class OpKind : std::uint8_t {
    Text,       // a literal, pool[at, at + size)
    Field,      // a one-line field's text; a box's lines joined by line breaks
    BoxLines,   // a line holding only a box: one output line per box line
    FirstLine,  // {первая строка Box}
    Current,    // {строка}
    LineBreak,
    LineEnd,    // a line with control tags: breaks where an op since `at`, its first, wrote
    If,         // to `target` when the field has no text
    Else,       // to `target`, the end of its {если}
    End,        // closes an {если}: nothing to do
    Loop,       // {для каждой строки Box}; `skip_first` for {для остальных строк}
    LoopEnd,    // repeats the body since its Loop, with its Loop's field and skip_first
};

struct Op {
    OpKind kind;
    std::uint8_t field = 0;
    bool skip_first = false;
    std::uint32_t at = 0;      // Text: offset in the pool; LineEnd: see above
    std::uint32_t size = 0;    // Text: length; If, Else: where to go on
    // Where an op that writes stands in its text, for the budget's error: a
    // tag's brace, a literal's start, a line's end; a LoopEnd, its loop's tag.
    std::uint32_t place = 0;
};

struct Program {
    std::vector<Op> short_ops, full_ops;
    std::string pool;           // the literals, braces undoubled
    std::uint32_t movable = 0;  // bit per box read once, outside loops: its lines may be moved
};

using Compiled = std::variant<Program, TemplateError>;
Compiled compile(Tab tab, const TemplateText& text);

// Of a tab's field names, folded, the one a folded unknown name is near enough
// to be its typo or its first words.
std::optional<std::size_t> closest_field(std::span<const std::string> folded_names, std::string_view folded);

// The error at a byte offset of a template's text, its line and column counted.
TemplateError error_at(std::string_view text, bool in_full, std::size_t offset, std::string_view what);

// One budget for all a rendering writes, both descriptions together: each
// line costs its bytes and, besides, what a line takes in memory, so that
// neither long lines nor countless empty ones can pass it.
inline constexpr std::size_t output_budget = 64 << 20;
inline constexpr std::size_t line_cost = 32;
inline constexpr std::string_view over_budget = "здесь текст описаний превышает 64 МиБ";

// The op whose writing would have passed the budget; nothing past it was written.
struct OverBudget {
    bool in_full;
    std::size_t offset;  // its place; past the end of the text for the last line's break
};

// Runs a program; boxes whose value is `movable` and whose bit is set lose their
// lines. An op that would pass `budget` stops it before it writes.
std::variant<Description, OverBudget> run(const Program& program, const FieldValues& values,
                                          std::size_t budget = std::numeric_limits<std::size_t>::max());

}  // namespace tessivar::templates
