#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <variant>

#include "templates/template.h"
#include "tests/oracle/oracle.h"
#include "worked_examples.h"

namespace tessivar {
namespace {

enum class Snapshot { Map, UndatedMap, Model, Textures };

MapTab map(bool dated) {
    MapTab tab;
    tab.Edit2 = "Иван";
    tab.Edit1 = "1.00";
    tab.CheckBox1 = dated;
    tab.DateTimePicker1 = "02.11.2009";
    tab.Memo1 = {"a", "", "c"};
    return tab;
}

ModelTab model() {
    ModelTab tab;
    tab.Memo5 = {"p1", "p2", "p3"};
    tab.Memo3 = {""};
    return tab;
}

struct Error {
    std::size_t line, column;
    std::string message;  // after "Строка L, знак C: "
};

struct Case {
    const char* what;
    Snapshot snapshot;
    std::string layout;
    std::variant<Lines, Error> expected;
};

const std::string shots = "Ссылки на скриншоты (с новой строки)";
const std::string deep = [] {
    std::string text;
    for (int i = 0; i < 32; ++i) text += "{если Версия}";
    return text;
}();
const std::string closed = [] {
    std::string text;
    for (int i = 0; i < 32; ++i) text += "{конец}";
    return text;
}();

using enum Snapshot;
const Case cases[] = {
    // Insertion; names ignore case and blanks around them.
    {"fields", Map, "{Автор карты} {Версия}", Lines{"Иван 1.00"}},
    {"names ignore case", Map, "{АВТОР КАРТЫ}{  версия }", Lines{"Иван1.00"}},
    {"the date", Map, "от {Дата}", Lines{"от 02.11.2009"}},
    {"the date while its toggle is off", UndatedMap, "от {Дата}.", Lines{"от ."}},
    {"a box within a line", Map, "<{Описание игры, правила}>", Lines{"<a", "", "c>"}},
    {"a box alone on its line", Map, "x\n  {Описание игры, правила} \ny", Lines{"x", "a", "", "c", "y"}},
    {"an empty box alone leaves no line", Model, "{Импортируемые текстуры}\nz", Lines{"z"}},
    // Conditions.
    {"kept", Map, "{если Автор карты}да{иначе}нет{конец}", Lines{"да"}},
    {"else", Map, "{если Жанр карты}да{иначе}нет{конец}!", Lines{"нет!"}},
    {"over lines", Map, "{если Жанр карты}\nжанр\n{иначе}\nбез жанра\n{конец}\nend", Lines{"без жанра", "end"}},
    {"on the date's toggle", UndatedMap, "{если Дата}от {Дата}{иначе}без даты{конец}", Lines{"без даты"}},
    {"on a box", Model, "{если Импортируемые текстуры}есть{иначе}нет{конец}", Lines{"нет"}},
    {"an empty line counts", Model, "{если Описание модели}есть{конец}", Lines{"есть"}},
    {"nested", Map, "{если Автор карты}{если Жанр карты}A{иначе}B{конец}{конец}", Lines{"B"}},
    {"nested 32 deep", Map, deep + "x" + closed, Lines{"x"}},
    {"skipping a line's break", Map, "x{если Жанр карты}\ny{конец}z", Lines{"xz"}},
    {"text before a false condition over lines", Map, "x {если Жанр карты}\ny\n{конец}{Жанр карты}\nz", Lines{"x z"}},
    {"a condition on its line, false: no line", Map, "a\n{если Жанр карты}[b]Жанр:[/b] {Жанр карты}{конец}\nb",
     Lines{"a", "b"}},
    {"a condition on its line, true: the line", Map, "a\n{если Автор карты}[b]Автор:[/b] {Автор карты}{конец}\nb",
     Lines{"a", "[b]Автор:[/b] Иван", "b"}},
    {"text beside a false condition: the line", Map, "a\nЖанр: {если Жанр карты}{Жанр карты}{конец}\nb",
     Lines{"a", "Жанр: ", "b"}},
    {"a box of one empty line writes nothing", Model, "a\n{если Описание модели}{Описание модели}{Версия}{конец}\nb",
     Lines{"a", "b"}},
    {"an empty field without tags: the line", UndatedMap, "a\n{Жанр карты}{Дата}\nb", Lines{"a", "", "b"}},
    // Repetition, the first line apart.
    {"each line", Model, "{для каждой строки " + shots + "}\n[img]{строка}[/img]\n{конец}",
     Lines{"[img]p1[/img]", "[img]p2[/img]", "[img]p3[/img]"}},
    {"the first apart", Model,
     "[c]{первая строка " + shots + "}[/c]\n{для остальных строк " + shots + "}\n[img]{строка}[/img]\n{конец}",
     Lines{"[c]p1[/c]", "[img]p2[/img]", "[img]p3[/img]"}},
    {"the first line of an empty box", Model, "[{первая строка Импортируемые текстуры}]", Lines{"[]"}},
    {"within a line", Model, "{для каждой строки " + shots + "}{строка};{конец}", Lines{"p1;p2;p3;"}},
    {"an empty line", Model, "{для каждой строки Описание модели}<{строка}>{конец}", Lines{"<>"}},
    {"none", Model, "{для каждой строки Импортируемые текстуры}\nx\n{конец}", Lines{}},
    {"a line that writes nothing inside", Model,
     "{для каждой строки " + shots + "}\n{если Версия}v{конец}\n[{строка}]\n{конец}",
     Lines{"[p1]", "[p2]", "[p3]"}},
    {"the empty line of a line with tags", Model, "{для каждой строки Описание модели}\n{если Версия}{конец}{строка}\n{конец}z",
     Lines{"z"}},
    {"a one-line loop over no lines", Model, "{для каждой строки Импортируемые текстуры}{строка};{конец}\nz",
     Lines{"z"}},
    {"a condition inside", Model, "{для каждой строки " + shots + "}{если Версия}{строка}{иначе}-{конец}{конец}",
     Lines{"---"}},
    // Braces, lines.
    {"doubled braces", Map, "{{Автор карты}} {{{Автор карты}}}", Lines{"{Автор карты} {Иван}"}},
    {"control tags alone make no line", Map, "  {если Автор карты}  \nA\n\t{конец}\t", Lines{"A"}},
    {"an empty line is a line", Map, "a\n\nb\n", Lines{"a", "", "b"}},
    {"any line break", Map, "a\r\nb\rc\n", Lines{"a", "b", "c"}},
    {"no text", Map, "", Lines{}},
    // Errors, the first one only, where it stands; columns count characters.
    // An unknown name, with the field it is near enough to mean: a typo in
    // every fourth character and one more, against the whole name or its
    // first words; case and ё folded.
    {"a name's first word", Map, "Ж {Автор} {Нет}", Error{1, 3, "нет поля {Автор}; может быть, {Автор карты}?"}},
    {"a typo", Map, "{Верися}", Error{1, 1, "нет поля {Верися}; может быть, {Версия}?"}},
    {"ё and case folded", Map, "{ВЁРС}", Error{1, 1, "нет поля {ВЁРС}; может быть, {Версия}?"}},
    {"in a condition", Map, "{если Автр карты}x{конец}",
     Error{1, 1, "нет поля {Автр карты}; может быть, {Автор карты}?"}},
    {"the nearest of two", Textures, "{Автор текстуры} {Использовать как модель}",
     Error{1, 18, "нет поля {Использовать как модель}; может быть, {Использовать на модель}?"}},
    {"a tie: the first in the tab's order", Textures, "{Использовать}",
     Error{1, 1, "нет поля {Использовать}; может быть, {Использовать как текстуру}?"}},
    {"far: no suggestion", Map, "{Нет}", Error{1, 1, "нет поля {Нет}"}},
    {"two typos in three letters", Map, "{Дмт}", Error{1, 1, "нет поля {Дмт}"}},
    {"one typo too many", Map, "{Вер}", Error{1, 1, "нет поля {Вер}"}},
    {"another tab's name", Map, "{Автор модели}", Error{1, 1, "нет поля {Автор модели}"}},
    // A block left open, and where its {конец} was looked for: the last one,
    // which closed a block inside it, or the text's end.
    {"unclosed if", Map, "a\nb\nВерсия {Версия}{если Дата}",
     Error{3, 16, "нет {конец} для {если Дата} до конца текста (строка 3, знак 27)"}},
    {"unclosed after a closed one", Map, "{если Версия}{конец}{если Дата}",
     Error{1, 21, "нет {конец} для {если Дата} до конца текста (строка 1, знак 32)"}},
    {"unclosed, its end taken inside", Map, "{если Версия}\n {если Дата}x\n{конец}\n",
     Error{1, 1, "нет {конец} для {если Версия}; последний {конец} (строка 3, знак 1) закрыл {если Дата}"}},
    {"unclosed loop", Model, "{для каждой строки " + shots + "}",
     Error{1, 1, "нет {конец} для {для каждой строки " + shots + "} до конца текста (строка 1, знак 57)"}},
    // A stray {конец}, and the opening tag the {конец} before it closed.
    {"stray end", Map, "{если Версия}{конец}\n {конец}",
     Error{2, 2, "лишний {конец}: нечего закрывать; последний открытый {если Версия} (строка 1, знак 1) уже закрыт"}},
    {"stray end, nothing opened", Map, "x {конец}", Error{1, 3, "лишний {конец}: нечего закрывать"}},
    {"stray else", Map, "x{иначе}", Error{1, 2, "{иначе} стоит вне {если …}"}},
    {"else in a loop", Model, "{для каждой строки Описание модели}{иначе}{конец}",
     Error{1, 36, "{иначе} стоит вне {если …}"}},
    {"second else", Map, "{если Версия}{иначе}{иначе}{конец}", Error{1, 21, "второе {иначе} для {если Версия}"}},
    {"too deep", Map, deep + "{если Дата}x" + closed + "{конец}", Error{1, 417, "вложенность глубже 32"}},
    {"unclosed brace", Map, "ab{Версия\n}", Error{1, 3, "нет «}» для «{»; скобку в тексте пишут {{"}},
    {"stray brace", Map, "a}b", Error{1, 2, "лишняя «}»; скобку в тексте пишут }}"}},
    {"empty braces", Map, "{ }", Error{1, 1, "пустые скобки {}; скобку в тексте пишут {{"}},
    {"if without a name", Map, "{если}x{конец}", Error{1, 1, "в {если …} нет имени поля"}},
    {"line outside a loop", Model, "{строка}", Error{1, 1, "{строка} стоит вне {для каждой строки …}"}},
    {"loop in a loop", Model,
     "{для каждой строки Описание модели}{для остальных строк Описание модели}{конец}{конец}",
     Error{1, 36, "{для остальных строк Описание модели} внутри другого {для …}"}},
    {"loop over a one-line field", Model, "{для каждой строки Версия}{конец}",
     Error{1, 1, "у поля {Версия} одна строка, а перебирают строки многострочного поля"}},
};

Rendered render_short(const Case& c) {
    const TemplateText text{c.layout, ""};
    switch (c.snapshot) {
        case Map: return render_template(text, map(true));
        case UndatedMap: return render_template(text, map(false));
        case Model: break;
        case Textures: return render_template(text, TextureTab{});
    }
    return render_template(text, model());
}

TEST(Templates, TheLanguageCaseByCase) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Rendered rendered = render_short(c);
        if (const auto* lines = std::get_if<Lines>(&c.expected)) {
            if (const auto* error = std::get_if<TemplateError>(&rendered)) {
                ADD_FAILURE() << error->message;
            } else {
                EXPECT_EQ(std::get<Description>(rendered).short_lines, *lines);
            }
            continue;
        }
        const Error& e = std::get<Error>(c.expected);
        const std::string message =
            "Строка " + std::to_string(e.line) + ", знак " + std::to_string(e.column) + ": " + e.message;
        const auto* error = std::get_if<TemplateError>(&rendered);
        EXPECT_EQ(error ? error->message : "", message);
        EXPECT_EQ(error ? *error : TemplateError{}, (TemplateError{false, e.line, e.column, message}));
    }
}

