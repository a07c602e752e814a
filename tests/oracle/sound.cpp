#include "tests/oracle/oracle.h"

#include <utility>

#include "tests/oracle/markup.h"

namespace tessivar::oracle {
namespace {

std::string lilac(std::string_view caption) { return label("#9999FF", caption); }

// Title, length, kind, format, bitrate, sample rate: the lines both panes open with.
Lines field_lines(const SoundTab& tab) {
    return {
        first_field_line(lilac("Название:"), tab.Edit8),
        bare_line(lilac("Длительность:"), tab.Edit9),
        bare_line(lilac("Тип:"), tab.ComboBox12),
        bare_line(lilac("Формат:"), tab.ComboBox9),
        bare_line(lilac("Битрейд:"), tab.ComboBox10),
        bare_line(lilac("Частота дискретизации:"), tab.ComboBox11),
    };
}

}  // namespace

Description describe_sound(SoundTab tab) {
    Description d;
    d.short_lines = field_lines(tab);

    Lines& full = d.full_lines;
    full.reserve(10 + tab.Memo6.size());
    full.push_back(credit_line());
    full.insert(full.end(), d.short_lines.begin(), d.short_lines.end());
    if (has_text(tab.Edit11)) full.push_back(link_line(lilac("Источник:"), tab.Edit11));
    append_white_block(full, std::move(tab.Memo6));
    return d;
}

}  // namespace tessivar::oracle
