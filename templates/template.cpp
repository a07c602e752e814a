// The templates' public face: names, checking, and rendering a user's template.
#include "templates/template.h"

#include <algorithm>

#include "templates/program.h"

namespace tessivar {

Rendered render_template(const TemplateText& text, const TabValues& values) {
    templates::Compiled compiled = templates::compile(values.tab, text);
    if (auto* error = std::get_if<TemplateError>(&compiled)) return std::move(*error);
    auto rendered = templates::run(std::get<templates::Program>(compiled), templates::field_values(values, false),
                                   templates::output_budget);
    if (auto* over = std::get_if<templates::OverBudget>(&rendered)) {
        const std::string& over_text = over->in_full ? text.full_text : text.short_text;
        return templates::error_at(over_text, over->in_full, std::min(over->offset, over_text.size()),
                                   templates::over_budget);
    }
    return std::get<Description>(std::move(rendered));
}

std::vector<std::string_view> template_field_names(Tab tab) {
    std::vector<std::string_view> names;
    for (const templates::FieldShape& shape : templates::field_shapes(tab)) names.push_back(shape.name);
    return names;
}

std::string template_error_text(const TemplateError& error) {
    return (error.in_full ? "Полное описание. " : "Краткое описание. ") + error.message;
}

std::optional<TemplateError> check_template(Tab tab, const TemplateText& text) {
    templates::Compiled compiled = templates::compile(tab, text);
    if (auto* error = std::get_if<TemplateError>(&compiled)) return std::move(*error);
    return std::nullopt;
}

}  // namespace tessivar