TEST(Templates, ErrorsSayWhichText) {
    const auto error = check_template(Tab::Textures, {"{Версия}", "ok\n{Версия\n"});
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->in_full);
    EXPECT_EQ(error->line, 2u);
    EXPECT_FALSE(check_template(Tab::Textures, {"{Версия}", "{Описание текстуры}"}));
    // Each text's {конец} closes only its own blocks, and the other end is looked for in it.
    const auto stray = check_template(Tab::Textures, {"{если Версия}x{конец}", "\n{конец}"});
    ASSERT_TRUE(stray);
    EXPECT_EQ(stray->message, "Строка 2, знак 1: лишний {конец}: нечего закрывать");
    const auto unclosed = check_template(Tab::Textures, {"{конец}{если Версия}", "{если Версия}"});
    ASSERT_TRUE(unclosed);
    EXPECT_FALSE(unclosed->in_full);
}

// Every field's name with one letter lost or one wrong finds that field, on every tab.
TEST(Templates, EveryNameMistypedOnceSuggestsItself) {
    for (Tab tab : {Tab::Maps, Tab::Sounds, Tab::Models, Tab::Textures}) {
        for (std::string_view name : template_field_names(tab)) {
            const std::string suggestion = "; может быть, {" + std::string(name) + "}?";
            const std::string lost = std::string(name.substr(0, 2)) + std::string(name.substr(4));  // its first letter is Cyrillic
            const std::string wrong = "Ъ" + std::string(name.substr(2));
            for (const std::string& typed : {lost, wrong}) {
                const auto error = check_template(tab, {"{" + typed + "}", ""});
                ASSERT_TRUE(error) << typed;
                EXPECT_TRUE(error->message.ends_with(suggestion)) << error->message;
            }
        }
    }
}

