#include "bbcode/markup_check.h"

#include <algorithm>

namespace tessivar::bbcode {
namespace {

// A tag or an address in a message: long ones cut, never inside a surrogate pair.
constexpr std::size_t kQuotedUnits = 32;

bool high_surrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool low_surrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

std::u16string quoted(std::u16string_view written) {
    if (written.size() <= kQuotedUnits) return std::u16string(written);
    std::size_t kept = kQuotedUnits - 2;
    if (high_surrogate(written[kept - 1])) --kept;
    std::u16string out(written.substr(0, kept));
    out += u'…';
    if (written.back() == u']') out += u']';
    return out;
}

std::u16string number(std::size_t n) {
    const std::string digits = std::to_string(n);
    return {digits.begin(), digits.end()};
}

std::u16string crossed(std::u16string_view text, const Noted& n) {
    const std::u16string closing = quoted(text.substr(n.begin, n.end - n.begin));
    const std::u16string inner = quoted(text.substr(n.inner_begin, n.inner_end - n.inner_begin));
    if (n.crossed == 1) return u"теги пересекаются: " + closing + u" закрывает и " + inner + u", он продолжается после него";
    return u"теги пересекаются: " + closing + u" закрывает и " + inner + u" с ещё " + number(n.crossed - 1) +
           u" открытыми внутри, они продолжаются после него";
}

std::u16string message(std::u16string_view text, const Noted& n) {
    const std::u16string written = quoted(text.substr(n.begin, n.end - n.begin));
    switch (n.remark) {
        case Remark::NeverClosed: return written + u" не закрыт — показан как есть";
        case Remark::ClosedOnAnotherLine: return written + u" не закрыт в своей строке — показан как есть";
        case Remark::NeverOpened: return written + u" без открывающего тега — показан как есть";
        case Remark::ItemOutsideList: return written + u" вне [list] — показан как есть";
        case Remark::Crossed: return crossed(text, n);
        case Remark::UnknownTag: return written + u" — такого тега нет, показан как есть";
        case Remark::ValueNotTaken: return written + u" — у этого тега не бывает значения, показан как есть";
        case Remark::ValueMissing: return written + u" без значения — показан как есть";
        case Remark::TagTooLong: return written + u" длиннее " + characters_in_words(kMaxTagLength) + u" — показан как есть";
        case Remark::TooDeep:
            return u"уже открыто тегов: " + number(kMaxDepth) + u" — " + written + u" показан как есть, и его закрывающий тоже";
        case Remark::NotALinkAddress: return u"«" + written + u"» — не адрес http(s), ссылки не будет";
        case Remark::NotAPictureAddress: return u"«" + written + u"» — не адрес http(s), картинки не будет";
        case Remark::TooManyLinks: return u"уже ссылок: " + number(kMaxLinks) + u" — «" + written + u"» показана простым текстом";
        case Remark::UnknownColour: return written + u" — такого цвета форум не знает, текст своего цвета";
    }
    return written;
}

Problem kind_of(Remark remark) {
    switch (remark) {
        case Remark::NeverClosed: case Remark::ClosedOnAnotherLine: return Problem::NeverClosed;
        case Remark::NeverOpened: case Remark::ItemOutsideList: return Problem::NeverOpened;
        case Remark::Crossed: return Problem::Crossed;
        case Remark::UnknownTag: case Remark::ValueNotTaken: case Remark::ValueMissing: return Problem::UnknownTag;
        case Remark::NotALinkAddress: case Remark::NotAPictureAddress: return Problem::NotAnAddress;
        case Remark::UnknownColour: return Problem::UnknownColour;
        case Remark::TagTooLong: case Remark::TooDeep: case Remark::TooManyLinks: return Problem::PastLimit;
    }
    return Problem::UnknownTag;
}

// Lines and characters of findings in the order of the text, in one walk to the last.
void place(std::u16string_view text, std::vector<Finding>& findings) {
    std::size_t at = 0, line = 1, character = 1;
    for (Finding& f : findings) {
        while (at < f.offset) {
            if (text[at] == u'\r' && at + 1 < f.offset && text[at + 1] == u'\n') {
                at += 2;
                ++line;
                character = 1;
                continue;
            }
            if (!(low_surrogate(text[at]) && at > 0 && high_surrogate(text[at - 1]))) ++character;
            ++at;
        }
        f.line = line;
        f.character = character;
    }
}

}  // namespace

CheckedPane check_pane(std::u16string_view start, std::size_t length) {
    CheckedPane pane{pane_head(start, length), {}, {}};
    std::vector<Noted> notes;
    pane.post = parse_post(pane.head.shown, notes);
    const std::size_t listed = std::min(notes.size(), kMaxFindings);
    pane.findings.reserve(listed + 2);
    for (std::size_t i = 0; i < listed; ++i) {
        const Noted& n = notes[i];
        pane.findings.push_back({kind_of(n.remark), 0, 0, n.begin, n.end - n.begin, message(pane.head.shown, n)});
    }
    if (notes.size() > listed) {
        const Noted& next = notes[listed];
        pane.findings.push_back({Problem::Unlisted, 0, 0, next.begin, next.end - next.begin,
                                 u"дальше ещё замечаний: " + number(notes.size() - listed) + u" — перечислены первые " +
                                     number(listed)});
    }
    const std::size_t shown = pane.head.shown.size();
    if (length > shown) {
        pane.findings.push_back({Problem::PastShown, 0, 0, shown, length - shown,
                                 u"показаны первые " + characters_in_words(shown) + u", ещё " +
                                     characters_in_words(length - shown) + u" не показано"});
    }
    place(pane.head.shown, pane.findings);
    return pane;
}

std::vector<Finding> check_markup(std::u16string_view text) { return check_pane(text, text.size()).findings; }

}  // namespace tessivar::bbcode
