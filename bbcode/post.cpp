#include "bbcode/post.h"

#include <algorithm>
#include <array>
#include <optional>

namespace tessivar::bbcode {
namespace {

// The block tags, which give a whole paragraph its shape, are the last, from Centre on.
enum class Tag : std::uint8_t {
    Bold, Italic, Underline, Strike, Colour, Size, Url, Image,
    Centre, Right, Left, Quote, Code, List, Item, Spoiler,
};
constexpr std::size_t kTagCount = 16;

enum class Value : std::uint8_t { None, Required, Optional };

struct TagName {
    std::u16string_view name;
    Tag tag;
    Value value;
};

constexpr TagName kTagNames[] = {
    {u"b", Tag::Bold, Value::None},          {u"i", Tag::Italic, Value::None},
    {u"u", Tag::Underline, Value::None},     {u"s", Tag::Strike, Value::None},
    {u"color", Tag::Colour, Value::Required}, {u"size", Tag::Size, Value::Required},
    {u"url", Tag::Url, Value::Optional},     {u"img", Tag::Image, Value::None},
    {u"c", Tag::Centre, Value::None},        {u"center", Tag::Centre, Value::None},
    {u"r", Tag::Right, Value::None},         {u"right", Tag::Right, Value::None},
    {u"left", Tag::Left, Value::None},       {u"quote", Tag::Quote, Value::Optional},
    {u"code", Tag::Code, Value::None},       {u"list", Tag::List, Value::None},
    {u"*", Tag::Item, Value::None},          {u"spoiler", Tag::Spoiler, Value::Optional},
};

bool is_block(Tag tag) { return tag >= Tag::Centre; }

// Their content is taken as it stands: no tags inside.
bool is_verbatim(Tag tag, bool has_value) {
    return tag == Tag::Code || tag == Tag::Image || (tag == Tag::Url && !has_value);
}

char16_t lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool same_letters(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) {
               return lower(x) == lower(y);
           });
}

bool is_break(char16_t c) { return c == u'\r' || c == u'\n'; }

struct Token {
    std::size_t begin, end;  // the tag's '[' and one past its ']'
    std::size_t line;
    Tag tag;
    bool closing;
    bool has_value;
    std::u16string_view value;
    // Set while pairing: the partner's index, or none when the tag stays as typed.
    std::size_t partner = kNone;
    bool dead = false;  // inside a verbatim tag's content
    bool closed_on_another_line = false;  // a verbatim tag whose closing tag is on a later line
    bool past_limit = false;  // left as typed, with its partner, past the depth limit
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
};

std::u16string_view unquoted(std::u16string_view value) {
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// The tag written between `open` ('[') and `close` (']'), if it is one we know.
std::optional<Token> read_tag(std::u16string_view text, std::size_t open, std::size_t close, std::size_t line) {
    std::u16string_view inside = text.substr(open + 1, close - open - 1);
    const bool closing = !inside.empty() && inside.front() == u'/';
    if (closing) inside.remove_prefix(1);
    const std::size_t equals = inside.find(u'=');
    const std::u16string_view name = inside.substr(0, equals);
    const bool has_value = equals != std::u16string_view::npos;
    for (const TagName& known : kTagNames) {
        if (!same_letters(name, known.name)) continue;
        if (closing ? has_value || known.tag == Tag::Item
                    : (known.value == Value::None && has_value) || (known.value == Value::Required && !has_value)) {
            return std::nullopt;
        }
        const std::u16string_view value = has_value ? unquoted(inside.substr(equals + 1)) : std::u16string_view{};
        return Token{open, close + 1, line, known.tag, closing, has_value, value};
    }
    return std::nullopt;
}

bool is_latin_letter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }

// A word of Latin letters and digits, the first a letter: bracketed words of
// the post's own language are text, not tags.
bool is_tag_name(std::u16string_view name) {
    return name == u"*" || (!name.empty() && is_latin_letter(name.front()) &&
                            std::all_of(name.begin(), name.end(), [](char16_t c) { return is_latin_letter(c) || is_digit(c); }));
}

// Why a bracketed text that read_tag refused is no tag, where it is written as one.
std::optional<Remark> why_not_a_tag(std::u16string_view inside) {
    const bool closing = !inside.empty() && inside.front() == u'/';
    if (closing) inside.remove_prefix(1);
    const std::size_t equals = inside.find(u'=');
    const std::u16string_view name = inside.substr(0, equals);
    if (!is_tag_name(name)) return std::nullopt;
    const auto known = std::find_if(std::begin(kTagNames), std::end(kTagNames),
                                    [&](const TagName& t) { return same_letters(name, t.name); });
    if (known == std::end(kTagNames) || (closing && known->tag == Tag::Item)) return Remark::UnknownTag;
    return equals != std::u16string_view::npos ? Remark::ValueNotTaken : Remark::ValueMissing;
}

