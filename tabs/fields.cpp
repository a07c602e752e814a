#include "tabs/fields.h"

#include <algorithm>
#include <vector>

namespace tessivar {
namespace {

// ComboBox9 before ComboBox10: the shorter name first.
bool numbered_before(std::string_view a, std::string_view b) {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

std::vector<ChoiceList> all_choice_lists() {
    std::vector<ChoiceList> lists;
    for (Tab tab : kTabs) {
        for (const TabField& field : fields_of(tab)) {
            if (!field.choices.empty()) lists.push_back({field.control, field.choices});
        }
    }
    std::sort(lists.begin(), lists.end(),
              [](const ChoiceList& a, const ChoiceList& b) { return numbered_before(a.combo, b.combo); });
    return lists;
}

}  // namespace

std::span<const ChoiceList> choice_lists() {
    static const std::vector<ChoiceList> lists = all_choice_lists();
    return lists;
}

std::optional<std::size_t> field_with_history(Tab tab, history::Meaning meaning) {
    const auto fields = fields_of(tab);
    const auto found =
        std::find_if(fields.begin(), fields.end(), [&](const TabField& field) { return field.history == meaning; });
    if (found == fields.end()) return std::nullopt;
    return static_cast<std::size_t>(found - fields.begin());
}

}  // namespace tessivar
