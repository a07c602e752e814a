#pragma once
// The clock and the middle figure the Windows benchmarks report.
#include <windows.h>

#include <algorithm>
#include <vector>

namespace tessivar::bench {

inline double now_ms() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return 1e3 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace tessivar::bench
