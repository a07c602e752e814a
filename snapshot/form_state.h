#pragma once
// The form's state as data: every field the window keeps, by name, each
// with its stored text. A value read back is checked against its field's
// kind; one this program would not have written reads as absent.
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tabs/tab.h"

namespace tessivar::snapshot {

enum class FieldKind {
    Text,       // a box's, a combo box's or a pane's text, UTF-8 as the controls give it
    Toggle,     // "1" ticked, "0" not
    Date,       // a picker's date, "YYYY-MM-DD"
    Page,       // the page shown, "0" to "3"
    Placement,  // a window's normal rectangle and whether maximised, "left top right bottom 0|1"
};

struct Field {
    std::string_view name;  // the control's name in the window
    FieldKind kind;
    std::optional<Tab> tab;  // the page it stands on; none for the window's own
};

// Every field kept, each tab's in the window's order, then the window's own.
std::span<const Field> form_fields();
std::optional<std::size_t> field_index(std::string_view name);

// The fields of `tab`, as indices into form_fields().
std::span<const std::size_t> tab_fields(Tab tab);

// Fields the journal's list shows for a tab, where it has one.
std::optional<std::size_t> author_field(Tab tab);
std::optional<std::size_t> version_field(Tab tab);
std::size_t first_memo_field(Tab tab);

// A name from form_fields(), known to be there.
std::size_t field_named(std::string_view name);

// One value per field of form_fields(); absent where nothing is known.
struct Snapshot {
    std::vector<std::optional<std::string>> values = std::vector<std::optional<std::string>>(form_fields().size());
    bool operator==(const Snapshot&) const = default;
};

// `text` as read back for a field of `kind`: itself if this program could
// have written it, else nothing.
std::optional<std::string> checked_value(FieldKind kind, std::string_view text);

// The fields `after` knows whose value is not what `before` holds: what a
// save must write, and nothing else.
std::vector<std::size_t> changed_fields(const Snapshot& before, const Snapshot& after);

struct Date {
    int year = 0, month = 0, day = 0;
    bool operator==(const Date&) const = default;
};
std::string stored_date(Date date);
std::optional<Date> read_date(std::string_view text);

struct Placement {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool maximized = false;
    bool operator==(const Placement&) const = default;
};
std::string stored_placement(const Placement& placement);
std::optional<Placement> read_placement(std::string_view text);

// `placement` moved, and shrunk if need be, so that it lies on `screen`
// (a monitor's work area), as a placement on a monitor that is gone would not.
Placement onto_screen(Placement placement, const Placement& screen);

// Whether `text` is UTF-8 as the window's text conversion writes it: a
// surrogate without its partner in its three-byte form, no NUL.
bool is_control_text(std::string_view text);

}  // namespace tessivar::snapshot