// What between `open` and `close` would be a tag but for its length, or is
// written as one but is none: only looked for where `odd` is given.
void note_odd(std::u16string_view text, std::size_t open, std::size_t close, std::vector<Noted>& odd) {
    const std::u16string_view inside = text.substr(open + 1, close - open - 1);
    const bool too_long = close - open + 1 > kMaxTagLength;
    std::optional<Remark> remark = why_not_a_tag(inside);
    if (too_long && read_tag(text, open, close, 0)) remark = Remark::TagTooLong;
    if (remark) odd.push_back({*remark, open, close + 1});
}

// Every tag we know, in order. A tag's inside holds no '[' and no break, so
// each character is looked at a bounded number of times; where `odd` is
// given, the bracketed texts that are no tag are added to it, in order.
std::vector<Token> find_tags(std::u16string_view text, std::vector<Noted>* odd) {
    std::vector<Token> tokens;
    std::size_t line = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (is_break(text[i])) {
            if (!(text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')) ++line;
            continue;
        }
        if (text[i] != u'[') continue;
        // A tag too long is looked at to its end only to be remarked.
        const std::size_t limit = odd ? text.size() : std::min(text.size(), i + kMaxTagLength);
        std::size_t j = i + 1;
        while (j < limit && text[j] != u']' && text[j] != u'[' && !is_break(text[j])) ++j;
        if (j >= limit || text[j] != u']') continue;
        std::optional<Token> token;
        if (j < i + kMaxTagLength) token = read_tag(text, i, j, line);
        if (token) {
            tokens.push_back(*token);
            i = j;
        } else if (odd) {
            note_odd(text, i, j, *odd);
        }
    }
    return tokens;
}

bool starts_verbatim(const Token& token) {
    return !token.closing && token.partner != Token::kNone && is_verbatim(token.tag, token.has_value);
}

// Text written as a tag inside a verbatim tag's content is that content.
// Both come in order, so one walk leaves the rest.
void drop_verbatim(std::vector<Noted>& odd, const std::vector<Token>& tokens) {
    std::size_t t = 0;
    std::erase_if(odd, [&](const Noted& n) {
        while (t < tokens.size() && !(starts_verbatim(tokens[t]) && tokens[tokens[t].partner].begin > n.begin)) ++t;
        return t < tokens.size() && tokens[t].end <= n.begin;
    });
}

// A tag opens only where its closing tag follows: each closing tag takes the
// latest opening one of its kind still open. A verbatim tag takes the first
// closing tag after it, and everything between is its content.
void pair_tags(std::vector<Token>& tokens) {
    std::array<std::vector<std::size_t>, kTagCount> open;
    std::array<std::size_t, kTagCount> next_closing{};  // never moves back
    auto closing_after = [&](std::size_t i) {
        const auto kind = static_cast<std::size_t>(tokens[i].tag);
        std::size_t& j = next_closing[kind];
        j = std::max(j, i + 1);
        while (j < tokens.size() && !(tokens[j].closing && tokens[j].tag == tokens[i].tag)) ++j;
        return j;
    };
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        Token& token = tokens[i];
        if (token.tag == Tag::Item) continue;  // never closed
        const auto kind = static_cast<std::size_t>(token.tag);
        if (token.closing) {
            if (open[kind].empty()) continue;
            token.partner = open[kind].back();
            tokens[token.partner].partner = i;
            open[kind].pop_back();
        } else if (is_verbatim(token.tag, token.has_value)) {
            const std::size_t j = closing_after(i);
            if (j == tokens.size()) continue;
            if (token.tag != Tag::Code && tokens[j].line != token.line) {  // an address or a picture stays on its line
                token.closed_on_another_line = true;
                continue;
            }
            token.partner = j;
            tokens[j].partner = i;
            for (std::size_t k = i + 1; k < j; ++k) tokens[k].dead = true;
            i = j;
        } else {
            open[kind].push_back(i);
        }
    }
}

struct Open {
    std::size_t token;
    Tag tag;
    Style style;  // what this tag sets; the rest is taken from outside
    std::uint8_t sets = 0;
};
constexpr std::uint8_t kSetsColour = 1, kSetsSize = 2, kSetsLink = 4;

int point_size(std::u16string_view value) {
    if (value.empty() || value.size() > 4) return 0;
    int n = 0;
    for (char16_t c : value) {
        if (!is_digit(c)) return 0;
        n = n * 10 + (c - u'0');
    }
    return std::clamp(n, kMinPointSize, kMaxPointSize);
}

