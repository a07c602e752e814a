// The four generators on arbitrary snapshots, against rules every tab keeps
// whatever its code: each value with text stands whole after its label, on
// the line the label starts; a memo's lines come whole, one pane line each;
// no line holds a break; the full description opens with the credit line;
// and nothing but the snapshot decides the output.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "../host/expected.h"
#include "fuzz_checks.h"
#include "tests/host/tab_snapshots.h"

namespace {

using namespace tessivar;
using namespace tessivar::fuzz;

struct Labelled {
    std::string_view label;  // how the value's line starts
    const std::string& value;
    bool in_short;  // printed in the short description too
};

bool on_labelled_line(const Lines& lines, std::string_view label, const std::string& value) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.starts_with(label) && line.find(value, label.size()) != std::string::npos;
    });
}

void check_labelled(const Description& d, std::initializer_list<Labelled> fields) {
    for (const Labelled& f : fields) {
        if (f.value.empty()) continue;
        if (f.in_short) FUZZ_CHECK(on_labelled_line(d.short_lines, f.label, f.value));
        FUZZ_CHECK(on_labelled_line(d.full_lines, f.label, f.value));
    }
}

// The lines of `run`, whole and one after another, somewhere in `lines`.
bool has_run(const Lines& lines, const Lines& run) {
    return std::search(lines.begin(), lines.end(), run.begin(), run.end()) != lines.end();
}

bool has_white_block(const Lines& lines, const Lines& memo) {
    Lines block{"[color=#FFFFFF]"};
    block.insert(block.end(), memo.begin(), memo.end());
    block.emplace_back("[/color]");
    return has_run(lines, block);
}

bool same(const Description& a, const Description& b) {
    return a.short_lines == b.short_lines && a.full_lines == b.full_lines;
}

// Undated, the picker's text changes nothing.
template <class Tab>
void check_date_unused(const Tab& tab, std::string Tab::*picker, Description (*describe)(Tab),
                       const Description& d) {
    Tab other = tab;
    other.*picker += "1";
    FUZZ_CHECK(same(describe(other), d));
}

// The picker's text where its toggle prints it; else nothing to look for.
const std::string& printed_date(bool dated, const std::string& date) {
    static const std::string none;
    return dated ? date : none;
}

void check_map(const MapTab& tab, const Description& d) {
    check_labelled(d, {{"[color=Grey]Автор карты:", tab.Edit2, true},
                       {"[color=Grey]Жанр карты:", tab.ComboBox1, true},
                       {"[color=Grey]Версия:", tab.Edit1, true},
                       {"[color=Grey]Версия:", printed_date(tab.CheckBox1, tab.DateTimePicker1), true},
                       {"[color=Grey]Язык:", tab.ComboBox2, true},
                       {"[color=Grey]Количество игроков:", tab.ComboBox3, true},
                       {"[color=Grey]Поддержка компьютера:", tab.ComboBox4, true},
                       {"[color=Grey]Размер игровой зоны:", tab.ComboBox5, false},
                       {"[color=Grey]Ландшафт:", tab.ComboBox6, false},
                       {"[c][img]", tab.LabeledEdit2, false},
                       {"[color=Grey]Сайт карты:", tab.Edit7, false}});
    FUZZ_CHECK(has_white_block(d.full_lines, tab.Memo1));
    if (!tab.CheckBox1) check_date_unused(tab, &MapTab::DateTimePicker1, describe_map, d);
}

void check_sound(const SoundTab& tab, const Description& d) {
    check_labelled(d, {{"[color=#9999FF]Название:", tab.Edit8, true},
                       {"[color=#9999FF]Длительность:", tab.Edit9, true},
                       {"[color=#9999FF]Тип:", tab.ComboBox12, true},
                       {"[color=#9999FF]Формат:", tab.ComboBox9, true},
                       {"[color=#9999FF]Битрейд:", tab.ComboBox10, true},
                       {"[color=#9999FF]Частота дискретизации:", tab.ComboBox11, true},
                       {"[color=#9999FF]Источник:", tab.Edit11, false}});
    FUZZ_CHECK(has_white_block(d.full_lines, tab.Memo6));
}

void check_model(const ModelTab& tab, const Description& d) {
    check_labelled(d, {{"[color=Yellow]Автор модели:", tab.Edit4, true},
                       {"[color=Yellow]Версия:", tab.Edit5, true},
                       {"[color=Yellow]Версия:", printed_date(tab.CheckBox2, tab.DateTimePicker2), true}});
    // The first picture centred above the rest, each further one on its own line.
    for (std::size_t i = 0; i < tab.Memo5.size(); ++i) {
        check_labelled(d, {{i == 0 ? "[c][img]" : "[img]", tab.Memo5[i], false}});
    }
    FUZZ_CHECK(has_run(d.full_lines, tab.Memo2));
    FUZZ_CHECK(has_white_block(d.full_lines, tab.Memo3));
    if (!tab.CheckBox2) check_date_unused(tab, &ModelTab::DateTimePicker2, describe_model, d);
}

void check_texture(const TextureTab& tab, const Description& d) {
    check_labelled(d, {{"[color=Orange]Автор текстуры:", tab.Edit3, true},
                       {"[color=Orange]Версия:", tab.Edit6, true},
                       {"[color=Orange]Версия:", printed_date(tab.CheckBox3, tab.DateTimePicker3), true},
                       {"[color=Orange]Используется как текстуру:", tab.ComboBox7, true},
                       {"[color=Orange]Используется на модель:", tab.ComboBox8, true}});
    FUZZ_CHECK(has_white_block(d.full_lines, tab.Memo4));
    if (!tab.CheckBox3) check_date_unused(tab, &TextureTab::DateTimePicker3, describe_texture, d);
}

// What every tab keeps; then the tab's own labels. Describing another
// snapshot in between changes nothing: no state is kept between presses.
template <class Tab>
int fuzz_tab(FuzzedDataProvider& in, Tab (*read)(FuzzedDataProvider&), Description (*describe)(Tab),
             void (*check)(const Tab&, const Description&)) {
    const Tab tab = read(in), other = read(in);
    const Description d = describe(tab);
    FUZZ_CHECK(!d.full_lines.empty() && d.full_lines.front() == expected::credit);
    for (const Lines* pane : {&d.short_lines, &d.full_lines}) {
        for (const std::string& line : *pane) FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
    }
    check(tab, d);
    describe(other);
    FUZZ_CHECK(same(describe(tab), d));
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0:
            return fuzz_tab(in, map_tab, describe_map, check_map);
        case 1:
            return fuzz_tab(in, sound_tab, describe_sound, check_sound);
        case 2:
            return fuzz_tab(in, model_tab, describe_model, check_model);
        default:
            return fuzz_tab(in, texture_tab, describe_texture, check_texture);
    }
}
