// The markup as the preview reads it, one table of cases: the program's own
// lines, the forum tags, nesting repair, text that stays as typed, link
// schemes and limits; then the rich text written from it, and the check of
// what the forum will not show as written.
#include <gtest/gtest.h>

#include <string>

#include "bbcode/markup_check.h"
#include "bbcode/pane_head.h"
#include "bbcode/post.h"
#include "bbcode/rtf.h"
#include "expected.h"
#include "output/description.h"
#include "tests/host/tab_snapshots.h"
#include "tests/utf16.h"
#include "worked_examples.h"

namespace tessivar::bbcode {
namespace {

using testing::utf16;

// BMP only: the cases' texts are.
std::string utf8(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string style_of(const Style& s, const Post& post) {
    std::string out;
    for (auto [flag, letter] : {std::pair{kBold, 'b'}, {kItalic, 'i'}, {kUnderline, 'u'}, {kStrike, 's'},
                                {kMonospace, 'm'}}) {
        if (s.effects & flag) out += letter;
    }
    auto add = [&](const std::string& part) { out += (out.empty() ? "" : " ") + part; };
    if (s.colour != kDefaultColour) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "#%06X", static_cast<unsigned>(s.colour));
        add(hex);
    }
    if (s.points) add(std::to_string(s.points) + "pt");
    if (s.link >= 0) add("@" + utf8(post.links[static_cast<std::size_t>(s.link)]));
    return out;
}

// One line a paragraph: C| or R| for its alignment, > for each block it
// lies in, ` for code, L for each list level, * for a bullet, (caption);
// then each run bare, or {style:text}, or {img address}.
std::string shown(const Post& post) {
    std::string out;
    for (const Paragraph& p : post.paragraphs) {
        if (&p != &post.paragraphs.front()) out += '\n';
        if (p.align != Align::Left) out += p.align == Align::Center ? "C|" : "R|";
        out += std::string(p.framed, '>') + (p.code ? "`" : "") + std::string(p.list_depth, 'L');
        if (p.bullet) out += '*';
        if (p.caption != Caption::None) {
            out += (p.caption == Caption::Spoiler ? "(spoiler " : "(quote ") + utf8(p.caption_text) + ")";
        }
        for (const Run& r : p.runs) {
            const std::string style = style_of(r.style, post);
            if (r.picture >= 0) {
                out += "{img " + utf8(post.pictures[static_cast<std::size_t>(r.picture)]) + "}";
            } else {
                out += style.empty() ? utf8(r.text) : "{" + style + ":" + utf8(r.text) + "}";
            }
        }
    }
    return out;
}

std::string shown(std::string_view markup) {
    const std::u16string text = utf16(markup);
    return shown(parse_post(text));
}

struct Case {
    const char* markup;
    const char* shows;
};

const Case kCases[] = {
    // What the generators write.
    {"[color=Grey]Язык:[/color] [i]Русский[/i]", "{#808080:Язык:} {i:Русский}"},
    {"[color=Grey]Автор карты:[/color] [color=red]Иван[/color]", "{#808080:Автор карты:} {#FF0000:Иван}"},
    {"[color=#9999FF]Автор:[/color] [u]x[/u]", "{#9999FF:Автор:} {u:x}"},
    {"[c][img]images/td-logo.jpg[/img][/c]", "C|{img images/td-logo.jpg}"},
    {"[img]http://a.example/1.png[/img] [img]b.png[/img]", "{img http://a.example/1.png} {img b.png}"},
    {"[color=Grey]Ссылка:[/color] [url=https://a.example/m]https://a.example/m[/url]",
     "{#808080:Ссылка:} {@https://a.example/m:https://a.example/m}"},
    {"[color=#FFFFFF]\nПравила\n\n[/color]", "\n{#FFFFFF:Правила}\n\n"},
    // Forum tags, any case.
    {"[b]b[/b][S]s[/s][u]u[/U]", "{b:b}{s:s}{u:u}"},
    {"[size=14]x[/size][size=200]y[/size][size=1]z[/size][size=big]w[/size]", "{14pt:x}{48pt:y}{6pt:z}w"},
    {"[center]a[/center]\n[right]b[/right]\n[left]c[/left]\n[r]d[/r]", "C|a\nR|b\nc\nR|d"},
    {"[url]https://a.example/x?y=1&z[/url]", "{@https://a.example/x?y=1&z:https://a.example/x?y=1&z}"},
    {"[url=\"http://a.example\"]a[/url]", "{@http://a.example:a}"},
    {"[quote]a\nb[/quote]", ">a\n>b"},
    {"[quote=Иван]a[/quote]", ">(quote Иван)a"},
    {"[spoiler]a[/spoiler] [spoiler=Тайна]b[/spoiler]", ">(spoiler )a\n \n>(spoiler Тайна)b"},
    {"[code][b]x[/b] [url=http://a.example]y[/code]", ">`{m:[b]x[/b] [url=http://a.example]y}"},
    {"[code]a\n  b[/code]c", ">`{m:a}\n>`{m:  b}\nc"},
    {"[list]\n[*]one\n[*]two [*]three\n[/list]", "L*one\nL*two \nL*three"},
    {"a [*] b", "a [*] b"},
    {"text [center]mid[/center] after", "text \nC|mid\n after"},
    // Nesting repaired: closed and reopened.
    {"[b][i]x[/b]y[/i]", "{bi:x}{i:y}"},
    {"[color=red][b]x[/color]y[/b]", "{b #FF0000:x}{b:y}"},
    {"[b]a\nb[/b]", "{b:a}\n{b:b}"},
    {"[color=red][color=blue]x[/color]y[/color]", "{#0000FF:x}{#FF0000:y}"},
    // Stays as typed.
    {"[b]x", "[b]x"},
    {"x[/b]", "x[/b]"},
    {"[b]1[b]2[/b]", "[b]1{b:2}"},
    {"[foo]x[/foo] [b=1]y[/b]", "[foo]x[/foo] [b=1]y[/b]"},
    {"a [ b ] c [] [/] [[b]]x[/b]]", "a [ b ] c [] [/] [{b:]x}]"},
    {"[url=http://a.example]no end", "[url=http://a.example]no end"},
    {"[url=", "[url="},
    {"[img]a.png\n[/img]", "[img]a.png\n[/img]"},
    {"[img][/img]", "[img][/img]"},
    {"[color=bogus]x[/color] [color=#12]y[/color] [color=#GGGGGG]z[/color]", "x y z"},
    {"[color=red][color=bogus]x[/color][/color]", "{#FF0000:x}"},
    {"[color=#abc]x[/color]", "{#AABBCC:x}"},
    // Only absolute http(s) addresses become links.
    {"[url=HTTPS://A.example/]a[/url]", "{@HTTPS://A.example/:a}"},
    {"[url=javascript:alert(1)]a[/url]", "a"},
    {"[url]file:///c:/windows/system32/calc.exe[/url]", "file:///c:/windows/system32/calc.exe"},
    {"[url=data:text/html,x]a[/url] [url=calc.exe]b[/url] [url=C:\\x.exe]c[/url]", "a b c"},
    {"[url=http:///x]a[/url] [url=http://]b[/url] [url=//a.example]c[/url] [url=ftp://a.example]d[/url]",
     "a b c d"},
    {"[url=http://a.example/x y]a[/url] [url=http://a.example/\"x]b[/url]", "a b"},
    {"[url=http://a.example][url=javascript:x]in[/url]out[/url]", "in{@http://a.example:out}"},
    // Breaks: CR LF, lone CR and lone LF; no line after a final break.
    {"a\r\nb\rc\nd\r\n", "a\nb\nc\nd"},
    {"", ""},
    {"\n", ""},
    {"[quote]\na\n[/quote]\nb", ">a\nb"},
};

TEST(Markup, ReadsAsTheForumShowsIt) {
    for (const Case& c : kCases) EXPECT_EQ(shown(c.markup), c.shows) << c.markup;
}

TEST(Markup, TheCreditLineIsRightAlignedGreyWithTwoLinks) {
    const std::u16string text = utf16(credit_line());
    const Post post = parse_post(text);
    EXPECT_EQ(shown(post),
              "R|{#808080:Описание сформировано }{#808080 @https://varnhold.example/programs/quillmark:"
              "генератором Quillmark ver 1.3}{#808080: от }{#808080 @https://rts-content.example/users/Varnhold:"
              "Varnhold}");
}

TEST(Markup, ControlCharactersAndLoneSurrogatesStayInTheTextButNeverInALink) {
    constexpr char16_t odd[] = u"a\0b\xD800";
    const std::u16string_view with_nul(odd, 4);
    const Post post = parse_post(with_nul);
    ASSERT_EQ(post.paragraphs.size(), 1u);
    EXPECT_EQ(post.paragraphs[0].runs[0].text, with_nul);
    EXPECT_TRUE(parse_post(u"[url=http://a.example/\x7F]x[/url][url]http://a.example/\xDC00[/url]").links.empty());
    EXPECT_TRUE(is_web_address(u"https://a.example/\xD83D\xDE00"));
    EXPECT_FALSE(is_web_address(u"https://a.example/\xD83D"));
}

TEST(Markup, LimitsShowTheRestAsTyped) {
    std::string deep;
    for (int i = 0; i < 100; ++i) deep += "[b]";
    deep += "x";
    for (int i = 0; i < 100; ++i) deep += "[/b]";
    const std::string over = std::string(100 - kMaxDepth, 'x');
    std::string typed_open, typed_close;
    for (std::size_t i = kMaxDepth; i < 100; ++i) typed_open += "[b]", typed_close += "[/b]";
    EXPECT_EQ(shown(deep), "{b:" + typed_open + "x" + typed_close + "}");

    std::string many;
    for (std::size_t i = 0; i <= kMaxLinks; ++i) many += "[url=http://a.example]a[/url]";
    const std::u16string text = utf16(many);
    const Post post = parse_post(text);
    EXPECT_EQ(post.links.size(), kMaxLinks);
    EXPECT_EQ(post.paragraphs[0].runs.back().style.link, -1);

    const std::string long_tag = "[color=#" + std::string(kMaxTagLength, 'F') + "]x[/color]";
    EXPECT_EQ(shown(long_tag), long_tag);
}

// Sizes that would take minutes were any step quadratic; sanitizers on.
TEST(Markup, HostileTextsTakeTimeLinearInTheirLength) {
    const std::u16string open_tags = [] {
        std::u16string s;
        for (int i = 0; i < 100'000; ++i) s += u"[quote]";
        for (int i = 0; i < 100'000; ++i) s += u"[/quote]";
        return s;
    }();
    EXPECT_EQ(parse_post(open_tags).paragraphs.size(), 1u);
    const std::u16string million_tags = [] {
        std::u16string s;
        for (int i = 0; i < 200'000; ++i) s += u"[i]a[/i]\n";
        return s;
    }();
    EXPECT_EQ(parse_post(million_tags).paragraphs.size(), 200'000u);
    const std::u16string url_without_end(1 << 20, u'[');
    EXPECT_EQ(parse_post(u"[url=" + url_without_end).paragraphs.size(), 1u);
    std::u16string unclosed;
    for (int i = 0; i < 200'000; ++i) unclosed += u"[code][img][url]";
    EXPECT_EQ(parse_post(unclosed).paragraphs.size(), 1u);
}

const Theme kTheme = {0xE0E0E0, 0x66AAFF, 0xFFFFFF, 0x202020, 0x303030, 0xC0D0E0, 9};

Rendering rendered(std::u16string_view heading, std::u16string_view markup) {
    const Post post = parse_post(markup);
    const Section section{heading, &post};
    return write_rtf({&section, 1}, kTheme);
}

// The post's Cyrillic and punctuation one byte each in Windows-1251, which
// the header and both fonts name; the rest as \uN.
TEST(RichText, Windows1251WhereItHoldsTheCharacterElseUnicodeEscapes) {
    const struct {
        std::u16string_view text;
        std::string_view written;
    } cases[] = {
        {u"А", "\xC0"},       {u"Я", "\xDF"},   {u"а", "\xE0"},         {u"я", "\xFF"},
        {u"Ёё", "\xA8\xB8"}, {u"Ђ", "\x80"},   {u"\u2122", "\x99"},   {u"ї", "\xBF"},
        {u"«—»", "\xAB\x97\xBB"}, {u"№\u00A0…", "\xB9\xA0\x85"},
        {u"\u0100", "\\u256?"},   {u"\u0450", "\\u1104?"},  {u"\u00FF", "\\u255?"},  // none in 1251
        {u"{\\}\t", "\\{\\\\\\}\\tab "},
        {u"\xD83D\xDE00", "\\u-10179?\\u-8704?"},  // a pair stays whole
        {u"\xD800 \x01", "\\u-3? \\u-3?"},        // a lone half and a control: U+FFFD
    };
    for (const auto& c : cases) {
        const std::string rtf = rendered(u"H", c.text).rtf;
        const std::string group = "{\\plain\\f0\\fs18\\cf1 " + std::string(c.written) + "}";
        EXPECT_NE(rtf.find(group), std::string::npos) << c.written << " in " << rtf;
    }
    const std::string rtf = rendered(u"Й", u"x").rtf;
    EXPECT_TRUE(rtf.starts_with("{\\rtf1\\ansi\\ansicpg1251")) << rtf;
    EXPECT_NE(rtf.find("\\f0\\fswiss\\fcharset204 "), std::string::npos);
    EXPECT_NE(rtf.find("\\f1\\fmodern\\fcharset204 "), std::string::npos);
    EXPECT_NE(rtf.find(" \xC9}"), std::string::npos);  // the heading
    EXPECT_EQ(rtf.back(), '}');
}

TEST(RichText, ColoursStylesAndAlignment) {
    const std::string rtf = rendered(u"H", u"[r][color=#9999FF][b]x[/b][/color][/r]\n[c][s]y[/s][/c]").rtf;
    EXPECT_NE(rtf.find("\\red153\\green153\\blue255;"), std::string::npos);
    EXPECT_NE(rtf.find("\\pard\\qr {\\plain\\f0\\fs18\\cf7\\b x}"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\par\n\\pard\\qc {\\plain\\f0\\fs18\\cf1\\strike y}"), std::string::npos) << rtf;
    // Every group starts from \plain: nothing carries over from the control.
    std::size_t groups = 0, plain = 0;
    for (std::size_t at = rtf.find("{\\f"); at != std::string::npos; at = rtf.find("{\\f", at + 1)) ++groups;
    for (std::size_t at = rtf.find("{\\plain"); at != std::string::npos; at = rtf.find("{\\plain", at + 1)) ++plain;
    EXPECT_EQ(groups, 3u);  // the font table and its two fonts
    EXPECT_EQ(plain, 3u);   // the heading, x and y
}

// Pieces between neighbouring cuts, each behind the header, give the whole
// stream; a long run is cut inside, never within a surrogate pair, and a
// pane's head ends with its note.
TEST(RichText, CutIntoPiecesThatMakeTheWhole) {
    std::u16string markup;
    for (int i = 0; i < 2000; ++i) markup += u"[b]строка[/b] " + std::u16string(i % 7, u'x') + u"\n";
    markup += u"[i]" + std::u16string(3 * kLongestGroup - 1, u'y') + u"\xD83D\xDE00" + std::u16string(kLongestGroup + 8, u'z') + u"[/i]";
    const Post post = parse_post(markup);
    const Section section{u"H", &post, u"ещё"};
    const Rendering r = write_rtf({&section, 1}, kTheme);
    ASSERT_GT(r.cuts.size(), 12u);
    EXPECT_EQ(r.cuts.front(), r.body_start);
    EXPECT_EQ(r.cuts.back(), r.rtf.size() - 1);
    std::string body;
    for (std::size_t i = 0; i + 1 < r.cuts.size(); ++i) {
        const std::string piece = r.rtf.substr(r.cuts[i], r.cuts[i + 1] - r.cuts[i]);
        EXPECT_TRUE(piece.starts_with("\\par\n") || piece.starts_with("{\\plain") || i == 0) << piece.substr(0, 20);
        EXPECT_LT(r.cuts[i + 1] - r.cuts[i], kPieceBytes + 6 * kLongestGroup + 64);
        body += piece;
    }
    EXPECT_EQ(r.rtf.substr(0, r.body_start) + body + "}", r.rtf);
    EXPECT_NE(r.rtf.find("\\u-10179?\\u-8704?"), std::string::npos);  // the pair whole in one group
    EXPECT_NE(r.rtf.find("\\par z"), std::string::npos);  // a line past 1024 goes on in a paragraph of its own
    EXPECT_TRUE(r.rtf.ends_with("{\\plain\\f0\\fs18\\cf1\\i\\highlight5 \xE5\xF9\xB8}}")) << r.rtf.substr(r.rtf.size() - 80);
}

// At least 64 KiB of a pane, read no further, and how many characters follow.
TEST(RichText, APaneShownUpToItsHeadWithWhatFollowsCounted) {
    const struct {
        std::u16string_view start;
        std::size_t length;
        std::u16string_view shown, left_out;
    } heads[] = {
        {u"abc", 3, u"abc", u""},
        {u"abcd", 4, u"abc", u"Дальше не показано: ещё 1 знак"},
        {u"abcd", 1'000'003, u"abc", u"Дальше не показано: ещё 1\u00A0000\u00A0000 знаков"},
        {u"ab\xD83D\xDE00", 4, u"ab\xD83D\xDE00", u""},  // a pair never cut
        {u"ab\xD83D\xDE00", 6, u"ab\xD83D\xDE00", u"Дальше не показано: ещё 2 знака"},
        {u"ab", 2, u"ab", u""},
    };
    for (const auto& [start, length, shown, left_out] : heads) {
        const PaneHead head = pane_head(start, length, 3);
        EXPECT_EQ(head.shown, shown) << length;
        EXPECT_EQ(head.left_out, left_out) << length;
    }
    const std::u16string two_mib(kShownUnits + 1, u'a');
    EXPECT_EQ(pane_head(two_mib, 2 << 20).shown.size(), kShownUnits);
    const struct {
        std::uint64_t count;
        std::u16string_view words;
    } counts[] = {{0, u"0 знаков"},     {1, u"1 знак"},       {2, u"2 знака"},          {4, u"4 знака"},
                  {5, u"5 знаков"},     {11, u"11 знаков"},   {12, u"12 знаков"},       {21, u"21 знак"},
                  {114, u"114 знаков"}, {1'022, u"1\u00A0022 знака"}, {123'456'789, u"123\u00A0456\u00A0789 знаков"}};
    for (const auto& [count, words] : counts) EXPECT_EQ(characters_in_words(count), words) << count;
}

// One finding as "kind line:character @offset+length".
std::string place_of(const Finding& f) {
    static const char* const kKinds[] = {"unclosed", "unopened", "crossed", "unknown",
                                         "address",  "colour",   "limit",   "past", "unlisted"};
    return std::string(kKinds[static_cast<int>(f.kind)]) + " " + std::to_string(f.line) + ":" +
           std::to_string(f.character) + " @" + std::to_string(f.offset) + "+" + std::to_string(f.length);
}

std::string places(std::u16string_view text) {
    std::string out;
    for (const Finding& f : check_markup(text)) out += (out.empty() ? "" : ", ") + place_of(f);
    return out;
}

std::string places(std::string_view markup) { return places(utf16(markup)); }

const Case kChecked[] = {
    {"[b]x", "unclosed 1:1 @0+3"},
    {"x[/b]", "unopened 1:2 @1+4"},
    {"a [*] b", "unopened 1:3 @2+3"},
    {"[b]1[b]2[/b]", "unclosed 1:1 @0+3"},
    {"[b][i]x[/b]y[/i]", "crossed 1:8 @7+4"},
    {"[b][i][u]x[/b][/u][/i]", "crossed 1:11 @10+4"},
    {"[foo]x[/foo] [H1]", "unknown 1:1 @0+5, unknown 1:7 @6+6, unknown 1:14 @13+4"},
    {"[b=1]y[/b] [color]z[/color] [/*]", "unknown 1:1 @0+5, unopened 1:7 @6+4, unknown 1:12 @11+7, "
                                          "unopened 1:20 @19+8, unknown 1:29 @28+4"},
    // Brackets that are no tag's: words of the post's language, numbers, blanks.
    {"[Обновлено] [1] [2x] a [ b ] c [] [/] [=x] [b ]", ""},
    // A verbatim tag's content is what it is.
    {"[code][foo][b]x[/code] [url]http://a.example/[x][/url]", ""},
    {"[img]a.png\r\n[/img]", "unclosed 1:1 @0+5, unopened 2:1 @12+6"},
    {"[url]http://a.example/\r\n[/url]", "unclosed 1:1 @0+5, unopened 2:1 @24+6"},
    {"[url=javascript:alert(1)]a[/url] [url]file:///c:/x[/url]", "address 1:1 @0+25, address 1:39 @38+12"},
    {"[img]C:\\x.png[/img] [img]http:///x.png[/img] [url=]a[/url]",
     "address 1:6 @5+8, address 1:26 @25+13, address 1:46 @45+6"},
    // Addresses on the forum's own site, and nothing to show, are as written.
    {"[img]images/td-logo.jpg[/img] [url=maps/td-page.html]x[/url] [img][/img] [url][/url]", ""},
    {"[color=bogus]x[/color] [color=#12]y[/color] [color=Orange]z[/color]", "colour 1:1 @0+13, colour 1:24 @23+11"},
    // Lines end at CR LF only, as the pane shows them; a surrogate pair is one character.
    {"ab\r\n\xF0\x9F\x98\x80" "c[b]", "unclosed 2:3 @7+3"},
    {"a\nb\rc[/i]", "unopened 1:6 @5+4"},
    {"\r\n\r\n  [/quote]", "unopened 3:3 @6+8"},
};

TEST(MarkupCheck, EachKindAtItsPlace) {
    for (const Case& c : kChecked) EXPECT_EQ(places(c.markup), c.shows) << c.markup;
}

TEST(MarkupCheck, SaysWhatIsWrongAndHowItIsShown) {
    const struct {
        const char* markup;
        const char16_t* message;
    } cases[] = {
        {"[b]x", u"[b] не закрыт — показан как есть"},
        {"[img]a.png\r\n", u"[img] не закрыт — показан как есть"},
        {"x[/b]", u"[/b] без открывающего тега — показан как есть"},
        {"[b][i]x[/b]y[/i]", u"теги пересекаются: [/b] закрывает и [i], он продолжается после него"},
        {"[b][i][u]x[/b][/u][/i]", u"теги пересекаются: [/b] закрывает и [i] с ещё 1 открытыми внутри, они продолжаются после него"},
        {"[foo]", u"[foo] — такого тега нет, показан как есть"},
        {"[url=ftp://a.example/a-very-long-address-indeed]a[/url]",
         u"«[url=ftp://a.example/a-very-lo…]» — не адрес http(s), ссылки не будет"},
        {"[color=bogus]x[/color]", u"[color=bogus] — такого цвета форум не знает, текст своего цвета"},
    };
    for (const auto& c : cases) {
        const std::vector<Finding> found = check_markup(utf16(c.markup));
        ASSERT_FALSE(found.empty()) << c.markup;
        EXPECT_EQ(utf8(found[0].message), utf8(c.message)) << c.markup;
    }
}

TEST(MarkupCheck, LimitsPassedAreFound) {
    std::string deep;
    for (std::size_t i = 0; i <= kMaxDepth; ++i) deep += "[b]";
    deep += "x";
    for (std::size_t i = 0; i <= kMaxDepth; ++i) deep += "[/b]";
    const std::size_t at = 3 * kMaxDepth;
    EXPECT_EQ(places(deep), "limit 1:" + std::to_string(at + 1) + " @" + std::to_string(at) + "+3");

    std::string many;
    for (std::size_t i = 0; i <= kMaxLinks; ++i) many += "[url=http://a.example]a[/url]";
    const std::size_t last = many.size() - 29;
    EXPECT_EQ(places(many), "limit 1:" + std::to_string(last + 1) + " @" + std::to_string(last) + "+22");

    const std::string long_tag = "[color=#" + std::string(kMaxTagLength, 'F') + "]x[/color]";
    EXPECT_EQ(places(long_tag), "limit 1:1 @0+" + std::to_string(kMaxTagLength + 9) + ", unopened 1:" +
                                    std::to_string(kMaxTagLength + 11) + " @" + std::to_string(kMaxTagLength + 10) + "+8");
    const std::string longest = "[color=#" + std::string(kMaxTagLength - 9, 'F') + "]x[/color]";
    EXPECT_EQ(places(longest), "colour 1:1 @0+" + std::to_string(kMaxTagLength));
}

// What follows the head is one finding, at the head's end; the rest never read.
TEST(MarkupCheck, APanePastWhatIsShownSaysHowMuchFollows) {
    const std::u16string start = u"[b]x\r\n" + std::u16string(kShownUnits, u'a');
    const CheckedPane pane = check_pane(start, 1'000'000);
    ASSERT_EQ(pane.findings.size(), 2u);
    EXPECT_EQ(place_of(pane.findings[1]),
              "past 2:" + std::to_string(kShownUnits - 6 + 1) + " @" + std::to_string(kShownUnits) + "+" +
                  std::to_string(1'000'000 - kShownUnits));
    EXPECT_EQ(utf8(pane.findings[1].message), utf8(u"показаны первые 65\u00A0536 знаков, ещё 934\u00A0464 знака не показано"));
    EXPECT_EQ(pane.head.shown.size(), kShownUnits);
    EXPECT_EQ(check_pane(start.substr(0, 100), 100).findings.size(), 1u);
}

// The program's own descriptions have nothing to remark: the worked examples,
// every tab as it starts, and with the fields left empty.
TEST(MarkupCheck, TheProgramsOwnDescriptionsHaveNoFindings) {
    MapTab map = examples::map();
    MapTab starting;
    starting.Edit2 = "Неизвестен";
    starting.Edit1 = "1.00";
    const Description descriptions[] = {
        describe_map(map),   describe_sound(examples::sound()), describe_model(examples::model()),
        describe_texture(examples::texture()), describe_map(starting),
        describe_sound({}),  describe_model({}),                describe_texture({}),
    };
    for (const Description& d : descriptions) {
        for (const Lines* lines : {&d.short_lines, &d.full_lines}) {
            const std::string pane = pane_text(*lines);
            EXPECT_EQ(places(pane), "") << pane;
        }
    }
    // One field holding [b] without [/b]: one finding, at its place.
    map.Edit2 = "Ив[b]ан";
    const std::u16string pane = utf16(pane_text(describe_map(map).full_lines));
    const std::size_t at = pane.find(u"[b]ан"), line_start = pane.rfind(u"\r\n", at) + 2;
    std::size_t line = 1;
    for (std::size_t i = pane.find(u"\r\n"); i < at; i = pane.find(u"\r\n", i + 2)) ++line;
    EXPECT_EQ(places(pane), "unclosed " + std::to_string(line) + ":" + std::to_string(at - line_start + 1) + " @" +
                                std::to_string(at) + "+3");
}

// Sizes that would take minutes were any step quadratic; sanitizers on. The
// reader notes any length; a pane is checked up to its head.
TEST(MarkupCheck, HostileTextsAreCheckedInTimeLinearInTheirLength) {
    std::u16string unclosed;
    for (int i = 0; i < 100'000; ++i) unclosed += u"[b][foo][color=x]";
    std::vector<Noted> notes;
    parse_post(unclosed, notes);
    EXPECT_EQ(notes.size(), 300'000u);
    std::u16string crossed;
    for (int i = 0; i < 60; ++i) crossed += u"[i]";
    for (int i = 0; i < 50'000; ++i) crossed += u"[b][u][/b][/u]";
    notes.clear();
    parse_post(crossed, notes);
    EXPECT_EQ(notes.size(), 60u + 50'000u);  // each [/b] crosses [u], and each [i] never closes
    notes.clear();
    parse_post(u"[url=" + std::u16string(1 << 20, u'x') + u"][" + std::u16string(1 << 20, u'y') + u"]", notes);
    EXPECT_EQ(notes.size(), 2u);  // too long, and a word no tag is named
    const std::vector<Finding> listed = check_markup(unclosed.substr(0, kShownUnits - kShownUnits % 17));
    ASSERT_EQ(listed.size(), kMaxFindings + 1);
    // The first not listed: [b] and [foo] of the triple kMaxFindings falls in.
    static_assert(kMaxFindings % 3 == 1);
    const std::size_t next = 17 * (kMaxFindings / 3) + 3;
    EXPECT_EQ(place_of(listed.back()), "unlisted 1:" + std::to_string(next + 1) + " @" + std::to_string(next) + "+5");
    EXPECT_EQ(utf8(listed.back().message), utf8(u"дальше ещё замечаний: " +
                                                utf16(std::to_string(3 * (kShownUnits / 17) - kMaxFindings)) +
                                                u" — перечислены первые 1000"));
}

}  // namespace
}  // namespace tessivar::bbcode
