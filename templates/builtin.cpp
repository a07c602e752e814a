// The layouts the program comes with, one per tab, and the descriptions the
// tabs' buttons write with them. Each is read once, on its first use.
#include "output/links.h"
#include "templates/program.h"

namespace tessivar {
namespace {

TemplateText map_template() {
    TemplateText t;
    t.short_text = R"layout([color=Grey]Автор карты:[/color] [color=red]{Автор карты}[/color]
[color=Grey]Жанр карты:[/color] [i]{Жанр карты}[/i]
{если Дата}
[color=Grey]Версия: [/color] [i]{Версия} [/i] от [i]{Дата}[/i]
{иначе}
[color=Grey]Версия:[/color] [i]{Версия} [/i]
{конец}
[color=Grey]Язык:[/color] [i]{Язык}[/i]
[color=Grey]Количество игроков:[/color] [i]{Количество игроков}[/i]
[color=Grey]Поддержка компьютера:[/color] [i]{Поддержка компьютера}[/i]
)layout";
    t.full_text = R"layout([c][img]{Ссылка на скриншот или логотип карты}[/img][/c]
[color=Grey]Автор карты:[/color] [color=red]{Автор карты}[/color]
[color=Grey]Жанр карты:[/color] [i]{Жанр карты}[/i]
{если Дата}
[color=Grey]Версия: [/color][i]{Версия} [/i] от [i]{Дата}[/i]
{иначе}
[color=Grey]Версия: [/color][i]{Версия}[/i]
{конец}
[color=Grey]Язык:[/color] [i]{Язык}[/i]
[color=Grey]Количество игроков:[/color] [i]{Количество игроков}[/i]
[color=Grey]Поддержка компьютера:[/color] [i]{Поддержка компьютера}[/i]
[color=Grey]Размер игровой зоны:[/color] [i]{Размер игровой зоны}[/i]
[color=Grey]Ландшафт:[/color] [i]{Ландшафт}[/i]
{если Сайт карты (источник)}
[color=Grey]Сайт карты:[/color] [url={Сайт карты (источник)}]{Сайт карты (источник)}[/url]
{конец}
[color=#FFFFFF]
{Описание игры, правила}
[/color]
[color=Grey][u]Рекомендации к установке карты:[/u][/color] Поместите скачанную карту в папку [i]Maps[/i] в той директории,  в которой у вас установлена сама игра; обновите игру до последней версии (для этого можно скачать патчи с сайта из раздела "[i]Патчи[/i]" или просто зайдя в систему [i]Battle.net[/i],если вы являетесь владельцем официальной русской версии игры от компании "[i]СофтКлаб[/i]".
Решение проблем при установки патча вы можете найти [url=)layout";
    t.full_text += links::patch_help_topic;
    t.full_text += "]здесь[/url].\nПрочие решения вы можете найти [url=";
    t.full_text += links::other_help_topic;
    t.full_text += "]здесь[/url].\n";
    return t;
}

TemplateText sound_template() {
    TemplateText t;
    t.short_text = R"layout([color=#9999FF]Название:[/color] [color=red]{Название}[/color]
[color=#9999FF]Длительность:[/color] {Длительность}
[color=#9999FF]Тип:[/color] {Тип}
[color=#9999FF]Формат:[/color] {Формат}
[color=#9999FF]Битрейд:[/color] {Битрейд}
[color=#9999FF]Частота дискретизации:[/color] {Дискретизация}
)layout";
    t.full_text = t.short_text + R"layout({если Сайт звука (источник)}
[color=#9999FF]Источник:[/color] [url={Сайт звука (источник)}]{Сайт звука (источник)}[/url]
{конец}
[color=#FFFFFF]
{Описание}
[/color]
)layout";
    return t;
}

TemplateText model_template() {
    const std::string author_and_version = R"layout([color=Yellow]Автор модели:[/color] [color=red]{Автор модели}[/color]
{если Дата}
[color=Yellow]Версия: [/color] [i]{Версия} [/i] от [i]{Дата}[/i]
{иначе}
[color=Yellow]Версия:[/color] [i]{Версия} [/i]
{конец}
)layout";
    TemplateText t;
    t.short_text = author_and_version + R"layout([color=Yellow]Импортируемые текстуры: [/color] {если Импортируемые текстуры}Есть{иначе}Нет{конец}
)layout";
    t.full_text = "[c][img]{первая строка Ссылки на скриншоты (с новой строки)}[/img][/c]\n" + author_and_version +
                  R"layout(
{если Импортируемые текстуры}
[color=Yellow]Импортируемые текстуры: [/color]
{Импортируемые текстуры}
{иначе}
[color=Yellow]Импортируемые текстуры: [/color] Нет
{конец}

[color=Yellow]Скриншоты: [/color]
{для остальных строк Ссылки на скриншоты (с новой строки)}
[img]{строка}[/img]
{конец}
[color=#FFFFFF]
{Описание модели}
[/color]
)layout";
    return t;
}

TemplateText texture_template() {
    TemplateText t;
    t.short_text = R"layout([color=Orange]Автор текстуры:[/color] [color=red]{Автор текстуры}[/color]
{если Дата}
[color=Orange]Версия: [/color] [i]{Версия} [/i] от [i]{Дата}[/i]
{иначе}
[color=Orange]Версия:[/color] [i]{Версия} [/i]
{конец}
[color=Orange]Используется как текстуру:[/color] {Использовать как текстуру}
[color=Orange]Используется на модель:[/color] {Использовать на модель}
)layout";
    t.full_text = t.short_text + R"layout([color=#FFFFFF]
{Описание текстуры}
[/color]
)layout";
    return t;
}

struct Builtin {
    TemplateText text;
    templates::Program program;
};

Builtin read_builtin(TemplateText text, Tab tab) {
    templates::Compiled compiled = templates::compile(tab, text);
    return {std::move(text), std::get<templates::Program>(std::move(compiled))};
}

template <TemplateText (*make)(), Tab tab>
const Builtin& read_once() {
    static const Builtin builtin = read_builtin(make(), tab);
    return builtin;
}

const Builtin& builtin(Tab tab) {
    switch (tab) {
        case Tab::Maps: return read_once<map_template, Tab::Maps>();
        case Tab::Sounds: return read_once<sound_template, Tab::Sounds>();
        case Tab::Models: return read_once<model_template, Tab::Models>();
        case Tab::Textures: break;
    }
    return read_once<texture_template, Tab::Textures>();
}

}  // namespace

const TemplateText& builtin_template(Tab tab) { return builtin(tab).text; }

// The built-ins' one loop writes a few bytes per line: no limit.
Description describe(TabValues values) {
    return std::get<Description>(templates::run(builtin(values.tab).program, templates::field_values(values, true)));
}

}  // namespace tessivar
