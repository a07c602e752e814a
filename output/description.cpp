#include "output/description.h"

#include <algorithm>

#include "output/links.h"

namespace tessivar {

namespace {

// The next CR and the next LF, each searched for (by memchr) only once it is
// passed: a text with one kind of break is not searched again for the other.
class BreakFinder {
public:
    explicit BreakFinder(std::string_view text)
        : text_(text), cr_(text.find('\r')), lf_(text.find('\n')) {}

    // The first break at or after `from`, or npos.
    std::size_t next(std::size_t from) {
        if (cr_ < from) cr_ = text_.find('\r', from);
        if (lf_ < from) lf_ = text_.find('\n', from);
        return std::min(cr_, lf_);
    }

private:
    std::string_view text_;
    std::size_t cr_, lf_;
};

}  // namespace

Lines memo_lines(std::string_view text) {
    Lines lines;
    BreakFinder breaks(text);
    std::size_t start = 0;
    for (std::size_t at = breaks.next(0); at != text.npos; at = breaks.next(start)) {
        lines.emplace_back(text.substr(start, at - start));
        start = at + (text.substr(at, 2) == "\r\n" ? 2 : 1);
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

std::string pane_text(const Lines& lines) {
    std::size_t size = 0;
    for (const auto& line : lines) size += line.size() + 2;
    std::string text;
    text.reserve(size);
    for (const auto& line : lines) text.append(line).append("\r\n");
    return text;
}

std::string credit_line() {
    std::string line = "[r][color=Grey]Описание сформировано [url=";
    line += links::program_page;
    line += "]генератором Quillmark ver 1.3[/url] от [url=";
    line += links::maker_profile;
    line += "]Varnhold[/url][/color][/r]";
    return line;
}

}  // namespace tessivar
