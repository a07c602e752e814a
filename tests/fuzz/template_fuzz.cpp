// The templates both ways. On arbitrary snapshots, the built-in templates
// give the old code's bytes, whether the button renders them or a user's copy
// does. On arbitrary template text, reading and rendering never fail but with
// a template error; no line holds a break; text without tags is itself.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "../host/expected.h"
#include "fuzz_checks.h"
#include "templates/template.h"
#include "tests/oracle/oracle.h"

namespace {

using namespace tessivar;
using namespace tessivar::fuzz;

bool same(const Description& a, const Description& b) {
    return a.short_lines == b.short_lines && a.full_lines == b.full_lines;
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
                text += in.ConsumeBool() ? std::string(names[in.ConsumeIntegralInRange<std::size_t>(0, names.size() - 1)])
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

template <class Snapshot>
void check_any(Tab tab, const TemplateText& text, const Snapshot& snapshot) {
    const Rendered rendered = render_template(text, snapshot);
    const auto error = check_template(tab, text);
    if (const auto* e = std::get_if<TemplateError>(&rendered)) {
        // Reading finds every error but a loop's output past its limit.
        FUZZ_CHECK(error ? *error == *e : e->message.ends_with("больше 64 МиБ текста"));
        FUZZ_CHECK(e->line > 0 && e->column > 0);
        return;
    }
    FUZZ_CHECK(!error);
    const Description& d = std::get<Description>(rendered);
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
    switch (tab) {
        case Tab::Maps: check_any(tab, text, map_tab(in)); break;
        case Tab::Sounds: check_any(tab, text, sound_tab(in)); break;
        case Tab::Models: check_any(tab, text, model_tab(in)); break;
        case Tab::Textures: check_any(tab, text, texture_tab(in)); break;
    }
    if (!plain.empty()) {
        const Rendered rendered = render_template({text.short_text, ""}, SoundTab{});
        FUZZ_CHECK(std::get<Description>(rendered).short_lines == memo_lines(plain));
    }
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    return in.ConsumeBool() ? fuzz_builtins(in) : fuzz_any_text(in);
}
