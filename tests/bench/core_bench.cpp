// Throughput of the text rules and the generators on big memo texts, each
// size beside a plain memcpy of the same bytes as the machine's yardstick.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <string>

#include "bbcode/post.h"
#include "bbcode/rtf.h"
#include "output/description.h"
#include "tests/bench/description_text.h"
#include "tests/bench/memo_text.h"
#include "tests/oracle/oracle.h"
#include "tests/utf16.h"

namespace tessivar {
namespace {

// Made once per size and shared by every benchmark of that size.
const std::string& memo_text(std::int64_t bytes) {
    static std::map<std::int64_t, std::string> texts;
    auto [it, made] = texts.try_emplace(bytes);
    if (made) it->second = bench::make_memo_text(static_cast<std::size_t>(bytes));
    return it->second;
}

void set_bytes(benchmark::State& state, std::size_t per_iteration) {
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(per_iteration));
}

void BM_memcpy(benchmark::State& state) {
    const std::string& text = memo_text(state.range(0));
    std::string copy(text.size(), '\0');
    for (auto _ : state) {
        std::memcpy(copy.data(), text.data(), text.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    set_bytes(state, text.size());
}

void BM_memo_lines(benchmark::State& state) {
    const std::string& text = memo_text(state.range(0));
    for (auto _ : state) {
        Lines lines = memo_lines(text);
        benchmark::DoNotOptimize(lines.data());
    }
    set_bytes(state, text.size());
}

// Each generator as the window runs it: a fresh snapshot with short values,
// the memo boxes' texts through memo_lines, then moved into the generator.
MapTab map_tab(const std::string& memo) {
    MapTab tab;
    tab.Edit2 = "Иван";
    tab.ComboBox1 = "Tower Defence";
    tab.Edit1 = "1.00";
    tab.DateTimePicker1 = "02.11.2009";
    tab.ComboBox2 = "Русский";
    tab.LabeledEdit2 = "images/td-logo.jpg";
    tab.Memo1 = memo_lines(memo);
    tab.Edit7 = "maps/td-page.html";
    return tab;
}

SoundTab sound_tab(const std::string& memo) {
    SoundTab tab;
    tab.Edit8 = "Шум дождя";
    tab.Edit9 = "0:01:30";
    tab.ComboBox9 = "MP3";
    tab.Edit11 = "sounds/rain.html";
    tab.Memo6 = memo_lines(memo);
    return tab;
}

// The models tab has three memo boxes; each gets the whole text.
ModelTab model_tab(const std::string& memo) {
    ModelTab tab;
    tab.Edit4 = "Иван";
    tab.Edit5 = "1.00";
    tab.DateTimePicker2 = "02.11.2009";
    tab.Memo2 = memo_lines(memo);
    tab.Memo5 = memo_lines(memo);
    tab.Memo3 = memo_lines(memo);
    return tab;
}

TextureTab texture_tab(const std::string& memo) {
    TextureTab tab;
    tab.Edit3 = "Иван";
    tab.Edit6 = "1.00";
    tab.DateTimePicker3 = "02.11.2009";
    tab.ComboBox7 = "Textures\\stone.blp";
    tab.Memo4 = memo_lines(memo);
    return tab;
}

template <auto make_tab, auto describe, std::size_t memo_boxes = 1>
void BM_describe(benchmark::State& state) {
    const std::string& text = memo_text(state.range(0));
    for (auto _ : state) {
        Description d = describe(make_tab(text));
        benchmark::DoNotOptimize(d.full_lines.data());
    }
    set_bytes(state, memo_boxes * text.size());
}

// A full description of the size, as the preview reads it from the pane.
const std::u16string& description_text(std::int64_t bytes) {
    static std::map<std::int64_t, std::u16string> texts;
    auto [it, made] = texts.try_emplace(bytes);
    if (made) it->second = testing::utf16(bench::make_description_text(static_cast<std::size_t>(bytes)));
    return it->second;
}

// Bytes of the UTF-8 text, as for the generators.
void BM_parse_post(benchmark::State& state) {
    const std::u16string& text = description_text(state.range(0));
    for (auto _ : state) {
        bbcode::Post post = bbcode::parse_post(text);
        benchmark::DoNotOptimize(post.paragraphs.data());
    }
    set_bytes(state, static_cast<std::size_t>(state.range(0)));
}

// What the preview does before the control: both steps, RTF out.
void BM_preview_rtf(benchmark::State& state) {
    const std::u16string& text = description_text(state.range(0));
    const bbcode::Theme theme{0xDCDCDC, 0x6CB4FF, 0xFFFFFF, 0x22262B, 0x33383F, 0xBFD0EA, 9};
    for (auto _ : state) {
        const bbcode::Post post = bbcode::parse_post(text);
        const bbcode::Section section{u"Полное описание", &post};
        bbcode::Rendering rendering = bbcode::write_rtf({&section, 1}, theme);
        benchmark::DoNotOptimize(rendering.rtf.data());
    }
    set_bytes(state, static_cast<std::size_t>(state.range(0)));
}

// 64 KiB, 1 MiB, 16 MiB.
void memo_sizes(benchmark::internal::Benchmark* b) {
    b->Arg(64 << 10)->Arg(1 << 20)->Arg(16 << 20)->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_memcpy)->Apply(memo_sizes);
BENCHMARK(BM_memo_lines)->Apply(memo_sizes);
BENCHMARK(BM_describe<map_tab, describe_map>)->Name("BM_describe_map")->Apply(memo_sizes);
// The same snapshot through the code the built-in template replaced.
BENCHMARK(BM_describe<map_tab, oracle::describe_map>)->Name("BM_map_as_code")->Apply(memo_sizes);
BENCHMARK(BM_describe<sound_tab, describe_sound>)->Name("BM_describe_sound")->Apply(memo_sizes);
BENCHMARK(BM_describe<model_tab, describe_model, 3>)->Name("BM_describe_model")->Apply(memo_sizes);
BENCHMARK(BM_describe<texture_tab, describe_texture>)->Name("BM_describe_texture")->Apply(memo_sizes);
BENCHMARK(BM_parse_post)->Apply(memo_sizes);
BENCHMARK(BM_preview_rtf)->Apply(memo_sizes);

}  // namespace
}  // namespace tessivar

BENCHMARK_MAIN();
