#include "tests/oracle/oracle.h"

#include <utility>

#include "tests/oracle/markup.h"

namespace tessivar::oracle {
namespace {

constexpr std::string_view colour = "Orange";

std::string orange(std::string_view caption) { return label(colour, caption); }

// Author, version, texture path, model: the lines both panes open with.
Lines field_lines(const TextureTab& tab) {
    return {
        first_field_line(orange("Автор текстуры:"), tab.Edit3),
        version_line(colour, tab.Edit6, tab.CheckBox3, tab.DateTimePicker3),
        bare_line(orange("Используется как текстуру:"), tab.ComboBox7),
        bare_line(orange("Используется на модель:"), tab.ComboBox8),
    };
}

}  // namespace

Description describe_texture(TextureTab tab) {
    Description d;
    d.short_lines = field_lines(tab);

    Lines& full = d.full_lines;
    full.reserve(7 + tab.Memo4.size());
    full.push_back(credit_line());
    full.insert(full.end(), d.short_lines.begin(), d.short_lines.end());
    append_white_block(full, std::move(tab.Memo4));
    return d;
}

}  // namespace tessivar::oracle
