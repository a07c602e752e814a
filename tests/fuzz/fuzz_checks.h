#pragma once
// What the fuzzers share: reading a snapshot's fields from the input, and
// the check that stops the run when a rule is broken.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "output/description.h"

// An abort, so that libFuzzer keeps the input that broke the rule.
#define FUZZ_CHECK(condition) \
    ((condition) ? void() : tessivar::fuzz::broken(#condition, __FILE__, __LINE__))

namespace tessivar::fuzz {

[[noreturn]] inline void broken(const char* rule, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: broken: %s\n", file, line, rule);
    std::abort();
}

// A one-line field: any bytes but line breaks, which a one-line box does not keep.
inline std::string field(FuzzedDataProvider& in) {
    std::string text = in.ConsumeRandomLengthString();
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
    return text;
}

// A memo box: any bytes, split as the window splits them.
inline Lines memo(FuzzedDataProvider& in) { return memo_lines(in.ConsumeRandomLengthString()); }

}  // namespace tessivar::fuzz
