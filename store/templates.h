#pragma once
// The user's own templates in the database file, and which one each tab's
// press writes with. Every write is one short transaction; a write that
// fails (a locked or read-only file, a template another copy of the program
// renamed or removed meanwhile) says why and changes nothing.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tabs/tab.h"
#include "store/store.h"
#include "templates/template.h"

namespace tessivar::store {

// What the window lists first: the template the program comes with.
inline constexpr std::string_view kBuiltinTemplateName = "Стандартное";

// Why a new name cannot be given, in Russian; none, it can.
std::optional<std::string> template_name_problem(std::string_view name, const std::vector<std::string>& taken);

// What became of a write.
enum class TemplateWrite {
    Done,
    Refused,  // by the file: locked by another program, read-only, full; worth another try
    Gone,     // no template of that name (any more: another copy renamed or removed it)
    Taken,    // the new name is another template's (another copy made it meanwhile)
};

class TemplateStore {
public:
    // `file` outlives this; a file that is not there yet is made at the first write.
    explicit TemplateStore(Store& file) : file_(file) {}

    // The tab's own templates, by name.
    std::vector<std::string> names(Tab tab) const;
    std::optional<TemplateText> find(Tab tab, std::string_view name) const;

    [[nodiscard]] TemplateWrite add(Tab tab, std::string_view name, const TemplateText& text);
    // Gone where `from` is no longer there: nothing is renamed.
    [[nodiscard]] TemplateWrite rename(Tab tab, std::string_view from, std::string_view to);
    // Made again where it is gone: what the user typed under the name they
    // see is kept, whatever another copy did with the template meanwhile.
    [[nodiscard]] TemplateWrite save(Tab tab, std::string_view name, const TemplateText& text);
    // Done also where it was gone already: it is not there, as asked.
    [[nodiscard]] TemplateWrite remove(Tab tab, std::string_view name);

    // The name of the template the tab's press writes with; empty, the
    // built-in one. A name whose template is gone reads as the built-in one.
    std::string in_use(Tab tab) const;
    // Gone where the template is not there: the press would not write with it.
    [[nodiscard]] TemplateWrite use(Tab tab, std::string_view name);
    // The user's template the tab's press writes with; none, the built-in one.
    std::optional<TemplateText> in_use_text(Tab tab) const;

private:
    // `body` in one transaction, committed only where it gives Done.
    // `at_once`: asked for in person, not a save of typing, which waits out a lock.
    [[nodiscard]] TemplateWrite write(const std::function<TemplateWrite(Database&)>& body, bool at_once = true);

    Store& file_;
};

}  // namespace tessivar::store