TEST(Templates, FieldNamesAreTheWindowsLabels) {
    EXPECT_EQ(template_field_names(Tab::Sounds),
              (std::vector<std::string_view>{"Название", "Длительность", "Тип", "Формат", "Битрейд",
                                             "Дискретизация", "Описание", "Сайт звука (источник)"}));
    for (Tab tab : {Tab::Maps, Tab::Sounds, Tab::Models, Tab::Textures}) {
        EXPECT_FALSE(check_template(tab, builtin_template(tab)));
        TemplateText every_name;
        for (std::string_view name : template_field_names(tab)) every_name.full_text += "{" + std::string(name) + "}\n";
        EXPECT_FALSE(check_template(tab, every_name));
    }
}

TEST(Templates, BuiltinsMatchTheOldCodeOnEveryWorkedExample) {
    for (bool dated : {true, false}) {
        auto m = examples::map();
        m.CheckBox1 = dated;
        auto d = examples::model();
        d.CheckBox2 = dated;
        auto t = examples::texture();
        t.CheckBox3 = dated;
        const auto same = [](const Description& a, const Description& b) {
            EXPECT_EQ(a.short_lines, b.short_lines);
            EXPECT_EQ(a.full_lines, b.full_lines);
        };
        same(describe_map(m), oracle::describe_map(m));
        same(describe_model(d), oracle::describe_model(d));
        same(describe_texture(t), oracle::describe_texture(t));
    }
    const auto s = examples::sound();
    EXPECT_EQ(describe_sound(s).full_lines, oracle::describe_sound(s).full_lines);
}

