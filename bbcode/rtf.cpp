#include "bbcode/rtf.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <unordered_map>

namespace tessivar::bbcode {
namespace {

constexpr int kIndentTwips = 360;  // a block or list level
constexpr char16_t kReplacement = 0xFFFD;
constexpr std::u16string_view kBullet = u"\u2022 ";
// Wine's rich edit wraps a paragraph in time growing with the square of its
// length, and again with every piece streamed into it: a longer line goes
// on in a paragraph of its own.
constexpr std::size_t kLongestLine = 1024;

// Windows-1251's upper half from 0x80 to 0xBF; 0xC0 to 0xFF are U+0410 to
// U+044F in order. 0x98 is unassigned (0: no character above 0x7F is 0).
constexpr char16_t kCp1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0000, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

// The byte of `c` in Windows-1251, or 0 where it has none.
unsigned char cp1251_byte(char16_t c) {
    if (c >= 0x0410 && c <= 0x044F) return static_cast<unsigned char>(0xC0 + (c - 0x0410));
    const auto* found = std::find(std::begin(kCp1251High), std::end(kCp1251High), c);
    return found == std::end(kCp1251High) ? 0 : static_cast<unsigned char>(0x80 + (found - kCp1251High));
}

class Writer {
public:
    Writer(const Theme& theme, const PictureLimit& limit) : theme_(theme), limit_(limit) {
        // Index 0 is the control's own colour; ours follow.
        for (std::uint32_t rgb :
             {theme.text, theme.link, theme.heading, theme.heading_back, theme.block_back, theme.link_back}) {
            colour(rgb);
        }
        body_.reserve(1 << 16);
    }

    void section(const Section& s, bool first) {
        if (!first) next_paragraph(Align::Left, 0);  // an empty line between sections
        next_paragraph(Align::Left, 0);
        const Style heading{.effects = kBold, .points = theme_.points + 2};
        run(s.heading, heading, theme_.heading, true, theme_.heading_back);
        for (const Paragraph& p : s.post->paragraphs) paragraph(p, *s.post);
        if (s.left_out.empty()) return;
        next_paragraph(Align::Left, 0);
        const Style note{.effects = kItalic};
        run(s.left_out, note, theme_.text, true, theme_.block_back);
    }

    Rendering finish() {
        Rendering out;
        out.rtf = "{\\rtf1\\ansi\\ansicpg1251\\deff0\\uc1{\\fonttbl{\\f0\\fswiss\\fcharset204 ";
        out.rtf += kPostFace;
        out.rtf += ";}{\\f1\\fmodern\\fcharset204 Courier New;}}{\\colortbl;";
        for (std::uint32_t rgb : colours_) {
            out.rtf += "\\red" + std::to_string(rgb >> 16 & 0xFF) + "\\green" + std::to_string(rgb >> 8 & 0xFF) +
                       "\\blue" + std::to_string(rgb & 0xFF) + ";";
        }
        out.rtf += "}\n";
        out.body_start = out.rtf.size();
        out.rtf.reserve(out.rtf.size() + body_.size() + 2);
        out.rtf += body_;
        out.cuts.reserve(cuts_.size() + 2);
        out.cuts.push_back(out.body_start);
        for (std::size_t cut : cuts_) out.cuts.push_back(out.body_start + cut);
        out.cuts.push_back(out.rtf.size());
        out.rtf += "}";
        out.links = std::move(links_);
        out.pictures = std::move(pictures_);
        return out;
    }

private:
    void paragraph(const Paragraph& p, const Post& post) {
        const int indent = (p.framed + p.list_depth) * kIndentTwips;
        const bool shaded = p.framed > 0;
        if (p.caption != Caption::None) {
            next_paragraph(Align::Left, indent);
            const Style bold{.effects = kBold};
            if (p.caption == Caption::Spoiler) {
                run(kSpoilerCaption, bold, theme_.text, true, theme_.block_back);
                if (!p.caption_text.empty()) run(u": ", bold, theme_.text, true, theme_.block_back);
            }
            run(p.caption_text, bold, theme_.text, true, theme_.block_back);
            if (p.caption == Caption::Quote) run(kQuoteCaptionSuffix, bold, theme_.text, true, theme_.block_back);
        }
        next_paragraph(p.align, indent);
        if (p.bullet) run(kBullet, {}, theme_.text, shaded, theme_.block_back);
        for (const Run& r : p.runs) {
            if (r.picture >= 0) {
                picture(r, post.pictures[static_cast<std::size_t>(r.picture)]);
                continue;
            }
            const long start = position_;
            const bool link = r.style.link >= 0;
            Style style = r.style;
            if (link) style.effects |= kUnderline;
            const std::uint32_t rgb = link ? theme_.link
                                    : r.style.colour == kDefaultColour ? theme_.text
                                                                       : r.style.colour;
            run(r.text, style, rgb, shaded || link, link ? theme_.link_back : theme_.block_back);
            if (link) links_.push_back({start, position_ - start, post.links[static_cast<std::size_t>(r.style.link)]});
        }
    }

