#pragma once
// A template read into a flat program: the renderer runs it with a program
// counter and jumps, never recursing, so any nesting costs no stack.
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "templates/template.h"

namespace tessivar::templates {

inline constexpr std::size_t max_nesting = 32;
inline constexpr std::size_t max_fields = 12;  // the maps tab has the most

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

FieldValues field_values(const MapTab& tab, bool given_away);
FieldValues field_values(const SoundTab& tab, bool given_away);
FieldValues field_values(const ModelTab& tab, bool given_away);
FieldValues field_values(const TextureTab& tab, bool given_away);

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
    std::uint32_t at = 0;      // Text: offset in the pool; Loop: its tag's offset in its text; LineEnd: see above
    std::uint32_t size = 0;    // Text: length; If, Else: where to go on
};

struct Program {
    std::vector<Op> short_ops, full_ops;
    std::string pool;           // the literals, braces undoubled
    std::uint32_t movable = 0;  // bit per box read once, outside loops: its lines may be moved
};

using Compiled = std::variant<Program, TemplateError>;
Compiled compile(Tab tab, const TemplateText& text);

// The error at a byte offset of a template's text, its line and column counted.
TemplateError error_at(std::string_view text, bool in_full, std::size_t offset, std::string_view what);

// A loop that would write more than the limit, where its tag stands.
struct LoopTooLong {
    bool in_full;
    std::size_t offset;
};
inline constexpr std::size_t loop_limit = 64 << 20;  // bytes a user's loop may write
inline constexpr std::string_view loop_too_long = "{для …} даёт больше 64 МиБ текста";

// Runs a program; boxes whose value is `movable` and whose bit is set lose their
// lines. A loop that would write more than `limit` bytes stops it.
std::variant<Description, LoopTooLong> run(const Program& program, const FieldValues& values,
                                           std::size_t limit = std::numeric_limits<std::size_t>::max());

}  // namespace tessivar::templates
