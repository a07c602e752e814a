// The markup reader and the rich text writer together on any UTF-16 text:
// runs lie inside the text, links are web addresses and within their limit,
// the rich text is 7-bit with balanced groups, and the link and picture
// spans come in order without overlapping; the check of the same text finds
// its places inside it, in order, and in time linear in its length.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "bbcode/markup_check.h"
#include "bbcode/post.h"
#include "bbcode/rtf.h"
#include "fuzz_checks.h"

namespace {

using namespace tessivar::bbcode;

bool inside(std::u16string_view part, std::u16string_view whole) {
    return part.empty() || (part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size());
}

// Braces balanced; printable ASCII, and above it only the bytes Windows-1251
// gives a character (0x98 it leaves unassigned); no control byte but the
// line ends readers pass over.
bool balanced_windows_1251(const std::string& rtf) {
    long depth = 0;
    for (std::size_t i = 0; i < rtf.size(); ++i) {
        const auto c = static_cast<unsigned char>(rtf[i]);
        if ((c < 0x20 && c != '\n' && c != '\r') || c == 0x7F || c == 0x98) return false;
        if (c == '\\') {
            ++i;  // an escaped character or the first letter of a control word
        } else if (c == '{') {
            ++depth;
        } else if (c == '}' && --depth < 0) {
            return false;
        }
    }
    return depth == 0;
}

bool in_order(const std::vector<Span>& spans) {
    long end = 0;
    for (const Span& s : spans) {
        if (s.start < end || s.length <= 0) return false;
        end = s.start + s.length;
    }
    return true;
}

// Each finding inside the text, in order; its line and character those of its offset.
void check_places(std::u16string_view text, std::size_t length, const std::vector<Finding>& findings) {
    std::size_t last = 0;
    for (const Finding& f : findings) {
        FUZZ_CHECK(f.offset >= last && f.offset + f.length <= length && !f.message.empty());
        FUZZ_CHECK(f.kind == Problem::PastShown ? f.offset + f.length == length : f.length > 0 && f.offset < text.size());
        last = f.offset;
        const std::u16string_view before = text.substr(0, std::min(f.offset, text.size()));
        std::size_t line = 1, from = 0;
        for (std::size_t at = before.find(u"\r\n"); at != std::u16string_view::npos && at + 1 < before.size();
             at = before.find(u"\r\n", at + 2)) {
            ++line;
            from = at + 2;
        }
        FUZZ_CHECK(f.line == line && f.character >= 1 && f.character <= f.offset - from + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string text(size / 2, u'\0');
    std::memcpy(text.data(), data, text.size() * 2);
    const Post post = parse_post(text);

    FUZZ_CHECK(post.links.size() <= kMaxLinks);
    for (const auto& link : post.links) FUZZ_CHECK(is_web_address(link) && inside(link, text));
    for (const auto& picture : post.pictures) FUZZ_CHECK(!picture.empty() && inside(picture, text));
    for (const Paragraph& p : post.paragraphs) {
        FUZZ_CHECK(inside(p.caption_text, text));
        for (const Run& r : p.runs) {
            FUZZ_CHECK(inside(r.text, text));
            FUZZ_CHECK(r.style.link < static_cast<int>(post.links.size()));
            FUZZ_CHECK(r.picture < static_cast<int>(post.pictures.size()));
            FUZZ_CHECK(r.style.points == 0 || (r.style.points >= kMinPointSize && r.style.points <= kMaxPointSize));
            for (char16_t c : r.text) FUZZ_CHECK(c != u'\r' && c != u'\n');
        }
    }

    const Section sections[] = {{u"Краткое описание", &post}, {u"Полное описание", &post}};
    const Rendering rendering = write_rtf(sections, {0xDCDCDC, 0x6CB4FF, 0xFFFFFF, 0x22262B, 0x33383F, 0xBFD0EA, 9});
    FUZZ_CHECK(rendering.rtf.rfind("{\\rtf1", 0) == 0);
    FUZZ_CHECK(balanced_windows_1251(rendering.rtf));
    FUZZ_CHECK(in_order(rendering.links) && in_order(rendering.pictures));
    for (const Span& link : rendering.links) FUZZ_CHECK(is_web_address(link.address));

    // As a pane of twice its length: the rest past the head is one finding.
    const CheckedPane pane = check_pane(text, 2 * text.size());
    check_places(text, 2 * text.size(), pane.findings);
    FUZZ_CHECK(text.empty() || pane.findings.back().kind == Problem::PastShown);
    check_places(text, text.size(), check_markup(text));
    if (!text.empty() && data[0] % 16 == 0) {  // one input in 16: each costs a few checks of 64 Ki units
        FUZZ_CHECK(tessivar::fuzz::linear_in_copies(text, kShownUnits, [](std::u16string_view t) { check_markup(t); }));
    }
    return 0;
}