    void picture(const Run& r, std::u16string_view address) {
        const long start = position_;
        Style style = r.style;
        style.effects &= static_cast<std::uint8_t>(~(kUnderline | kStrike));
        run(kPicturePrefix, style, theme_.text, true, theme_.block_back);
        run(address, style, theme_.text, true, theme_.block_back);
        if (++picture_count_ > limit_.count) return run(limit_.note, style, theme_.text, true, theme_.block_back);
        pictures_.push_back({start, position_ - start, address});
    }

    // Ends the paragraph before, if any: the last one needs no mark after it.
    void next_paragraph(Align align, int indent) {
        if (started_) {
            may_cut();
            body_ += "\\par\n";
            ++position_;
        }
        started_ = true;
        line_length_ = 0;
        body_ += "\\pard";
        if (align == Align::Center) body_ += "\\qc";
        if (align == Align::Right) body_ += "\\qr";
        if (indent) {
            body_ += "\\li";
            append_number(indent);
        }
        body_ += ' ';
    }

    void run(std::u16string_view text, const Style& style, std::uint32_t rgb, bool shaded, std::uint32_t back) {
        while (!text.empty()) {
            std::size_t length = std::min(text.size(), kLongestGroup);
            if (length < text.size() && text[length - 1] >= 0xD800 && text[length - 1] <= 0xDBFF) --length;
            may_cut();
            group(text.substr(0, length), style, rgb, shaded, back);
            text.remove_prefix(length);
        }
    }

    // Every attribute stated after \plain: nothing is taken from the
    // control's defaults or from the run before.
    void group(std::u16string_view text, const Style& style, std::uint32_t rgb, bool shaded, std::uint32_t back) {
        body_ += (style.effects & kMonospace) ? "{\\plain\\f1\\fs" : "{\\plain\\f0\\fs";
        append_number(2 * (style.points ? style.points : theme_.points));
        body_ += "\\cf";
        append_number(colour(rgb));
        if (style.effects & kBold) body_ += "\\b";
        if (style.effects & kItalic) body_ += "\\i";
        if (style.effects & kUnderline) body_ += "\\ul";
        if (style.effects & kStrike) body_ += "\\strike";
        if (shaded) {
            body_ += "\\highlight";
            append_number(colour(back));
        }
        body_ += ' ';
        append_text(text);
        body_ += '}';
    }

    // { } \ escaped, printable ASCII as it is, what Windows-1251 holds as its
    // byte (a \uN costs Wine's reader a keyword, seven bytes a letter), the
    // rest as \uN with N a signed 16-bit number. What the control cannot hold
    // (controls, a lone half of a surrogate pair) becomes U+FFFD, still one
    // character.
    void append_text(std::u16string_view text) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (++line_length_ > kLongestLine) {
                body_ += "\\par ";
                ++position_;
                line_length_ = 1;
            }
            char16_t c = text[i];
            if (c == u'\\' || c == u'{' || c == u'}') {
                body_ += '\\';
                body_ += static_cast<char>(c);
            } else if (c >= 0x20 && c < 0x7F) {
                body_ += static_cast<char>(c);
            } else if (c == u'\t') {
                body_ += "\\tab ";
            } else {
                const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                                  text[i + 1] <= 0xDFFF;
                if (pair) {
                    append_unicode(c);
                    c = text[++i];
                } else if (c < 0x20 || c == 0x7F || (c >= 0xD800 && c <= 0xDFFF)) {
                    c = kReplacement;
                }
                if (const unsigned char byte = cp1251_byte(c)) {
                    body_ += static_cast<char>(byte);
                } else {
                    append_unicode(c);
                }
            }
        }
        position_ += static_cast<long>(text.size());
    }

    void append_unicode(char16_t c) {
        body_ += "\\u";
        append_number(static_cast<std::int16_t>(c));
        body_ += '?';
    }

    void may_cut() {
        if (body_.size() - last_cut_ < kPieceBytes) return;
        last_cut_ = body_.size();
        cuts_.push_back(last_cut_);
    }

    void append_number(int n) {
        char digits[12];
        const auto result = std::to_chars(digits, digits + sizeof digits, n);
        body_.append(digits, result.ptr);
    }

    int colour(std::uint32_t rgb) {
        const auto [it, added] = colour_index_.try_emplace(rgb, static_cast<int>(colours_.size() + 1));
        if (added) colours_.push_back(rgb);
        return it->second;
    }

    const Theme& theme_;
    const PictureLimit& limit_;
    std::size_t picture_count_ = 0;
    std::string body_;
    std::size_t last_cut_ = 0;
    std::size_t line_length_ = 0;
    std::vector<std::size_t> cuts_;
    long position_ = 0;
    bool started_ = false;
    std::vector<std::uint32_t> colours_;
    std::unordered_map<std::uint32_t, int> colour_index_;
    std::vector<Span> links_;
    std::vector<Span> pictures_;
};

}  // namespace

Rendering write_rtf(std::span<const Section> sections, const Theme& theme, const PictureLimit& limit) {
    Writer writer(theme, limit);
    for (std::size_t i = 0; i < sections.size(); ++i) writer.section(sections[i], i == 0);
    return writer.finish();
}

}  // namespace tessivar::bbcode