// Sizes a pasted page or a script can reach: each is read and rendered
// without recursion, in time linear in the text.
TEST(Templates, BadInput) {
    const auto repeated = [](std::string_view piece, std::size_t times) {
        std::string text;
        text.reserve(piece.size() * times);
        for (std::size_t i = 0; i < times; ++i) text += piece;
        return text;
    };
    const MapTab tab = map(true);
    const std::string nested = repeated("{если Версия}", 100'000) + repeated("{конец}", 100'000);
    const auto deep_error = check_template(Tab::Maps, {nested, ""});
    ASSERT_TRUE(deep_error);
    EXPECT_EQ(deep_error->column, 32 * 13 + 1u);

    const std::string million_tags = repeated("{Версия}", 1'000'000);
    const auto rendered = render_template({million_tags, ""}, tab);
    ASSERT_TRUE(std::holds_alternative<Description>(rendered));
    EXPECT_EQ(std::get<Description>(rendered).short_lines.front().size(), 4'000'000u);

    // A mebibyte of text with NULs and lone surrogates (as WTF-8) and an unknown name at its end.
    std::string odd = repeated(std::string("a\0\xED\xA0\x80{{", 7), (1 << 20) / 7);
    odd += "{Нет}";
    const auto odd_error = check_template(Tab::Maps, {odd, ""});
    ASSERT_TRUE(odd_error);
    EXPECT_EQ(odd_error->column, (1 << 20) / 7 * 5 + 1u);

    // Many lines in a loop over many lines: the body is decided once.
    ModelTab many;
    many.Memo3.assign(100'000, "");
    const std::string body = repeated("{если Версия}x{конец}{строка}", 10'000);
    const auto looped = render_template({"{для каждой строки Описание модели}" + body + "{конец}", ""}, many);
    ASSERT_TRUE(std::holds_alternative<Description>(looped));
    EXPECT_EQ(std::get<Description>(looped).short_lines, Lines{});  // its line wrote nothing

    // A loop that would write 100 MB is refused where it stands, before it writes.
    many.Memo3.assign(100'000, "x");
    const auto too_long = render_template(
        {"", "a\nb {для каждой строки Описание модели}" + std::string(1000, 'y') + "{строка}{конец}"}, many);
    EXPECT_EQ(std::get<TemplateError>(too_long),
              (TemplateError{true, 2, 3, "Строка 2, знак 3: здесь текст описаний превышает 64 МиБ"}));
}

// What a rendering spends of its budget: each line's bytes and 32 for the line; the credit line is the program's.
std::size_t output_cost(const Description& d) {
    std::size_t cost = 0;
    for (const Lines* pane : {&d.short_lines, &d.full_lines}) {
        for (const std::string& line : *pane) cost += line.size() + 32;
    }
    return cost - d.full_lines.front().size() - 32;
}

// Layouts of a few hundred bytes that would write gigabytes: the budget is
// one for both descriptions, and the error stands at the tag that passes it.
TEST(Templates, OneBudgetForAllARenderingWrites) {
    constexpr std::size_t budget = 64 << 20;
    const auto repeated = [](std::string_view piece, std::size_t times) {
        std::string text;
        for (std::size_t i = 0; i < times; ++i) text += piece;
        return text;
    };
    ModelTab big;
    big.Memo2.assign(128, std::string(1280, 'x'));  // joined in its own loop: 20.5 MiB a loop
    big.Memo3 = {std::string(9 << 20, 'y')};
    big.Memo5 = {std::string((32 << 20) - 64, 'z')};  // alone on its line: 32 MiB less 32
    ModelTab blank;
    blank.Memo3.assign(2000, "");
    const std::string loop = "{для каждой строки Импортируемые текстуры}{Импортируемые текстуры}{конец}\n";
    const std::string reference = "{Описание модели}";  // 17 characters
    const std::string box = "{" + shots + "}";
    const std::string empty_lines = "{для каждой строки Описание модели}\n";

    struct Over {
        bool in_full;
        std::size_t line, column;
    };
    struct Case {
        const char* what;
        const ModelTab& snapshot;
        std::string short_text, full_text;
        std::optional<Over> over;
    };
    const Case cases[] = {
        {"8 loops: the fourth passes", big, repeated(loop, 8), "", Over{false, 4, 1}},
        {"40 loops: the same", big, repeated(loop, 40), "", Over{false, 4, 1}},
        {"8 references on a line: the eighth passes", big, "a " + repeated(reference, 8), "",
         Over{false, 1, 3 + 7 * 17}},
        {"the short description's spending counts in the full", big, repeated(reference, 4), repeated(reference, 4),
         Over{true, 1, 1 + 3 * 17}},
        {"64 bytes under", big, box, box, std::nullopt},
        {"a byte under", big, box, box + "\n" + std::string(31, '.'), std::nullopt},
        {"the budget exactly", big, box, box + "\n" + std::string(32, '.'), std::nullopt},
        {"a byte over: at the line's break", big, box, box + "\n" + std::string(33, '.'), Over{true, 2, 34}},
        {"a byte over: at the last break, which a condition skipped", big, box,
         box + "\n" + std::string(33, '.') + "{если Версия}\n{конец}", Over{true, 3, 8}},
        {"a box over", big, box, box + "\n" + box, Over{true, 2, 1}},
        {"a literal over", big, box, box + "\n" + std::string(65, '.'), Over{true, 2, 1}},
        {"2 million empty lines within it", blank, empty_lines + repeated("\n", 1000) + "{конец}", "", std::nullopt},
        {"every empty line counts", blank, empty_lines + repeated("\n", 1049) + "{конец}", "", Over{false, 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Rendered rendered = render_template({c.short_text, c.full_text}, c.snapshot);
        if (!c.over) {
            ASSERT_TRUE(std::holds_alternative<Description>(rendered)) << std::get<TemplateError>(rendered).message;
            EXPECT_LE(output_cost(std::get<Description>(rendered)), budget);
            continue;
        }
        const std::string message = "Строка " + std::to_string(c.over->line) + ", знак " +
                                    std::to_string(c.over->column) + ": здесь текст описаний превышает 64 МиБ";
        const auto* error = std::get_if<TemplateError>(&rendered);
        EXPECT_EQ(error ? *error : TemplateError{}, (TemplateError{c.over->in_full, c.over->line, c.over->column, message}));
    }
    const Rendered exact = render_template({box, box + "\n" + std::string(32, '.')}, big);
    EXPECT_EQ(output_cost(std::get<Description>(exact)), budget);
}

}  // namespace
}  // namespace tessivar
