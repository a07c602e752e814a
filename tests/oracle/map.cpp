#include "tests/oracle/oracle.h"

#include <utility>

#include "output/links.h"
#include "tests/oracle/markup.h"

namespace tessivar::oracle {
namespace {

constexpr std::string_view colour = "Grey";

std::string grey(std::string_view caption) { return label(colour, caption); }

// The full description spells its version line differently from the short one:
// no blank after the label, and no blank before "[/i]" when undated.
std::string full_version_line(const MapTab& tab) {
    const std::string head = concat({grey("Версия: "), "[i]", tab.Edit1});
    if (!tab.CheckBox1) return head + "[/i]";
    return concat({head, " [/i] от [i]", tab.DateTimePicker1, "[/i]"});
}

// Author, genre, version, language, players, computer: the lines both panes open with.
Lines field_lines(const MapTab& tab, std::string version) {
    return {
        first_field_line(grey("Автор карты:"), tab.Edit2),
        italic_line(grey("Жанр карты:"), tab.ComboBox1),
        std::move(version),
        italic_line(grey("Язык:"), tab.ComboBox2),
        italic_line(grey("Количество игроков:"), tab.ComboBox3),
        italic_line(grey("Поддержка компьютера:"), tab.ComboBox4),
    };
}

void append_installation_notes(Lines& out) {
    out.emplace_back(
        "[color=Grey][u]Рекомендации к установке карты:[/u][/color] Поместите скачанную карту в "
        "папку [i]Maps[/i] в той директории,  в которой у вас установлена сама игра; обновите "
        "игру до последней версии (для этого можно скачать патчи с сайта из раздела "
        "\"[i]Патчи[/i]\" или просто зайдя в систему [i]Battle.net[/i],если вы являетесь "
        "владельцем официальной русской версии игры от компании \"[i]СофтКлаб[/i]\".");
    out.push_back(concat({"Решение проблем при установки патча вы можете найти [url=",
                          links::patch_help_topic, "]здесь[/url]."}));
    out.push_back(concat({"Прочие решения вы можете найти [url=", links::other_help_topic,
                          "]здесь[/url]."}));
}

}  // namespace

Description describe_map(MapTab tab) {
    Description d;
    d.short_lines =
        field_lines(tab, version_line(colour, tab.Edit1, tab.CheckBox1, tab.DateTimePicker1));

    Lines& full = d.full_lines;
    full.reserve(18 + tab.Memo1.size());
    full.push_back(credit_line());
    full.push_back(centred_image_line(tab.LabeledEdit2));
    for (auto& line : field_lines(tab, full_version_line(tab))) full.push_back(std::move(line));
    full.push_back(italic_line(grey("Размер игровой зоны:"), tab.ComboBox5));
    full.push_back(italic_line(grey("Ландшафт:"), tab.ComboBox6));
    if (has_text(tab.Edit7)) full.push_back(link_line(grey("Сайт карты:"), tab.Edit7));
    append_white_block(full, std::move(tab.Memo1));
    append_installation_notes(full);
    return d;
}

}  // namespace tessivar::oracle
