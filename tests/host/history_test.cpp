// The histories' rules, each a table of cases: what is kept, in what order,
// what a typed text offers, and what a stored form reads back as.
#include <gtest/gtest.h>

#include <string>

#include "history/history.h"

namespace tessivar::history {
namespace {

// The system's comparison stands in here for ASCII and Russian letters only.
char16_t fold(char16_t c) {
    if ((c >= u'A' && c <= u'Z') || (c >= u'А' && c <= u'Я')) return static_cast<char16_t>(c + 0x20);
    return c == u'Ё' ? u'ё' : c;
}
bool begins_ignoring_case(std::u16string_view text, std::u16string_view prefix) {
    if (prefix.size() > text.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (fold(text[i]) != fold(prefix[i])) return false;
    }
    return true;
}

std::u16string repeated(char16_t c, std::size_t n) { return std::u16string(n, c); }
const std::u16string kEmoji = u"\U0001F600";  // one character, two UTF-16 units

Values numbered(int count) {
    Values values;
    for (int i = 0; i < count; ++i) values.push_back(u"v" + std::u16string(1, static_cast<char16_t>(u'A' + i)));
    return values;
}

TEST(History, WhatIsWorthKeeping) {
    struct Case {
        std::u16string value, starting_text;
        bool kept;
    } cases[] = {
        {u"Пётр Иванов", u"Неизвестен", true},
        {u"", u"Неизвестен", false},
        {u"", u"", false},
        {u"Неизвестен", u"Неизвестен", false},
        {u"неизвестен", u"Неизвестен", true},  // changed by the user
        {u" ", u"", true},
        {repeated(u'я', 1000), u"", true},
        {repeated(u'я', 1001), u"", false},  // never cut: not kept at all
        {[] { std::u16string s; for (int i = 0; i < 1000; ++i) s += kEmoji; return s; }(), u"", true},
        {u"a\xD800", u"", false},  // a broken pair could not be stored as typed
        {u"\xDC00z", u"", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(worth_keeping(c.value, c.starting_text), c.kept) << c.value.size();
    }
}

TEST(History, OrderMergeAndLimit) {
    struct Case {
        const char* what;
        Values before;
        std::u16string value;
        Values after;
    } cases[] = {
        {"first", {}, u"a", {u"a"}},
        {"newest first", {u"a", u"b"}, u"c", {u"c", u"a", u"b"}},
        {"used again moves to the front", {u"a", u"b", u"c"}, u"c", {u"c", u"a", u"b"}},
        {"case makes another value", {u"Пётр"}, u"пётр", {u"пётр", u"Пётр"}},
        {"the oldest goes past 25", numbered(25), u"new", [] { Values v = numbered(24); v.insert(v.begin(), u"new"); return v; }()},
        {"an old one used again makes no room", numbered(25), u"vY", [] { Values v = numbered(25); v.erase(v.end() - 1); v.insert(v.begin(), u"vY"); return v; }()},
    };
    for (Case& c : cases) {
        remember(c.before, c.value);
        EXPECT_EQ(c.before, c.after) << c.what;
    }
    Values values = {u"a", u"b", u"c"};
    EXPECT_TRUE(forget(values, u"b"));
    EXPECT_EQ(values, (Values{u"a", u"c"}));
    EXPECT_FALSE(forget(values, u"A"));
    EXPECT_EQ(values, (Values{u"a", u"c"}));
}

TEST(History, WhatATypedTextOffers) {
    const Values values = {u"Пётр Иванов", u"пётр-2", u"www.maps.example/x", u"Ёжик", u"Иван", u"1.00", u"Ann"};
    struct Case {
        std::u16string typed;
        Values offered;
    } cases[] = {
        {u"", values},
        {u"п", {u"Пётр Иванов", u"пётр-2"}},
        {u"П", {u"Пётр Иванов", u"пётр-2"}},
        {u"ИВ", {u"Пётр Иванов", u"Иван"}},  // a later word begins
        {u"пётр и", {u"Пётр Иванов"}},
        {u"2", {u"пётр-2"}},
        {u"maps", {u"www.maps.example/x"}},
        {u"aps", {}},  // inside a word
        {u"ё", {u"Ёжик"}},
        {u"е", {}},
        {u"00", {u"1.00"}},
        {u"Ann ", {}},
        {u"Пётр Иванов Сидоров", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(matching(values, c.typed, begins_ignoring_case), c.offered) << c.typed.size();
    }
}

std::vector<std::byte> bytes(std::u16string_view units) {
    std::vector<std::byte> out;
    for (char16_t u : units) {
        out.push_back(static_cast<std::byte>(u & 0xFF));
        out.push_back(static_cast<std::byte>(u >> 8));
    }
    return out;
}

TEST(History, StoredFormReadBack) {
    const Values full = numbered(25);
    const Values longest = {repeated(u'я', 1000), [] { std::u16string s; for (int i = 0; i < 1000; ++i) s += kEmoji; return s; }()};
    for (const Values& values : {Values{}, Values{u"Пётр Иванов"}, Values{u"a", kEmoji, u"b c"}, full, longest}) {
        EXPECT_EQ(read_stored(stored_form(values)), values) << values.size();
    }
    EXPECT_EQ(stored_form({u"ab", u"c"}), bytes(std::u16string(u"ab\0c\0\0", 6)));

    struct Case {
        const char* what;
        std::vector<std::byte> stored;
    } unreadable[] = {
        {"odd length", [] { auto b = bytes(std::u16string(u"a\0\0", 3)); b.push_back(std::byte{0}); return b; }()},
        {"no NUL at all", bytes(u"abc")},
        {"no closing NUL", bytes(std::u16string(u"abc\0", 4))},
        {"an empty value inside", bytes(std::u16string(u"a\0\0b\0\0", 6))},
        {"leading empty value", bytes(std::u16string(u"\0a\0\0", 4))},
        {"lone high surrogate", bytes(std::u16string(u"a\xD83D\0\0", 4))},
        {"lone low surrogate", bytes(std::u16string(u"\xDE00\0\0", 3))},
        {"26 values", stored_form(numbered(26))},
        {"a value too long", stored_form({repeated(u'x', 1001)})},
        {"a value twice", stored_form({u"a", u"b", u"a"})},
        {"larger than any list we write", std::vector<std::byte>(kMaxStoredBytes + 2, std::byte{0x41})},
    };
    for (const Case& c : unreadable) EXPECT_EQ(read_stored(c.stored), Values{}) << c.what;
    for (const auto& empty : {std::vector<std::byte>{}, bytes(std::u16string(1, u'\0'))}) {
        EXPECT_EQ(read_stored(empty), Values{});
    }
}

TEST(History, EachMeaningIsStoredUnderItsOwnName) {
    std::vector<std::u16string_view> names;
    for (Meaning meaning : kMeanings) {
        const std::u16string_view name = stored_name(meaning);
        EXPECT_FALSE(name.empty());
        EXPECT_EQ(std::count(names.begin(), names.end(), name), 0);
        names.push_back(name);
    }
}

}  // namespace
}  // namespace tessivar::history