bool is_control(char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

// No blank, control character, quote or angle bracket, and no lone half of a surrogate pair.
bool clean_address(std::u16string_view address) {
    for (std::size_t i = 0; i < address.size(); ++i) {
        const char16_t c = address[i];
        if (is_control(c) || c == u' ' || c == 0x3000 || c == 0xA0 || c == u'"' || c == u'<' || c == u'>') {
            return false;
        }
        // A lone half of a surrogate pair reaches the shell as garbage.
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 >= address.size() || address[i + 1] < 0xDC00 || address[i + 1] > 0xDFFF) return false;
            ++i;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

// An address the forum takes relative to its own site: no scheme, no
// backslash, no blanks or control characters; never empty.
bool is_site_path(std::u16string_view address) {
    const std::size_t scheme_end = address.find_first_of(u":/?#");
    return !address.empty() && (scheme_end == std::u16string_view::npos || address[scheme_end] != u':') &&
           address.find(u'\\') == std::u16string_view::npos && clean_address(address);
}

struct NamedColour {
    std::u16string_view name;
    std::uint32_t rgb;
};

// The names the program writes (Grey, Yellow, Orange, red) and the usual
// ones users type.
constexpr NamedColour kColourNames[] = {
    {u"black", 0x000000},  {u"white", 0xFFFFFF},  {u"grey", 0x808080},   {u"gray", 0x808080},
    {u"silver", 0xC0C0C0}, {u"red", 0xFF0000},    {u"maroon", 0x800000}, {u"orange", 0xFFA500},
    {u"yellow", 0xFFFF00}, {u"olive", 0x808000},  {u"lime", 0x00FF00},   {u"green", 0x008000},
    {u"aqua", 0x00FFFF},   {u"cyan", 0x00FFFF},   {u"teal", 0x008080},   {u"blue", 0x0000FF},
    {u"navy", 0x000080},   {u"fuchsia", 0xFF00FF}, {u"magenta", 0xFF00FF}, {u"purple", 0x800080},
    {u"pink", 0xFFC0CB},   {u"brown", 0xA52A2A},  {u"gold", 0xFFD700},   {u"violet", 0xEE82EE},
};

int hex_digit(char16_t c) {
    if (is_digit(c)) return c - u'0';
    const char16_t l = lower(c);
    if (l >= u'a' && l <= u'f') return l - u'a' + 10;
    return -1;
}

// A colour name (case-insensitive) or #RGB / #RRGGBB as 0xRRGGBB, or
// kDefaultColour for anything else.
std::uint32_t colour_value(std::u16string_view name) {
    if (!name.empty() && name.front() == u'#' && (name.size() == 4 || name.size() == 7)) {
        std::uint32_t rgb = 0;
        for (char16_t c : name.substr(1)) {
            const int d = hex_digit(c);
            if (d < 0) return kDefaultColour;
            rgb = rgb << 4 | static_cast<std::uint32_t>(d);
            if (name.size() == 4) rgb = rgb << 4 | static_cast<std::uint32_t>(d);  // #RGB is #RRGGBB
        }
        return rgb;
    }
    for (const NamedColour& c : kColourNames) {
        if (same_letters(name, c.name)) return c.rgb;
    }
    return kDefaultColour;
}

class Reader {
public:
    // Where `notes` is given, what differs from the text as written is noted in it.
    Reader(std::u16string_view text, std::vector<Noted>* notes)
        : text_(text), tokens_(find_tags(text, notes ? &odd_ : nullptr)), notes_(notes) {
        pair_tags(tokens_);
        drop_verbatim(odd_, tokens_);
    }

    Post read() {
        std::size_t next = 0;  // the next token to meet
        std::size_t i = 0;
        while (i < text_.size()) {
            if (is_break(text_[i])) {
                end_line();
                i += text_[i] == u'\r' && i + 1 < text_.size() && text_[i + 1] == u'\n' ? 2 : 1;
                continue;
            }
            while (next < tokens_.size() && (tokens_[next].dead || tokens_[next].begin < i)) ++next;
            const std::size_t stop = next < tokens_.size() ? tokens_[next].begin : text_.size();
            std::size_t end = i;
            while (end < stop && !is_break(text_[end])) ++end;
            if (end > i) {
                add_text(text_.substr(i, end - i));
                i = end;
                continue;
            }
            i = take_tag(next);
            ++next;
        }
        if (!text_.empty() && !is_break(text_.back())) end_line();
        if (notes_) merge_notes();
        return std::move(post_);
    }

private:
    void note(const Noted& noted) {
        if (notes_) met_.push_back(noted);
    }
    void note(Remark remark, std::size_t begin, std::size_t end) { note({remark, begin, end}); }
    void note(Remark remark, const Token& token) { note(remark, token.begin, token.end); }

    // What the reading met and the bracketed texts that are no tag, each in order.
    void merge_notes() {
        std::merge(met_.begin(), met_.end(), odd_.begin(), odd_.end(), std::back_inserter(*notes_),
                   [](const Noted& a, const Noted& b) { return a.begin < b.begin; });
    }

    // Why a tag without its partner shows as typed.
    Remark alone(const Token& token) const {
        if (token.tag == Tag::Item) return Remark::ItemOutsideList;
        if (token.closing) return Remark::NeverOpened;
        return token.closed_on_another_line ? Remark::ClosedOnAnotherLine : Remark::NeverClosed;
    }

    // Returns where the text goes on after the tag.
    std::size_t take_tag(std::size_t index) {
        Token& token = tokens_[index];
        const auto as_typed = [&] {
            if (!token.past_limit) note(alone(token), token);
            add_text(text_.substr(token.begin, token.end - token.begin));
            return token.end;
        };
        if (token.tag == Tag::Item) {
            if (list_depth() == 0) return as_typed();
            block_tag();
            bullet_next_ = true;
            return token.end;
        }
        if (token.partner == Token::kNone) return as_typed();
        if (token.closing) {
            close(token.partner, token);
            return token.end;
        }
        if (open_.size() >= kMaxDepth) {
            note(Remark::TooDeep, token);
            token.past_limit = true;
            tokens_[token.partner].partner = Token::kNone;  // its closing tag shows as typed too
            tokens_[token.partner].past_limit = true;
            return as_typed();
        }
        if (token.tag == Tag::Image || (token.tag == Tag::Url && !token.has_value)) {
            return address_tag(token, tokens_[token.partner]);
        }
        open(index, token);
        return token.end;
    }

    // A picture, or a link that is its own address; with no address, both tags show as typed.
    std::size_t address_tag(const Token& token, const Token& closing) {
        const std::u16string_view address = text_.substr(token.end, closing.begin - token.end);
        if (address.empty()) {
            add_text(text_.substr(token.begin, closing.end - token.begin));
        } else if (token.tag == Tag::Image) {
            if (!is_web_address(address) && !is_site_path(address)) {
                note(Remark::NotAPictureAddress, token.end, closing.begin);
            }
            paragraph().runs.push_back({{}, style_, static_cast<int>(post_.pictures.size())});
            post_.pictures.push_back(address);
        } else {
            Style style = style_;
            style.link = new_link(address, token.end, closing.begin);
            add_run(address, style);
        }
        return closing.end;
    }

    // `begin` and `end` say where the address was written, for the notes.
    int new_link(std::u16string_view address, std::size_t begin, std::size_t end) {
        if (!is_web_address(address)) {
            if (!is_site_path(address)) note(Remark::NotALinkAddress, begin, end);
            return -1;
        }
        if (post_.links.size() >= kMaxLinks) {
            note(Remark::TooManyLinks, begin, end);
            return -1;
        }
        post_.links.push_back(address);
        return static_cast<int>(post_.links.size() - 1);
    }

    void open(std::size_t index, const Token& token) {
        Open entry{index, token.tag, {}, 0};
        switch (token.tag) {
            case Tag::Bold: entry.style.effects = kBold; break;
            case Tag::Italic: entry.style.effects = kItalic; break;
            case Tag::Underline: entry.style.effects = kUnderline; break;
            case Tag::Strike: entry.style.effects = kStrike; break;
            case Tag::Code: entry.style.effects = kMonospace; break;
            case Tag::Colour:
                entry.style.colour = colour_value(token.value);
                if (entry.style.colour != kDefaultColour) entry.sets = kSetsColour;
                else note(Remark::UnknownColour, token);
                break;
            case Tag::Size:
                entry.style.points = point_size(token.value);
                if (entry.style.points) entry.sets = kSetsSize;
                break;
            case Tag::Url:
                entry.style.link = new_link(token.value, token.begin, token.end);
                entry.sets = kSetsLink;  // a refused address is plain text, even inside a link
                break;
            case Tag::Quote:
                if (token.has_value) caption_ = {Caption::Quote, token.value, true};
                break;
            case Tag::Spoiler:
                caption_ = {Caption::Spoiler, token.value, true};
                break;
            default:
                break;
        }
        if (is_block(token.tag)) block_tag();
        open_.push_back(entry);
        restyle();
    }

    // Tags opened inside and still open are closed with it and reopened
    // after it: removing it from the stack does just that.
    void close(std::size_t opening, const Token& closing) {
        const auto it = std::find_if(open_.begin(), open_.end(), [&](const Open& o) { return o.token == opening; });
        if (it == open_.end()) return;
        if (it + 1 != open_.end()) {
            const Token& inner = tokens_[(it + 1)->token];
            note({Remark::Crossed, closing.begin, closing.end, inner.begin, inner.end,
                  static_cast<std::size_t>(open_.end() - (it + 1))});
        }
        const Tag tag = it->tag;
        open_.erase(it);
        if (is_block(tag)) block_tag();
        if (tag == Tag::Quote || tag == Tag::Spoiler) caption_.pending = false;
        restyle();
    }

    void restyle() {
        style_ = {};
        for (const Open& o : open_) {
            style_.effects |= o.style.effects;
            if (o.sets & kSetsColour) style_.colour = o.style.colour;
            if (o.sets & kSetsSize) style_.points = o.style.points;
            if (o.sets & kSetsLink) style_.link = o.style.link;
        }
    }

    std::size_t list_depth() const {
        return static_cast<std::size_t>(std::count_if(open_.begin(), open_.end(), [](const Open& o) {
            return o.tag == Tag::List;
        }));
    }

    // A block starts or ends: text after it in the line goes on a paragraph of its own.
    void block_tag() {
        line_had_block_tag_ = true;
        if (has_paragraph_) paragraph_done_ = true;
    }

    Paragraph& paragraph() {
        if (has_paragraph_ && !paragraph_done_) return post_.paragraphs.back();
        Paragraph p;
        for (const Open& o : open_) {
            switch (o.tag) {
                case Tag::Centre: p.align = Align::Center; break;
                case Tag::Right: p.align = Align::Right; break;
                case Tag::Left: p.align = Align::Left; break;
                case Tag::Code: p.code = true; p.framed++; break;
                case Tag::Quote: case Tag::Spoiler: p.framed++; break;
                case Tag::List: p.list_depth++; break;
                default: break;
            }
        }
        p.bullet = bullet_next_;
        bullet_next_ = false;
        if (caption_.pending) {
            p.caption = caption_.kind;
            p.caption_text = caption_.text;
            caption_.pending = false;
        }
        post_.paragraphs.push_back(std::move(p));
        has_paragraph_ = true;
        paragraph_done_ = false;
        return post_.paragraphs.back();
    }

    void add_text(std::u16string_view text) { add_run(text, style_); }

    void add_run(std::u16string_view text, const Style& style) {
        Paragraph& p = paragraph();
        if (!p.runs.empty() && p.runs.back().picture < 0 && p.runs.back().style == style &&
            p.runs.back().text.data() + p.runs.back().text.size() == text.data()) {
            p.runs.back().text = {p.runs.back().text.data(), p.runs.back().text.size() + text.size()};
            return;
        }
        p.runs.push_back({text, style});
    }

    // A line of nothing but block tags makes no line of its own.
    void end_line() {
        if (!has_paragraph_ && !line_had_block_tag_) paragraph();
        has_paragraph_ = false;
        paragraph_done_ = false;
        line_had_block_tag_ = false;
    }

    struct PendingCaption {
        Caption kind = Caption::None;
        std::u16string_view text;
        bool pending = false;
    };

    std::u16string_view text_;
    std::vector<Noted> odd_;  // bracketed texts that are no tag, found before the tags are read
    std::vector<Token> tokens_;
    std::vector<Noted>* notes_;
    std::vector<Noted> met_;  // what the reading noted, in order
    std::vector<Open> open_;
    Style style_;
    Post post_;
    bool has_paragraph_ = false;    // the line has begun a paragraph
    bool paragraph_done_ = false;   // a block tag ended it
    bool line_had_block_tag_ = false;
    bool bullet_next_ = false;
    PendingCaption caption_;
};

}  // namespace

Post parse_post(std::u16string_view text) { return Reader(text, nullptr).read(); }

Post parse_post(std::u16string_view text, std::vector<Noted>& notes) { return Reader(text, &notes).read(); }

bool is_web_address(std::u16string_view address) {
    std::size_t scheme = 0;
    if (address.size() > 7 && same_letters(address.substr(0, 7), u"http://")) scheme = 7;
    if (address.size() > 8 && same_letters(address.substr(0, 8), u"https://")) scheme = 8;
    return scheme != 0 && address[scheme] != u'/' && clean_address(address);
}

}  // namespace tessivar::bbcode
