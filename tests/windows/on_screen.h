#pragma once
// What the screen shows: the system's colours set for one test, and a
// window's pixels once painted.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

namespace tessivar::testing {

using ColourSet = std::vector<std::pair<int, COLORREF>>;

// Sets the system's colours for one test and puts the saved ones back
// however it ends: they are the whole session's, not the test's.
class SystemColours {
public:
    explicit SystemColours(const ColourSet& colours) {
        std::vector<COLORREF> wanted;
        for (const auto& [element, colour] : colours) {
            elements_.push_back(element);
            saved_.push_back(GetSysColor(element));
            wanted.push_back(colour);
        }
        apply(wanted);
    }
    ~SystemColours() { apply(saved_); }
    SystemColours(const SystemColours&) = delete;
    SystemColours& operator=(const SystemColours&) = delete;

private:
    void apply(const std::vector<COLORREF>& colours) const {
        EXPECT_TRUE(SetSysColors(static_cast<int>(elements_.size()), elements_.data(), colours.data()));
    }

    std::vector<int> elements_;
    std::vector<COLORREF> saved_;
};

// A window's client area as the screen shows it, once painted.
class Snapshot {
public:
    explicit Snapshot(HWND window) : window_(window) {
        UpdateWindow(window);
        dc_ = GetDC(window);
    }
    ~Snapshot() { ReleaseDC(window_, dc_); }
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;

    COLORREF commonest(const RECT& area) const {
        std::map<COLORREF, int> counts;
        for_each_pixel(area, [&](int, COLORREF colour) { ++counts[colour]; });
        const auto most = std::max_element(counts.begin(), counts.end(),
                                           [](const auto& a, const auto& b) { return a.second < b.second; });
        return most == counts.end() ? CLR_INVALID : most->first;
    }

    bool shows(const RECT& area, COLORREF colour) const {
        bool found = false;
        for_each_pixel(area, [&](int, COLORREF pixel) { found |= pixel == colour; });
        return found;
    }

    // The spans of columns that hold anything but `background`: the letters
    // of one caption lie closer together than `gap`, captions further apart.
    std::vector<RECT> inked_spans(const RECT& area, COLORREF background, int gap) const {
        std::vector<RECT> spans;
        for_each_pixel(area, [&](int x, COLORREF pixel) {
            if (pixel == background) return;
            if (spans.empty() || x - spans.back().right > gap) spans.push_back({x, area.top, x, area.bottom});
            spans.back().right = x + 1;
        });
        return spans;
    }

private:
    // Column by column, so that the spans grow from left to right.
    template <class Visit>
    void for_each_pixel(const RECT& area, Visit visit) const {
        for (int x = area.left; x < area.right; ++x) {
            for (int y = area.top; y < area.bottom; ++y) visit(x, GetPixel(dc_, x, y));
        }
    }

    HWND window_;
    HDC dc_;
};

}  // namespace tessivar::testing
