#pragma once
// Descriptions laid out by templates a user can read and change: the text of
// the short and the full description, with {Name} fields, conditions and
// repetition over a multi-line box's lines.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "tabs/values.h"

namespace tessivar {

// A template as the user writes it, UTF-8.
struct TemplateText {
    std::string short_text;
    std::string full_text;
    bool operator==(const TemplateText&) const = default;
};

// A template's first error, where it stands.
struct TemplateError {
    bool in_full = false;  // in the full description's text, else the short one's
    std::size_t line = 0, column = 0;  // from 1; the column counts characters
    std::string message;  // «Строка 3, знак 14: нет {конец} для {если Дата}»
    bool operator==(const TemplateError&) const = default;
};

// Where a template's error stands and what it is, for the user.
std::string template_error_text(const TemplateError& error);

// The names of a tab's fields, in the window's order.
std::vector<std::string_view> template_field_names(Tab tab);

// The layouts the program comes with ("Стандартное").
const TemplateText& builtin_template(Tab tab);

// The template's first error for `tab`, if it has one.
std::optional<TemplateError> check_template(Tab tab, const TemplateText& text);

using Rendered = std::variant<Description, TemplateError>;
Rendered render_template(const TemplateText& text, const TabValues& values);

// What the tab's button writes with the built-in layout. Takes the values by
// value: the multi-line boxes' lines move into the description.
Description describe(TabValues values);

}  // namespace tessivar
