// The templates both ways. On arbitrary snapshots, the built-in templates
// give the old code's bytes, whether the button renders them or a user's copy
// does. On arbitrary template text, reading and rendering never fail but with
// a template error; no line holds a break; text without tags is itself; a
// suggested field is one of the tab's.
// Under any budget the output stays within it, and so do the bytes held
// while rendering: a budget passed is found before its output is made.
#include <sanitizer/allocator_interface.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "../host/expected.h"
#include "fuzz_checks.h"
#include "templates/program.h"
#include "templates/template.h"
#include "tests/oracle/oracle.h"

namespace {

using namespace tessivar;
using namespace tessivar::fuzz;

bool same(const Description& a, const Description& b) {
    return a.short_lines == b.short_lines && a.full_lines == b.full_lines;
}

// The most bytes held at once, beyond what was held when watching began.
class HeldBytes {
public:
    static void install() { __sanitizer_install_malloc_and_free_hooks(allocated, freed); }
    void start() {
        held_ = peak_ = 0;
        watching_ = true;
    }
    std::ptrdiff_t stop() {
        watching_ = false;
        return peak_;
    }

private:
    static void allocated(const volatile void*, std::size_t size) {
        if (!watching_) return;
        peak_ = std::max(peak_.load(), held_ += static_cast<std::ptrdiff_t>(size));
    }
    static void freed(const volatile void* block) {
        if (watching_ && block) held_ -= static_cast<std::ptrdiff_t>(__sanitizer_get_allocated_size(block));
    }
    static inline std::atomic<bool> watching_{false};
    static inline std::atomic<std::ptrdiff_t> held_{0}, peak_{0};
};
HeldBytes held_bytes;

// What a rendering spends of its budget: each line's bytes and a line's own cost; the credit line is the program's.
std::size_t output_cost(const Description& d) {
    std::size_t cost = 0;
    for (const Lines* pane : {&d.short_lines, &d.full_lines}) {
        for (const std::string& line : *pane) cost += line.size() + templates::line_cost;
    }
    return cost - d.full_lines.front().size() - templates::line_cost;
}

template <class Snapshot>
void check_builtin(Tab tab, const Snapshot& snapshot, Description (*describe)(Snapshot),
                   Description (*old_code)(Snapshot)) {
    const Description expected = old_code(snapshot);
    FUZZ_CHECK(same(describe(snapshot), expected));
    const Rendered users_copy = render_template(builtin_template(tab), snapshot);
    FUZZ_CHECK(std::holds_alternative<Description>(users_copy) && same(std::get<Description>(users_copy), expected));
}

int fuzz_builtins(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0: check_builtin(Tab::Maps, map_tab(in), describe_map, oracle::describe_map); break;
        case 1: check_builtin(Tab::Sounds, sound_tab(in), describe_sound, oracle::describe_sound); break;
        case 2: check_builtin(Tab::Models, model_tab(in), describe_model, oracle::describe_model); break;
        default: check_builtin(Tab::Textures, texture_tab(in), describe_texture, oracle::describe_texture);
    }
    return 0;
}

// A field's name, or as a typo or a first word would give it: one byte lost or the name cut.
std::string near_name(FuzzedDataProvider& in, std::string_view name) {
    const auto at = in.ConsumeIntegralInRange<std::size_t>(0, name.size() - 1);
    switch (in.ConsumeIntegralInRange(0, 2)) {
        case 0: return std::string(name.substr(0, at)) + std::string(name.substr(at + 1));
        case 1: return std::string(name.substr(0, at));
        default: return std::string(name);
    }
}

// What an unknown name's message suggests, if it does: it must be one of the tab's fields.
void check_suggestion(Tab tab, const std::string& message) {
    static constexpr std::string_view maybe = "; может быть, {";
    const std::size_t from = message.rfind(maybe);
    if (from == std::string::npos || !message.ends_with("}?")) return;  // a typed name may hold the words
    const std::string_view named = std::string_view(message).substr(from + maybe.size());
    const auto names = template_field_names(tab);
    FUZZ_CHECK(std::find(names.begin(), names.end(), named.substr(0, named.size() - 2)) != names.end());
}

// Template text from tags more often than chance would make them.
std::string template_text(FuzzedDataProvider& in, Tab tab) {
    static constexpr std::string_view named[] = {"{если ", "{для каждой строки ", "{для остальных строк ",
                                                 "{первая строка ", "{"};
    static constexpr std::string_view plain[] = {"{иначе}", "{конец}", "{строка}", "{{", "}}", "{", "}",
                                                 "\n", "\r\n", "  ", "{ИНАЧЕ}", "{ Конец }"};
    const auto names = template_field_names(tab);
    std::string text;
    for (int pieces = in.ConsumeIntegralInRange(0, 64); pieces > 0 && in.remaining_bytes() > 0; --pieces) {
        switch (in.ConsumeIntegralInRange(0, 2)) {
            case 0:
                text += named[in.ConsumeIntegralInRange<std::size_t>(0, std::size(named) - 1)];
                text += in.ConsumeBool() ? near_name(in, names[in.ConsumeIntegralInRange<std::size_t>(0, names.size() - 1)])
                                         : in.ConsumeRandomLengthString(16);
                text += '}';
                break;
            case 1: text += plain[in.ConsumeIntegralInRange<std::size_t>(0, std::size(plain) - 1)]; break;
            default: text += in.ConsumeRandomLengthString(32);
        }
    }
    return text;
}

