// describe_model on arbitrary snapshots: the line counts the tab's rules give,
// every value unchanged in its line, the texture paths together, the images
// in order, the description as one white block.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "fuzz_checks.h"
#include "generators/model.h"

namespace {

using namespace tessivar;
using namespace tessivar::fuzz;

ModelTab model_tab(FuzzedDataProvider& in) {
    ModelTab tab;
    tab.Edit4 = field(in);
    tab.Edit5 = field(in);
    tab.CheckBox2 = in.ConsumeBool();
    tab.DateTimePicker2 = field(in);
    tab.Memo2 = memo(in);
    tab.Memo5 = memo(in);
    tab.Memo3 = memo(in);
    return tab;
}

void check_short(const ModelTab& tab, const Lines& s) {
    FUZZ_CHECK(s.size() == 3);
    FUZZ_CHECK(contains(s[0], tab.Edit4));
    FUZZ_CHECK(contains(s[1], tab.Edit5));
    FUZZ_CHECK(!tab.CheckBox2 || contains(s[1], tab.DateTimePicker2));
}

// Credit, preview, author and version, the textures, the screenshots after
// the preview, the description's block.
void check_full(const ModelTab& tab, const Lines& s, const Lines& f) {
    const std::size_t screenshots = std::max<std::size_t>(tab.Memo5.size(), 1) - 1;
    FUZZ_CHECK(f.size() == 10 + tab.Memo2.size() + tab.Memo3.size() + screenshots);
    FUZZ_CHECK(f[0] == credit_line());
    FUZZ_CHECK(tab.Memo5.empty() || contains(f[1], tab.Memo5.front()));
    FUZZ_CHECK(f[2] == s[0] && f[3] == s[1]);
    FUZZ_CHECK(has_run(f, tab.Memo2));
    if (screenshots) FUZZ_CHECK(appear_in_order(f, tab.Memo5.begin() + 1, tab.Memo5.end()));
    FUZZ_CHECK(has_white_block(f, tab.Memo3));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const ModelTab tab = model_tab(in);
    const Description d = describe_model(tab);
    check_short(tab, d.short_lines);
    check_full(tab, d.short_lines, d.full_lines);
    if (!tab.CheckBox2) {
        ModelTab other_date = tab;
        other_date.DateTimePicker2 += "1";
        FUZZ_CHECK(same(describe_model(other_date), d));
    }
    return 0;
}
