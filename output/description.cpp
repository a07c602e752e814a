#include "output/description.h"

#include "output/links.h"
#include "output/markup.h"

namespace tessivar {

Lines memo_lines(std::string_view text) {
    Lines lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') continue;
        lines.emplace_back(text.substr(start, i - start));
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

std::string pane_text(const Lines& lines) {
    std::size_t size = 0;
    for (const auto& line : lines) size += line.size() + 2;
    std::string text;
    text.reserve(size);
    for (const auto& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::string credit_line() {
    return concat({"[r][color=Grey]Описание сформировано [url=", links::program_page,
                   "]генератором Quillmark ver 1.3[/url] от [url=", links::maker_profile,
                   "]Varnhold[/url][/color][/r]"});
}

}  // namespace tessivar
