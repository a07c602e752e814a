#pragma once
// A post written out as rich text for the system's rich edit: one stream,
// Cyrillic as one Windows-1251 byte a letter, any other character outside
// printable ASCII as \uN, and a table of where each link and picture
// placeholder lands in the control's text.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "bbcode/post.h"

namespace tessivar::bbcode {

// 0xRRGGBB each.
struct Theme {
    std::uint32_t text;          // the post's own text colour
    std::uint32_t link;
    std::uint32_t heading;
    std::uint32_t heading_back;  // behind the headings
    std::uint32_t block_back;    // behind quotes, code, spoilers and pictures' placeholders
    std::uint32_t link_back;     // behind links: the control may draw them in its own blue
    int points = 9;              // the post's own size
};

// The post's own face, \f0 of every stream; \f1 is Courier New for code.
inline constexpr std::string_view kPostFace = "Tahoma";

struct Section {
    std::u16string_view heading;  // the window's own text, never read as markup
    const Post* post;
    std::u16string_view left_out = {};  // a last line saying what of the pane is not shown
};

// Characters of the control's text: a paragraph's end counts one.
struct Span {
    long start;
    long length;
    std::u16string_view address;
};

struct Rendering {
    std::string rtf;
    // The stream may be given in pieces, each the header (up to body_start)
    // with a stretch between two neighbouring cuts and a closing brace. The
    // cuts lie about kPieceBytes apart: before a paragraph's end or a group.
    std::size_t body_start = 0;
    std::vector<std::size_t> cuts;  // the first body_start, the last rtf.size() - 1
    std::vector<Span> links;     // in order, never overlapping
    std::vector<Span> pictures;  // each placeholder whole: a picture takes its place
};

inline constexpr std::size_t kPieceBytes = 4096;
// A longer run is written as several groups, so that a piece can end inside it.
inline constexpr std::size_t kLongestGroup = 256;

// What a picture's placeholder reads, its address after it.
inline constexpr std::u16string_view kPicturePrefix = u"Картинка: ";
inline constexpr std::u16string_view kSpoilerCaption = u"Спойлер";
inline constexpr std::u16string_view kQuoteCaptionSuffix = u" пишет:";

// Pictures past the first `count` are never loaded: each such placeholder
// carries `note` after its address and is left out of Rendering::pictures.
struct PictureLimit {
    std::size_t count = static_cast<std::size_t>(-1);
    std::u16string_view note;
};

Rendering write_rtf(std::span<const Section> sections, const Theme& theme, const PictureLimit& limit = {});

}  // namespace tessivar::bbcode
