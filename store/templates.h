#pragma once
// The user's own templates in the database file, and which one each tab's
// press writes with. Every write is one short transaction; a write that
// fails (a locked or read-only file) says so and changes nothing.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "generators/tab.h"
#include "store/store.h"
#include "templates/template.h"

namespace tessivar {

// What the window lists first: the template the program comes with.
inline constexpr std::string_view kBuiltinTemplateName = "Стандартное";

// Why a new name cannot be given, in Russian; none, it can.
std::optional<std::string> template_name_problem(std::string_view name, const std::vector<std::string>& taken);

class TemplateStore {
public:
    // `file` outlives this; a file that is not there yet is made at the first write.
    explicit TemplateStore(store::Store& file) : file_(file) {}

    // The tab's own templates, by name.
    std::vector<std::string> names(Tab tab) const;
    std::optional<TemplateText> find(Tab tab, std::string_view name) const;

    // False where the name is taken or the file refused the write.
    bool add(Tab tab, std::string_view name, const TemplateText& text);
    bool rename(Tab tab, std::string_view from, std::string_view to);
    bool save(Tab tab, std::string_view name, const TemplateText& text);
    bool remove(Tab tab, std::string_view name);

    // The name of the template the tab's press writes with; empty, the
    // built-in one. A name whose template is gone reads as the built-in one.
    std::string in_use(Tab tab) const;
    bool use(Tab tab, std::string_view name);
    // The user's template the tab's press writes with; none, the built-in one.
    std::optional<TemplateText> in_use_text(Tab tab) const;

private:
    store::Store& file_;
};

}  // namespace tessivar
