#pragma once
// What the text boxes remember: one short list per meaning of a box, most
// recent first, kept in a stored form that is read back with suspicion.
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessivar::history {

// Boxes of the same meaning share one history.
enum class Meaning { Author, Version, Site, Screenshot, SoundTitle, Duration };
inline constexpr Meaning kMeanings[] = {Meaning::Author,     Meaning::Version,    Meaning::Site,
                                        Meaning::Screenshot, Meaning::SoundTitle, Meaning::Duration};

// The name a history is stored under.
std::u16string_view stored_name(Meaning meaning);

inline constexpr std::size_t kMaxValues = 25;
inline constexpr std::size_t kMaxLength = 1000;  // characters; a longer value is never kept, never cut

using Values = std::vector<std::u16string>;  // most recent first

// Empty, unchanged from the box's starting text, or too long: not worth a place.
bool worth_keeping(std::u16string_view value, std::u16string_view starting_text);

// `value` to the front, once; the oldest beyond the limit go.
void remember(Values& values, std::u16string_view value);
// Whether `value` was there.
bool forget(Values& values, std::u16string_view value);

// Whether `text` begins with `prefix`, by the user's rules of case.
using BeginsWith = bool (*)(std::u16string_view text, std::u16string_view prefix);

// The values that `typed` begins, or that have a word `typed` begins, in
// their order; all of them for nothing typed.
Values matching(const Values& values, std::u16string_view typed, BeginsWith begins_with);

// The stored form: each value and a NUL after it, then one more NUL, as
// UTF-16 little-endian bytes (a registry multi-string).
std::vector<std::byte> stored_form(const Values& values);

// The largest stored form worth reading: kMaxValues values of kMaxLength
// characters, each of two UTF-16 units.
inline constexpr std::size_t kMaxStoredBytes = (kMaxValues * (2 * kMaxLength + 1) + 1) * 2;

// A stored form read back. Anything this program would not have written
// (an odd length, a missing NUL, an empty value before the end, a broken
// surrogate pair, too many or too long values) reads as no values at all.
Values read_stored(std::span<const std::byte> stored);

}  // namespace tessivar::history