// Braces doubled: the text read back as it stands.
std::string escaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        out += c;
        if (c == '{' || c == '}') out += c;
    }
    return out;
}

// Each box's lines many times over: outputs far past a small budget from a small input.
templates::FieldValues amplified(templates::FieldValues values, std::array<Lines, templates::max_fields>& boxes) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!values[i].lines) continue;
        for (int times = 0; times < 64; ++times) boxes[i].insert(boxes[i].end(), values[i].lines->begin(), values[i].lines->end());
        values[i].lines = &boxes[i];
    }
    return values;
}

// What a run under `budget` held at most: bounded by the budget and the
// layout, never by what the layout would have made.
void check_held(const templates::Program& program, const TemplateText& text, const templates::FieldValues& values,
                std::size_t budget) {
    held_bytes.start();
    const auto made = templates::run(program, values, budget);
    const std::ptrdiff_t peak = held_bytes.stop();
    const std::size_t text_bytes = text.short_text.size() + text.full_text.size();
    FUZZ_CHECK(peak <= static_cast<std::ptrdiff_t>(8 * budget + 256 * text_bytes + 4096));
    if (const auto* d = std::get_if<Description>(&made)) FUZZ_CHECK(output_cost(*d) <= budget);
}

// Under a small budget: refused exactly where the whole output costs more,
// else the same output; the bytes held bounded, on boxes blown up too.
template <class Snapshot>
void check_small_budget(Tab tab, const TemplateText& text, const Snapshot& snapshot, const Rendered& rendered,
                        std::size_t budget) {
    const templates::Compiled compiled = templates::compile(tab, text);
    const auto* program = std::get_if<templates::Program>(&compiled);
    if (!program) return;
    const TabValues tab_values = values_of(snapshot);
    const templates::FieldValues values = templates::field_values(tab_values, false);
    check_held(*program, text, values, budget);
    std::array<Lines, templates::max_fields> boxes;
    check_held(*program, text, amplified(values, boxes), budget);
    const auto small = templates::run(*program, values, budget);
    const auto* whole = std::get_if<Description>(&rendered);
    const auto* made = std::get_if<Description>(&small);
    FUZZ_CHECK((whole && output_cost(*whole) <= budget) == (made != nullptr));
    if (made) FUZZ_CHECK(output_cost(*made) <= budget && same(*made, *whole));
}

template <class Snapshot>
void check_any(Tab tab, const TemplateText& text, const Snapshot& snapshot, std::size_t small_budget) {
    const Rendered rendered = render_template(text, snapshot);
    const auto error = check_template(tab, text);
    if (const auto* e = std::get_if<TemplateError>(&rendered)) {
        // Reading finds every error but an output past its budget.
        FUZZ_CHECK(error ? *error == *e : e->message.ends_with(templates::over_budget));
        FUZZ_CHECK(e->line > 0 && e->column > 0);
        check_suggestion(tab, e->message);
        if (!error) check_small_budget(tab, text, snapshot, rendered, small_budget);
        return;
    }
    FUZZ_CHECK(!error);
    const Description& d = std::get<Description>(rendered);
    FUZZ_CHECK(output_cost(d) <= templates::output_budget);
    check_small_budget(tab, text, snapshot, rendered, small_budget);
    FUZZ_CHECK(!d.full_lines.empty() && d.full_lines.front() == expected::credit);
    for (const Lines* pane : {&d.short_lines, &d.full_lines}) {
        for (const std::string& line : *pane) FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
    }
}

int fuzz_any_text(FuzzedDataProvider& in) {
    const Tab tab = static_cast<Tab>(in.ConsumeIntegralInRange(0, 3));
    TemplateText text;
    std::string plain;
    if (in.ConsumeBool()) {
        plain = in.ConsumeRandomLengthString();
        text.short_text = escaped(plain);
    } else {
        text.short_text = template_text(in, tab);
    }
    text.full_text = template_text(in, tab);
    const auto small_budget = in.ConsumeIntegralInRange<std::size_t>(0, 1 << 16);
    switch (tab) {
        case Tab::Maps: check_any(tab, text, map_tab(in), small_budget); break;
        case Tab::Sounds: check_any(tab, text, sound_tab(in), small_budget); break;
        case Tab::Models: check_any(tab, text, model_tab(in), small_budget); break;
        case Tab::Textures: check_any(tab, text, texture_tab(in), small_budget); break;
    }
    if (!plain.empty()) {
        const Rendered rendered = render_template({text.short_text, ""}, SoundTab{});
        FUZZ_CHECK(std::get<Description>(rendered).short_lines == memo_lines(plain));
    }
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    HeldBytes::install();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    return in.ConsumeBool() ? fuzz_builtins(in) : fuzz_any_text(in);
}
