#include <gtest/gtest.h>

#include "output/description.h"

namespace tessivar {
namespace {

TEST(MemoLines, BreaksAndEmptiness) {
    EXPECT_EQ(memo_lines(""), Lines{});
    EXPECT_EQ(memo_lines("\r\n"), Lines{""});
    EXPECT_EQ(memo_lines("a"), Lines{"a"});
    EXPECT_EQ(memo_lines("a\r\n"), (Lines{"a"}));
    EXPECT_EQ(memo_lines("a\r\n\r\n"), (Lines{"a", ""}));
    EXPECT_EQ(memo_lines("a\r\n\r\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(memo_lines("\r\n\r\n"), (Lines{"", ""}));
}

TEST(MemoLines, LoneLfAndLoneCrAreBreaksToo) {
    EXPECT_EQ(memo_lines("a\nb\rc\r\nd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(memo_lines("a\n\rb"), (Lines{"a", "", "b"}));  // LF CR is two breaks
    EXPECT_EQ(memo_lines("a\r\r\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(memo_lines("\n"), Lines{""});
    EXPECT_EQ(memo_lines("\r"), Lines{""});
    EXPECT_EQ(memo_lines("a\r"), Lines{"a"});
}

TEST(MemoLines, TextIsKeptAsItStands) {
    const std::string mixed = "  Привет, мир\t[b]tags[/b] 😀 𝄞 é ";
    EXPECT_EQ(memo_lines(mixed + "\r\nשלום עולם"), (Lines{mixed, "שלום עולם"}));
}

TEST(MemoLines, LongLinesAreNeverCut) {
    const std::string five_thousand(5000, 'x');
    const std::string million(1'000'000, 'y');
    const auto lines = memo_lines(five_thousand + "\r\n" + million + "\r\nend");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], five_thousand);
    EXPECT_EQ(lines[1], million);
    EXPECT_EQ(lines[2], "end");
}

TEST(PaneText, EveryLineEndsInCrLf) {
    EXPECT_EQ(pane_text({}), "");
    EXPECT_EQ(pane_text({""}), "\r\n");
    EXPECT_EQ(pane_text({"a", "", "b"}), "a\r\n\r\nb\r\n");
}

}  // namespace
}  // namespace tessivar
