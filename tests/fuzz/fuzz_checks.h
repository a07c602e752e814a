#pragma once
// What the generator fuzzers share: reading a snapshot's fields from the
// input, and the checks that stop the run when a rule is broken.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "output/description.h"

// An abort, so that libFuzzer keeps the input that broke the rule.
#define FUZZ_CHECK(condition) \
    ((condition) ? void() : tessivar::fuzz::broken(#condition, __FILE__, __LINE__))

namespace tessivar::fuzz {

[[noreturn]] inline void broken(const char* rule, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: broken: %s\n", file, line, rule);
    std::abort();
}

// A one-line field: any bytes at all.
inline std::string field(FuzzedDataProvider& in) { return in.ConsumeRandomLengthString(); }

// A memo box: any bytes, split as the window splits them.
inline Lines memo(FuzzedDataProvider& in) { return memo_lines(in.ConsumeRandomLengthString()); }

inline bool contains(std::string_view line, std::string_view value) {
    return line.find(value) != std::string_view::npos;
}

inline bool same(const Description& a, const Description& b) {
    return a.short_lines == b.short_lines && a.full_lines == b.full_lines;
}

// The lines of `run`, whole and one after another, somewhere in `lines`.
inline bool has_run(const Lines& lines, const Lines& run) {
    return std::search(lines.begin(), lines.end(), run.begin(), run.end()) != lines.end();
}

// The memo's lines as one white block: opening line, each memo line, closing line.
inline bool has_white_block(const Lines& lines, const Lines& memo) {
    Lines block{"[color=#FFFFFF]"};
    block.insert(block.end(), memo.begin(), memo.end());
    block.emplace_back("[/color]");
    return has_run(lines, block);
}

// Each value inside a line of its own, those lines in the values' order.
inline bool appear_in_order(const Lines& lines, Lines::const_iterator values_begin,
                            Lines::const_iterator values_end) {
    auto line = lines.begin();
    for (auto value = values_begin; value != values_end; ++value, ++line) {
        line = std::find_if(line, lines.end(), [&](const auto& l) { return contains(l, *value); });
        if (line == lines.end()) return false;
    }
    return true;
}

}  // namespace tessivar::fuzz
