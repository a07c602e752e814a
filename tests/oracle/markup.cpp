#include "tests/oracle/markup.h"

#include <iterator>

namespace tessivar::oracle {

std::string concat(std::initializer_list<std::string_view> pieces) {
    std::size_t size = 0;
    for (auto piece : pieces) size += piece.size();
    std::string text;
    text.reserve(size);
    for (auto piece : pieces) text += piece;
    return text;
}

std::string label(std::string_view colour, std::string_view caption) {
    return concat({"[color=", colour, "]", caption, "[/color]"});
}

std::string first_field_line(std::string_view label, std::string_view value) {
    return concat({label, " [color=red]", value, "[/color]"});
}

std::string italic_line(std::string_view label, std::string_view value) {
    return concat({label, " [i]", value, "[/i]"});
}

std::string bare_line(std::string_view label, std::string_view value) {
    return concat({label, " ", value});
}

std::string link_line(std::string_view label, std::string_view address) {
    return concat({label, " [url=", address, "]", address, "[/url]"});
}

std::string centred_image_line(std::string_view address) {
    return concat({"[c][img]", address, "[/img][/c]"});
}

std::string image_line(std::string_view address) {
    return concat({"[img]", address, "[/img]"});
}

std::string version_line(std::string_view colour, std::string_view version,
                         bool dated,
                         std::string_view date) {
    if (dated) {
        return concat({label(colour, "Версия: "), " [i]", version, " [/i] от [i]", date, "[/i]"});
    }
    return concat({label(colour, "Версия:"), " [i]", version, " [/i]"});
}

void append_white_block(Lines& out, Lines body) {
    out.reserve(out.size() + body.size() + 2);
    out.emplace_back("[color=#FFFFFF]");
    out.insert(out.end(), std::make_move_iterator(body.begin()), std::make_move_iterator(body.end()));
    out.emplace_back("[/color]");
}

}  // namespace tessivar::oracle
