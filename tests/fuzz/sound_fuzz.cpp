// describe_sound on arbitrary snapshots: the line counts the tab's rules give,
// every value unchanged in its line, the memo as one white block.
#include <cstddef>
#include <cstdint>

#include "fuzz_checks.h"
#include "generators/sound.h"

namespace {

using namespace tessivar;
using namespace tessivar::fuzz;

SoundTab sound_tab(FuzzedDataProvider& in) {
    SoundTab tab;
    tab.Edit8 = field(in);
    tab.Edit9 = field(in);
    tab.ComboBox12 = field(in);
    tab.ComboBox9 = field(in);
    tab.ComboBox10 = field(in);
    tab.ComboBox11 = field(in);
    tab.Edit11 = field(in);
    tab.Memo6 = memo(in);
    return tab;
}

void check_short(const SoundTab& tab, const Lines& s) {
    FUZZ_CHECK(s.size() == 6);
    FUZZ_CHECK(contains(s[0], tab.Edit8));
    FUZZ_CHECK(contains(s[1], tab.Edit9));
    FUZZ_CHECK(contains(s[2], tab.ComboBox12));
    FUZZ_CHECK(contains(s[3], tab.ComboBox9));
    FUZZ_CHECK(contains(s[4], tab.ComboBox10));
    FUZZ_CHECK(contains(s[5], tab.ComboBox11));
}

// Credit, the short lines, the source when given, the memo's block.
void check_full(const SoundTab& tab, const Lines& s, const Lines& f) {
    FUZZ_CHECK(f.size() == 9 + tab.Memo6.size() + has_text(tab.Edit11));
    FUZZ_CHECK(f[0] == credit_line());
    FUZZ_CHECK(Lines(f.begin() + 1, f.begin() + 7) == s);
    FUZZ_CHECK(!has_text(tab.Edit11) || contains(f[7], tab.Edit11));
    FUZZ_CHECK(has_white_block(f, tab.Memo6));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const SoundTab tab = sound_tab(in);
    const Description d = describe_sound(tab);
    check_short(tab, d.short_lines);
    check_full(tab, d.short_lines, d.full_lines);
    return 0;
}
