// describe_map on arbitrary snapshots: the line counts the tab's rules give,
// every value unchanged in its line, the memo as one white block.
#include <cstddef>
#include <cstdint>

#include "fuzz_checks.h"
#include "generators/map.h"

namespace {

using namespace tessivar;
using namespace tessivar::fuzz;

MapTab map_tab(FuzzedDataProvider& in) {
    MapTab tab;
    tab.Edit2 = field(in);
    tab.ComboBox1 = field(in);
    tab.Edit1 = field(in);
    tab.CheckBox1 = in.ConsumeBool();
    tab.DateTimePicker1 = field(in);
    tab.ComboBox2 = field(in);
    tab.ComboBox3 = field(in);
    tab.ComboBox4 = field(in);
    tab.ComboBox5 = field(in);
    tab.ComboBox6 = field(in);
    tab.LabeledEdit2 = field(in);
    tab.Edit7 = field(in);
    tab.Memo1 = memo(in);
    return tab;
}

void check_short(const MapTab& tab, const Lines& s) {
    FUZZ_CHECK(s.size() == 6);
    FUZZ_CHECK(contains(s[0], tab.Edit2));
    FUZZ_CHECK(contains(s[1], tab.ComboBox1));
    FUZZ_CHECK(contains(s[2], tab.Edit1));
    FUZZ_CHECK(!tab.CheckBox1 || contains(s[2], tab.DateTimePicker1));
    FUZZ_CHECK(contains(s[3], tab.ComboBox2));
    FUZZ_CHECK(contains(s[4], tab.ComboBox3));
    FUZZ_CHECK(contains(s[5], tab.ComboBox4));
}

// Credit, preview, the short fields (its own version line), size, landscape,
// the site when given, the memo's block and three lines of notes.
void check_full(const MapTab& tab, const Lines& s, const Lines& f) {
    FUZZ_CHECK(f.size() == 15 + tab.Memo1.size() + has_text(tab.Edit7));
    FUZZ_CHECK(f[0] == credit_line());
    FUZZ_CHECK(contains(f[1], tab.LabeledEdit2));
    FUZZ_CHECK(f[2] == s[0] && f[3] == s[1]);
    FUZZ_CHECK(contains(f[4], tab.Edit1));
    FUZZ_CHECK(!tab.CheckBox1 || contains(f[4], tab.DateTimePicker1));
    FUZZ_CHECK(f[5] == s[3] && f[6] == s[4] && f[7] == s[5]);
    FUZZ_CHECK(contains(f[8], tab.ComboBox5));
    FUZZ_CHECK(contains(f[9], tab.ComboBox6));
    FUZZ_CHECK(!has_text(tab.Edit7) || contains(f[10], tab.Edit7));
    FUZZ_CHECK(has_white_block(f, tab.Memo1));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const MapTab tab = map_tab(in);
    const Description d = describe_map(tab);
    check_short(tab, d.short_lines);
    check_full(tab, d.short_lines, d.full_lines);
    if (!tab.CheckBox1) {
        MapTab other_date = tab;
        other_date.DateTimePicker1 += "1";
        FUZZ_CHECK(same(describe_map(other_date), d));
    }
    return 0;
}
