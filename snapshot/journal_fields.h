#pragma once
// A journal entry's fields: one tab's part of the form, kept as one text,
// and the folded text that searching the journal reads.
#include <optional>
#include <string>
#include <string_view>

#include "snapshot/form_state.h"

namespace tessivar::snapshot {

// Each of the tab's known fields on a line of its own, "Name=value", the
// value's backslash, line breaks and tab escaped as \\ \n \r \t.
std::string stored_fields(Tab tab, const Snapshot& form);

// The stored fields read back into a snapshot holding only them. Anything
// this program would not have written (a field of another tab, a name twice
// or out of the window's order,
// a bad escape, a value its field would not take) reads as nothing at all.
std::optional<Snapshot> read_fields(Tab tab, std::string_view stored);

// Whether the two snapshots hold the same values for the tab's fields.
bool same_fields(Tab tab, const Snapshot& a, const Snapshot& b);

// What a search looks in: every text field of the tab, folded, one a line.
std::string searchable_text(Tab tab, const Snapshot& form);

// Text as a search compares it: lower case in Latin (with Latin-1 and
// Extended-A), Greek and Cyrillic, final sigma as sigma, ё as е. Every
// other character is kept as it is, bytes that are no UTF-8 included.
std::string fold(std::string_view text);

// The first line of `text`, without its break.
std::string_view first_line(std::string_view text);

}  // namespace tessivar::snapshot
