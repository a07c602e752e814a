#pragma once
// Pane text read as the forum shows it: lines of styled runs, with the
// links and pictures they hold. Pure: no platform headers here.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tessivar::bbcode {

// What a hostile text can cost is bounded: past these, tags show as typed.
inline constexpr std::size_t kMaxDepth = 64;    // tags open at once
inline constexpr std::size_t kMaxLinks = 1000;  // marking each costs the rich edit a walk of the post
inline constexpr std::size_t kMaxTagLength = 2048;  // from '[' to ']'

// [size=N] takes N in points, within these bounds.
inline constexpr int kMinPointSize = 6;
inline constexpr int kMaxPointSize = 48;

inline constexpr std::uint32_t kDefaultColour = 0xFF000000;  // not an RGB: the post's own text colour

enum Effect : std::uint8_t {
    kBold = 1,
    kItalic = 2,
    kUnderline = 4,
    kStrike = 8,
    kMonospace = 16,
};

struct Style {
    std::uint8_t effects = 0;
    std::uint32_t colour = kDefaultColour;  // 0xRRGGBB
    int points = 0;                         // 0: the post's own size
    int link = -1;                          // index into Post::links
    bool operator==(const Style&) const = default;
};

// A stretch of the source text in one style, or a picture's placeholder.
struct Run {
    std::u16string_view text;  // points into the parsed text
    Style style;
    int picture = -1;  // index into Post::pictures; the text is then empty
};

enum class Align : std::uint8_t { Left, Center, Right };
enum class Caption : std::uint8_t { None, Spoiler, Quote };

// Block tags give a whole paragraph its shape.
struct Paragraph {
    std::vector<Run> runs;
    Align align = Align::Left;
    std::uint8_t framed = 0;  // quotes, code and spoilers it lies in
    bool code = false;
    bool bullet = false;  // a list item's first paragraph
    std::uint8_t list_depth = 0;
    // A spoiler's or a named quote's heading, shown before the paragraph
    // on a line of its own.
    Caption caption = Caption::None;
    std::u16string_view caption_text;  // the title given with the tag
};

struct Post {
    std::vector<Paragraph> paragraphs;
    std::vector<std::u16string_view> links;     // addresses, http(s) only
    std::vector<std::u16string_view> pictures;  // addresses as typed
};

// Reads `text`: a break is CR LF, a lone CR or a lone LF, and each line is a
// line of the post; a block tag inside a line breaks it. The post points
// into `text`, which must outlive it. Time and memory linear in the text.
Post parse_post(std::u16string_view text);

// Where the reader shows the text otherwise than it is written.
enum class Remark : std::uint8_t {
    NeverClosed,          // an opening tag without its closing one: as typed
    ClosedOnAnotherLine,  // a picture's or a bare address's closing tag not on its line
    NeverOpened,          // a closing tag without its opening one: as typed
    ItemOutsideList,      // [*] with no [list] open: as typed
    Crossed,              // closed while tags opened inside it were open: they go on after it
    UnknownTag,           // written as a tag, but none we know: as typed
    ValueNotTaken,        // a tag we know with a value it never takes: as typed
    ValueMissing,         // a tag we know without the value it needs: as typed
    TagTooLong,           // longer than kMaxTagLength: as typed
    TooDeep,              // opened with kMaxDepth tags open: as typed, its closing tag too
    NotALinkAddress,      // neither an absolute http(s) address nor a path on the forum's site
    NotAPictureAddress,
    TooManyLinks,         // past kMaxLinks: plain text
    UnknownColour,        // the text keeps its colour
};

struct Noted {
    Remark remark;
    std::size_t begin, end;  // the tag, or the address between a tag and its closing one
    // Crossed: the first tag opened inside and still open, and how many are.
    std::size_t inner_begin = 0, inner_end = 0, crossed = 0;
};

// parse_post, adding to `notes`, in the order of the text, each place
// where the post differs from the text as written. Text written as a tag
// inside a tag that takes its content as it stands ([code], [img], [url])
// is that content, never remarked.
Post parse_post(std::u16string_view text, std::vector<Noted>& notes);

// Only an absolute http:// or https:// address, with a host and without
// blanks or control characters, is ever offered as a link.
bool is_web_address(std::u16string_view address);

}  // namespace tessivar::bbcode
