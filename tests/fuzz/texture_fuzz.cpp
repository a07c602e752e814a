// describe_texture on arbitrary snapshots: the line counts the tab's rules
// give, every value unchanged in its line, the memo as one white block.
#include <cstddef>
#include <cstdint>

#include "fuzz_checks.h"
#include "generators/texture.h"

namespace {

using namespace tessivar;
using namespace tessivar::fuzz;

TextureTab texture_tab(FuzzedDataProvider& in) {
    TextureTab tab;
    tab.Edit3 = field(in);
    tab.Edit6 = field(in);
    tab.CheckBox3 = in.ConsumeBool();
    tab.DateTimePicker3 = field(in);
    tab.ComboBox7 = field(in);
    tab.ComboBox8 = field(in);
    tab.Memo4 = memo(in);
    return tab;
}

void check_short(const TextureTab& tab, const Lines& s) {
    FUZZ_CHECK(s.size() == 4);
    FUZZ_CHECK(contains(s[0], tab.Edit3));
    FUZZ_CHECK(contains(s[1], tab.Edit6));
    FUZZ_CHECK(!tab.CheckBox3 || contains(s[1], tab.DateTimePicker3));
    FUZZ_CHECK(contains(s[2], tab.ComboBox7));
    FUZZ_CHECK(contains(s[3], tab.ComboBox8));
}

// Credit, the short lines, the memo's block.
void check_full(const TextureTab& tab, const Lines& s, const Lines& f) {
    FUZZ_CHECK(f.size() == 7 + tab.Memo4.size());
    FUZZ_CHECK(f[0] == credit_line());
    FUZZ_CHECK(Lines(f.begin() + 1, f.begin() + 5) == s);
    FUZZ_CHECK(has_white_block(f, tab.Memo4));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const TextureTab tab = texture_tab(in);
    const Description d = describe_texture(tab);
    check_short(tab, d.short_lines);
    check_full(tab, d.short_lines, d.full_lines);
    if (!tab.CheckBox3) {
        TextureTab other_date = tab;
        other_date.DateTimePicker3 += "1";
        FUZZ_CHECK(same(describe_texture(other_date), d));
    }
    return 0;
}
