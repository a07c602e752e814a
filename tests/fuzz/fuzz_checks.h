#pragma once
// What the fuzzers share: reading a snapshot's fields from the input, and
// the check that stops the run when a rule is broken.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>

#include "output/description.h"
#include "tests/host/tab_snapshots.h"

// An abort, so that libFuzzer keeps the input that broke the rule.
#define FUZZ_CHECK(condition) \
    ((condition) ? void() : tessivar::fuzz::broken(#condition, __FILE__, __LINE__))

namespace tessivar::fuzz {

[[noreturn]] inline void broken(const char* rule, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: broken: %s\n", file, line, rule);
    std::abort();
}

// Whether `run` takes time linear in its input's length: eight times as many
// copies of `piece` (up to `most` units in all) take at most three times
// eight as long as one lot, with room for a busy machine; a quadratic step
// would take sixty-four.
template <class Text, class Run>
bool linear_in_copies(const Text& piece, std::size_t most, Run run) {
    using Clock = std::chrono::steady_clock;
    Text one;
    while ((one.size() + piece.size()) * 8 <= most) one += piece;
    if (one.empty()) return true;
    Text eight;
    for (int i = 0; i < 8; ++i) eight += one;
    // The quickest of a few runs: the machine's hiccups only ever add.
    const auto seconds = [&](const Text& text) {
        double quickest = 1e9;
        for (int i = 0; i < 5; ++i) {
            const Clock::time_point start = Clock::now();
            run(text);
            quickest = std::min(quickest, std::chrono::duration<double>(Clock::now() - start).count());
        }
        return quickest;
    };
    // A machine shared with others may stall any run: a step quadratic in
    // 64 Ki units takes seconds each time, a stall not three times over.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (seconds(eight) < 24 * seconds(one) + 0.02) return true;
    }
    return false;
}

// A one-line field: any bytes but line breaks, which a one-line box does not keep.
inline std::string field(FuzzedDataProvider& in) {
    std::string text = in.ConsumeRandomLengthString();
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
    return text;
}

// A memo box: any bytes, split as the window splits them.
inline Lines memo(FuzzedDataProvider& in) { return memo_lines(in.ConsumeRandomLengthString()); }

// Each tab's snapshot, every field from the input.
inline void read_fields(FuzzedDataProvider& in, std::initializer_list<std::string*> fields) {
    for (std::string* f : fields) *f = field(in);
}

inline MapTab map_tab(FuzzedDataProvider& in) {
    MapTab tab{.CheckBox1 = in.ConsumeBool(), .Memo1 = memo(in)};
    read_fields(in, {&tab.Edit2, &tab.ComboBox1, &tab.Edit1, &tab.DateTimePicker1, &tab.ComboBox2, &tab.ComboBox3,
                     &tab.ComboBox4, &tab.ComboBox5, &tab.ComboBox6, &tab.LabeledEdit2, &tab.Edit7});
    return tab;
}

inline SoundTab sound_tab(FuzzedDataProvider& in) {
    SoundTab tab{.Memo6 = memo(in)};
    read_fields(in, {&tab.Edit8, &tab.Edit9, &tab.ComboBox12, &tab.ComboBox9, &tab.ComboBox10, &tab.ComboBox11,
                     &tab.Edit11});
    return tab;
}

inline ModelTab model_tab(FuzzedDataProvider& in) {
    ModelTab tab{.CheckBox2 = in.ConsumeBool(), .Memo2 = memo(in), .Memo5 = memo(in), .Memo3 = memo(in)};
    read_fields(in, {&tab.Edit4, &tab.Edit5, &tab.DateTimePicker2});
    return tab;
}

inline TextureTab texture_tab(FuzzedDataProvider& in) {
    TextureTab tab{.CheckBox3 = in.ConsumeBool(), .Memo4 = memo(in)};
    read_fields(in, {&tab.Edit3, &tab.Edit6, &tab.DateTimePicker3, &tab.ComboBox7, &tab.ComboBox8});
    return tab;
}

}  // namespace tessivar::fuzz
