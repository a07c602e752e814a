// The templates window on the real controls, with a database file of the
// test's own: opened from the menu, a user's template made from the built-in
// one in the window alone and used by the next press, an error shown and
// nothing written, the built-in template unchangeable, what is kept across a
// restart, edits the file refuses held and retried, and a template shared
// through the system's file dialogs, its file written whole or not at all.
// An error suggests its mend and leads to its place; a layout with one is
// not used, and a press refused for it says so within its panel.
#include "form_fixture.h"

#include <commctrl.h>
#include <dlgs.h>
#include <psapi.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/actions.h"
#include "store/templates.h"
#include "template_window/file_dialogs.h"
#include "template_window/name_prompt.h"
#include "template_window/template_window.h"
#include "templates/template_file.h"
#include "timed_steps.h"

namespace tessivar::testing {
namespace {

constexpr char kModeLine[] = "[color=Grey]Режим игры:[/color] [i]Защита замка[/i]";
constexpr char kNotSaved[] = "Не сохранено: файл базы данных недоступен.";

std::wstring temporary_path(const std::wstring& name) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return folder + (L"tessivar-" + std::to_wstring(GetCurrentProcessId()) + L"-" + name);
}

void remove_files(const std::wstring& path) {
    for (const wchar_t* suffix : {L"", L"-journal", L"-wal", L"-shm"}) DeleteFileW((path + suffix).c_str());
}

// Typed one character at a time, as the keyboard gives them.
void type_keys(HWND box, std::wstring_view text) {
    for (const wchar_t c : text) SendMessageW(box, WM_CHAR, c == L'\n' ? L'\r' : c, 1);
}

// A key as the program's message loop takes it, dialog keys first.
void press_key(HWND control, WORD key) {
    SetFocus(control);
    dispatch_message(MSG{control, WM_KEYDOWN, key, 1, 0, {}});
    pump();
}

// A step that waits, a tick at a time, for the window `find` gives, then acts on it.
Step once_up(std::function<HWND()> find, std::function<void(HWND)> act) {
    return [find, act] {
        if (HWND window = find()) return act(window);
        --detail::g_script->next;
    };
}

Step answer_name(const std::string& name) {
    return once_up([] { return FindWindowW(kNamePromptClass, nullptr); },
                   [name](HWND prompt) {
                       HWND box = FindWindowExW(prompt, nullptr, WC_EDITW, nullptr);
                       write_text(box, name);
                       PostMessageW(box, WM_KEYDOWN, VK_RETURN, 1);
                   });
}

// Whether `dialog` is the layouts window's and stands over its middle: the
// system places its own dialog, and may size it after placing it.
bool over_the_middle_of(HWND owner, HWND dialog) {
    RECT own, over;
    if (GetWindow(dialog, GW_OWNER) != owner || !GetWindowRect(dialog, &own) || !GetWindowRect(owner, &over)) {
        return false;
    }
    return std::abs((own.left + own.right) - (over.left + over.right)) / 2 <= 32 &&
           std::abs((own.top + own.bottom) - (over.top + over.bottom)) / 2 <= 32;
}

// The system's dialog, answered as a user would: the file's name typed, then
// Open or Save. It stands over the window that asked.
Step answer_file_dialog(const wchar_t* title, const std::wstring& path) {
    return once_up([title] { return FindWindowW(L"#32770", title); },
                   [path](HWND dialog) {
                       EXPECT_TRUE(over_the_middle_of(FindWindowW(kTemplateWindowClass, nullptr), dialog));
                       SetDlgItemTextW(dialog, cmb13, path.c_str());
                       SetDlgItemTextW(dialog, edt1, path.c_str());
                       PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                                    reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
                   });
}

Step click_later(HWND button) {
    return [button] { PostMessageW(button, BM_CLICK, 0, 0); };
}

std::wstring list_item(HWND list, int index) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, index, 0)), L'\0');
    SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    return text;
}

class TemplateWindowTest : public FormTest {
protected:
    TemplateWindowTest() : FormTest(main_menu()) {}

    void SetUp() override {
        FormTest::SetUp();
        remove_files(path);
        open();
    }
    void TearDown() override {
        close();
        remove_files(path);
        FormTest::TearDown();
    }

    // The program's start and end, as far as templates go.
    void open() {
        file = std::make_unique<store::Store>(narrow(path));
        file->open_existing();
        templates = std::make_unique<store::TemplateStore>(*file);
        window = std::make_unique<TFTemplates>(*form, templates.get());
        form->set_templates(templates.get(), window.get());
    }
    void close() {
        form->set_templates(nullptr, nullptr);
        window.reset();
        templates.reset();
        file.reset();
    }

    // «Новое» on the template selected, named as the user types it.
    void make_new(const std::string& name) {
        const Outcome outcome = run_steps({click_later(window->NewButton), answer_name(name)});
        ASSERT_TRUE(outcome.all_ran);
    }
    // After the typing has been saved, checked and shown.
    std::string error_line() const { return text_of(window->ErrorLine); }
    int selected() const { return static_cast<int>(SendMessageW(window->TemplateList, LB_GETCURSEL, 0, 0)); }
    // As a click in the list chooses it.
    void select(int index) {
        SendMessageW(window->TemplateList, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(window->handle(), WM_COMMAND, MAKEWPARAM(0, LBN_SELCHANGE), reinterpret_cast<LPARAM>(window->TemplateList));
    }
    void select_named(const std::wstring& name) {
        const auto index = SendMessageW(window->TemplateList, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(name.c_str()));
        ASSERT_GE(index, 0) << narrow(name);
        select(static_cast<int>(index));
    }
    static std::size_t caret(HWND box) {
        DWORD from = 0, to = 0;
        SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
        EXPECT_EQ(from, to);
        return from;
    }
    void type_at_start(HWND box, std::wstring_view text) {
        SetFocus(box);
        SendMessageW(box, EM_SETSEL, 0, 0);
        type_keys(box, text);
    }
    std::string kept_short_text(const std::string& name) const {
        return templates->find(Tab::Maps, name).value_or(TemplateText{"<none>", ""}).short_text;
    }

    const std::wstring path = temporary_path(
        widen(::testing::UnitTest::GetInstance()->current_test_info()->name()) + L".db");
    std::unique_ptr<store::Store> file;
    std::unique_ptr<store::TemplateStore> templates;
    std::unique_ptr<TFTemplates> window;
};

TEST_F(TemplateWindowTest, TheMenuItemOpensItOnTheShownTabWhichFollowsTheMainWindowAndEscCloses) {
    form->select_page(1);
    SetFocus(form->control("Edit8"));
    const Outcome outcome = run_steps({press_menu_key(VK_F10), press(VK_DOWN), press(VK_DOWN), press(VK_DOWN), press(VK_RETURN)});
    ASSERT_TRUE(outcome.all_ran);
    ASSERT_TRUE(window->handle() && IsWindowVisible(window->handle()));
    EXPECT_EQ(GetWindow(window->handle(), GW_OWNER), form->handle());
    EXPECT_EQ(text_of(window->ListLabel), "Оформления вкладки «Звуки»:");
    EXPECT_EQ(list_item(window->TemplateList, 0), L"Стандартное (используется)");
    const auto names = template_field_names(Tab::Sounds);
    ASSERT_EQ(SendMessageW(window->FieldList, LB_GETCOUNT, 0, 0), static_cast<LRESULT>(names.size()));
    EXPECT_EQ(list_item(window->FieldList, 0), widen(names[0]));
    EXPECT_EQ(text_of(window->ShortBox), lines_with_crlf(builtin_template(Tab::Sounds).short_text));
    EXPECT_EQ(error_line(), "Ошибок нет");

    form->select_page(0);
    EXPECT_EQ(text_of(window->ListLabel), "Оформления вкладки «Карты»:");
    EXPECT_EQ(list_item(window->FieldList, 0), widen(template_field_names(Tab::Maps)[0]));
    EXPECT_EQ(text_of(window->FullBox), lines_with_crlf(builtin_template(Tab::Maps).full_text));

    press_key(window->TemplateList, VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(window->handle()));
}

// Dragged to a monitor of 150 %: the system's rectangle, both fonts, every
// box at the density and held to its edges, the field names' width again.
TEST_F(TemplateWindowTest, AtANewDensityItsRectangleFontsBoxesAndFieldNamesFollow) {
    window->show();
    const auto names_width = [&] { return SendMessageW(window->FieldList, LB_GETHORIZONTALEXTENT, 0, 0); };
    const LRESULT names_at_96 = names_width();
    const RECT suggested = {40, 40, 40 + 1160, 40 + 860};
    change_density(window->handle(), 144, suggested);
    EXPECT_TRUE(has_rectangle(window->handle(), suggested));
    EXPECT_EQ(font_height(window->ListLabel), -16);
    EXPECT_EQ(font_height(window->ShortBox), -18) << "the layouts' own fixed-pitch 9 pt";
    const RECT list = bounds_in_parent(window->TemplateList);  // held to the top left
    EXPECT_EQ(list.left, 12);
    EXPECT_EQ(list.top, 36);
    EXPECT_EQ(list.right, 312);
    EXPECT_EQ(list.bottom, 246);
    const SIZE client = client_size(window->handle());
    const RECT full = bounds_in_parent(window->FullBox);  // follows every edge
    EXPECT_EQ(client.cx - full.right, 12);
    EXPECT_EQ(client.cy - full.bottom, 291);
    EXPECT_GT(names_width() * 4, names_at_96 * 5);
}

// From the built-in maps template, in the window alone: a new line shown
// only where the author box has text, and the next press writes it.
// The name prompt's buttons do what Enter and Esc do.
TEST_F(TemplateWindowTest, TheNamePromptsButtonsTakeTheNameOrLeaveIt) {
    const auto press_in_prompt = [](const std::string& name, const wchar_t* button) {
        return once_up([] { return FindWindowW(kNamePromptClass, nullptr); }, [name, button](HWND prompt) {
            write_text(FindWindowExW(prompt, nullptr, WC_EDITW, nullptr), name);
            PostMessageW(FindWindowExW(prompt, nullptr, WC_BUTTONW, button), BM_CLICK, 0, 0);
        });
    };
    window->show();
    const auto count = [&] { return SendMessageW(window->TemplateList, LB_GETCOUNT, 0, 0); };
    const LRESULT before = count();
    ASSERT_TRUE(run_steps({click_later(window->NewButton), press_in_prompt("Не то", L"Отмена")}).all_ran);
    EXPECT_EQ(count(), before);
    ASSERT_TRUE(run_steps({click_later(window->NewButton), press_in_prompt("Кнопкой", L"ОК")}).all_ran);
    ASSERT_EQ(count(), before + 1);
    EXPECT_NE(list_item(window->TemplateList, selected()).find(L"Кнопкой"), std::wstring::npos);
}

TEST_F(TemplateWindowTest, ANewTemplateWithALineAddedIsWrittenByTheNextPress) {
    window->show();
    make_new("Режим игры");
    ASSERT_EQ(list_item(window->TemplateList, 1), L"Режим игры");
    ASSERT_EQ(selected(), 1);
    ASSERT_EQ(text_of(window->FullBox), lines_with_crlf(builtin_template(Tab::Maps).full_text)) << "a copy";

    // After the first line: the condition typed, its field from the list.
    const std::string full = text_of(window->FullBox);
    const auto after_first_line = static_cast<WPARAM>(widen(full.substr(0, full.find("\r\n") + 2)).size());
    SetFocus(window->FullBox);
    SendMessageW(window->FullBox, EM_SETSEL, after_first_line, static_cast<LPARAM>(after_first_line));
    type_keys(window->FullBox, L"{если ");
    SendMessageW(window->FieldList, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"Автор карты"));
    press_key(window->FieldList, VK_RETURN);
    EXPECT_EQ(GetFocus(), window->FullBox);
    EXPECT_NE(text_of(window->FullBox).find("{если Автор карты}[c"), std::string::npos) << "the tag closed";
    type_keys(window->FullBox, L"\n" + widen(kModeLine) + L"\n{конец}\n");
    // The author box holds «Неизвестен»: the line shows once saved, checked and rendered.
    EXPECT_TRUE(pump_until([&] { return text_of(window->ResultBox).find(kModeLine) != std::string::npos; }));
    EXPECT_EQ(error_line(), "Ошибок нет");
    click(window->UseButton);
    EXPECT_EQ(list_item(window->TemplateList, 1), L"Режим игры (используется)");

    type(form->control("Edit2"), "Иван");
    click(form->Button1);
    const Description built_in = std::get<Description>(form->render_tab(Tab::Maps, builtin_template(Tab::Maps)));
    Lines expected = built_in.full_lines;
    expected.insert(expected.begin() + 2, kModeLine);  // after the credit line and the layout's first
    EXPECT_EQ(text_of(form->Disc2), pane(expected));
    EXPECT_EQ(text_of(form->Disc1), pane(built_in.short_lines));

    type(form->control("Edit2"), "");
    click(form->Button1);
    EXPECT_EQ(text_of(form->Disc2).find("Режим игры"), std::string::npos);
}

TEST_F(TemplateWindowTest, AnErrorIsShownAndThePressWritesNothing) {
    ASSERT_EQ(templates->add(Tab::Maps, "С ошибкой", builtin_template(Tab::Maps)), store::TemplateWrite::Done);
    ASSERT_EQ(templates->use(Tab::Maps, "С ошибкой"), store::TemplateWrite::Done);
    window->show();
    ASSERT_EQ(selected(), 1) << "the template in use is shown first";
    click(form->Button1);
    const std::string short_before = text_of(form->Disc1), full_before = text_of(form->Disc2);
    ASSERT_NE(short_before.find("Неизвестен"), std::string::npos);

    SetFocus(window->ShortBox);
    SendMessageW(window->ShortBox, EM_SETSEL, 0, 0);
    type_keys(window->ShortBox, L"{если Дата}");
    EXPECT_TRUE(pump_until([&] { return error_line().starts_with("Краткое описание."); }));
    const std::string error = error_line();
    EXPECT_EQ(error.rfind("Краткое описание. Строка 1, знак 1:", 0), 0u) << error;
    EXPECT_NE(error.find("{конец}"), std::string::npos) << error;
    EXPECT_EQ(text_of(window->ResultBox), "");

    type(form->control("Edit2"), "Иван");
    click(form->Button1);
    EXPECT_EQ(text_of(form->Disc1), short_before);
    EXPECT_EQ(text_of(form->Disc2), full_before);
    EXPECT_EQ(status_panel_text(form->StatusBar1, 1),
              L"Описания не изменены: ошибка в оформлении «С ошибкой» (краткое, строка 1, знак 1).");
}

// An unknown field names the one it is nearest to; Enter or a double click
// on the error line puts the caret at the error's place, in its box, with
// characters outside the BMP counted as one.
TEST_F(TemplateWindowTest, AnUnknownFieldSuggestsTheNearestAndTheErrorLineLeadsToItsPlace) {
    ASSERT_EQ(templates->add(Tab::Maps, "С автором", {"{Версия}", "первая\n😀 {Автор}"}), store::TemplateWrite::Done);
    ASSERT_EQ(templates->add(Tab::Maps, "Открытое", {"а\n{если Дата}", ""}), store::TemplateWrite::Done);
    window->show();
    select_named(L"С автором");
    EXPECT_EQ(error_line(), "Полное описание. Строка 2, знак 3: нет поля {Автор}; может быть, {Автор карты}?");
    press_key(window->ErrorLine, VK_RETURN);
    EXPECT_EQ(GetFocus(), window->FullBox);
    EXPECT_EQ(caret(window->FullBox), std::wstring(L"первая\r\n😀 ").size());

    select_named(L"Открытое");
    EXPECT_EQ(error_line(), "Краткое описание. Строка 2, знак 1: нет {конец} для {если Дата} до конца текста (строка 2, знак 12)");
    SetFocus(window->TemplateList);
    SendMessageW(window->ErrorLine, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(4, 4));
    EXPECT_EQ(GetFocus(), window->ShortBox);
    EXPECT_EQ(caret(window->ShortBox), std::wstring(L"а\r\n").size());

    select(0);  // no error: the line leads nowhere
    press_key(window->ErrorLine, VK_RETURN);
    EXPECT_EQ(GetFocus(), window->ErrorLine);
}

// «Использовать» refuses a layout with an error, as its press would write
// nothing: the error line says so and leads to the error; the one in use stays.
TEST_F(TemplateWindowTest, UseRefusesALayoutWithAnErrorAndSaysWhy) {
    ASSERT_EQ(templates->add(Tab::Maps, "С ошибкой", {"x {Автор}", ""}), store::TemplateWrite::Done);
    window->show();
    select_named(L"С ошибкой");
    click(window->UseButton);
    EXPECT_EQ(error_line(), "Не используется: ошибка в оформлении. Краткое описание. Строка 1, знак 3: нет поля {Автор}; "
                            "может быть, {Автор карты}?");
    EXPECT_EQ(templates->in_use(Tab::Maps), "");
    EXPECT_EQ(list_item(window->TemplateList, 0), L"Стандартное (используется)");
    press_key(window->ErrorLine, VK_RETURN);
    EXPECT_EQ(GetFocus(), window->ShortBox);
    EXPECT_EQ(caret(window->ShortBox), 2u);
}

// The text's width in the status bar's own font, which is the designed one.
LONG width_in_font_of(HWND status_bar, const std::wstring& text) {
    const auto font = reinterpret_cast<HFONT>(SendMessageW(status_bar, WM_GETFONT, 0, 0));
    LOGFONTW face{};
    EXPECT_TRUE(GetObjectW(font, sizeof face, &face));
    EXPECT_STREQ(face.lfFaceName, L"MS Sans Serif");
    HDC dc = GetDC(status_bar);
    const HGDIOBJ before = SelectObject(dc, font);
    SIZE size{};
    EXPECT_TRUE(GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size));
    SelectObject(dc, before);
    ReleaseDC(status_bar, dc);
    return size.cx;
}

// A press refused for its layout's error names the layout, where the error
// stands and that the panes are as they were, in the message panel's width
// at the designed font: a long name is shortened, the rest kept.
TEST_F(TemplateWindowTest, APressRefusedNamesTheLayoutSaysThePanesAreKeptAndFitsThePanel) {
    const std::string long_name = "Оформление для турнирных карт сезона, с длинным именем, которое никак не поместится";
    const std::wstring before = L"Описания не изменены: ошибка в оформлении «", after = L"» (полное, строка 2, знак 1).";
    click(form->Button1);
    const std::string short_before = text_of(form->Disc1), full_before = text_of(form->Disc2);
    RECT panel{};
    ASSERT_TRUE(SendMessageW(form->StatusBar1, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&panel)));
    for (const std::string& name : {std::string("Турнир"), long_name}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(templates->add(Tab::Maps, name, {"{Версия}", "x\n{если Версия}"}), store::TemplateWrite::Done);
        ASSERT_EQ(templates->use(Tab::Maps, name), store::TemplateWrite::Done);
        click(form->Button1);
        const std::wstring status = status_panel_text(form->StatusBar1, 1);
        if (name == long_name) {
            EXPECT_TRUE(status.starts_with(before + L"Оформление для")) << status;
            EXPECT_TRUE(status.ends_with(L"…" + after)) << status;
        } else {
            EXPECT_EQ(status, before + L"Турнир" + after);
        }
        EXPECT_LE(width_in_font_of(form->StatusBar1, status), panel.right - panel.left) << status;
        EXPECT_EQ(text_of(form->Disc1), short_before);
        EXPECT_EQ(text_of(form->Disc2), full_before);
    }
}

// A shared layout of 40 loops, each just under the budget alone: gigabytes
// together. The press answers with the error where the budget is passed and
// writes nothing; so does the window; memory stays far below what it would make.
TEST_F(TemplateWindowTest, ALayoutThatWouldWriteGigabytesStopsAtItsBudget) {
    TemplateText layout;
    for (int i = 0; i < 40; ++i) {
        layout.short_text += "{для каждой строки Описание игры, правила}{Описание игры, правила}{конец}\n";
    }
    ASSERT_EQ(templates->add(Tab::Maps, "Гигабайты", layout), store::TemplateWrite::Done);
    ASSERT_EQ(templates->use(Tab::Maps, "Гигабайты"), store::TemplateWrite::Done);
    std::string rules;
    for (int i = 0; i < 250; ++i) rules += std::string(1000, 'x') + "\r\n";  // 61.5 MiB a loop
    type(form->control("Memo1"), rules);
    const std::string short_before = text_of(form->Disc1), full_before = text_of(form->Disc2);

    click(form->Button1);
    const std::wstring error = L"Краткое описание. Строка 2, знак 1: здесь текст описаний превышает 64 МиБ";
    EXPECT_EQ(status_panel_text(form->StatusBar1, 1),
              L"Описания не изменены: ошибка в оформлении «Гигабайты» (краткое, строка 2, знак 1).");
    EXPECT_EQ(text_of(form->Disc1), short_before);
    EXPECT_EQ(text_of(form->Disc2), full_before);
    window->show();
    EXPECT_EQ(widen(error_line()), error);
    EXPECT_EQ(text_of(window->ResultBox), "");

    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    ASSERT_TRUE(GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory));
    EXPECT_LT(memory.PeakPagefileUsage, SIZE_T{400} << 20);
}

TEST_F(TemplateWindowTest, TheBuiltInTemplateCannotBeChanged) {
    window->show();
    ASSERT_EQ(selected(), 0);
    const std::string short_text = text_of(window->ShortBox), full_text = text_of(window->FullBox);
    for (HWND box : {window->ShortBox, window->FullBox}) {
        EXPECT_TRUE(GetWindowLongW(box, GWL_STYLE) & ES_READONLY);
        SetFocus(box);
        type_keys(box, L"лишнее\n");
    }
    press_key(window->FieldList, VK_RETURN);
    EXPECT_TRUE(pump_until([&] { return error_line().find("«Стандартное» не меняется") != std::string::npos; }));
    EXPECT_EQ(text_of(window->ShortBox), short_text);
    EXPECT_EQ(text_of(window->FullBox), full_text);
    EXPECT_FALSE(IsWindowEnabled(window->RenameButton));
    EXPECT_FALSE(IsWindowEnabled(window->DeleteButton));
    EXPECT_TRUE(templates->names(Tab::Maps).empty());
}

TEST_F(TemplateWindowTest, ATemplateAsTypedAndItsUseSurviveARestart) {
    window->show();
    make_new("Моё");
    SetFocus(window->ShortBox);
    SendMessageW(window->ShortBox, EM_SETSEL, 0, 0);
    type_keys(window->ShortBox, widen(kModeLine) + L"\n");
    close();  // at once, before the typing settles: kept all the same
    open();
    window->show();
    ASSERT_EQ(list_item(window->TemplateList, 1), L"Моё");
    SendMessageW(window->TemplateList, LB_SETCURSEL, 1, 0);
    SendMessageW(window->handle(), WM_COMMAND, MAKEWPARAM(0, LBN_SELCHANGE), reinterpret_cast<LPARAM>(window->TemplateList));
    EXPECT_EQ(text_of(window->ShortBox).rfind(std::string(kModeLine) + "\r\n", 0), 0u);

    click(window->UseButton);
    close();
    open();
    window->show();
    EXPECT_EQ(list_item(window->TemplateList, 1), L"Моё (используется)");
    EXPECT_EQ(selected(), 1);
    click(form->Button1);
    EXPECT_EQ(text_of(form->Disc1).rfind(std::string(kModeLine) + "\r\n", 0), 0u);
}

// Another copy of the program holds the file's write lock: the failure line
// stays while typing goes on, another template is chosen and the window is
// closed; what was typed is shown again where its template is chosen, and
// kept once the lock goes, the window closed meanwhile. Without a lock,
// choosing another template keeps the typing at once.
TEST_F(TemplateWindowTest, AnEditTheFileRefusesIsSaidHeldAndKeptOnceTheLockGoes) {
    ASSERT_EQ(templates->add(Tab::Maps, "Другое", {"другое", ""}), store::TemplateWrite::Done);
    ASSERT_EQ(templates->add(Tab::Maps, "Моё", {"краткое", "полное"}), store::TemplateWrite::Done);
    window->show();
    select(2);
    ASSERT_EQ(list_item(window->TemplateList, selected()), L"Моё");
    store::Database holder = store::Database::open(narrow(path), store::Database::Mode::ReadWrite);
    ASSERT_TRUE(holder.exec("BEGIN IMMEDIATE"));

    type_at_start(window->ShortBox, L"А");
    ASSERT_TRUE(pump_until([&] { return text_of(window->ResultBox).starts_with("Акраткое"); })) << "checked and shown";
    EXPECT_EQ(error_line(), kNotSaved) << "not covered by the check's line";
    EXPECT_EQ(kept_short_text("Моё"), "краткое");

    select(1);
    EXPECT_EQ(text_of(window->ShortBox), "другое");
    EXPECT_EQ(error_line(), kNotSaved);
    select(2);
    EXPECT_EQ(text_of(window->ShortBox), "Акраткое") << "as typed, not as the file has it";
    type_at_start(window->ShortBox, L"Б");
    SendMessageW(window->handle(), WM_CLOSE, 0, 0);  // at once, before the typing settles
    ASSERT_FALSE(IsWindowVisible(window->handle()));
    EXPECT_EQ(kept_short_text("Моё"), "краткое");

    ASSERT_TRUE(holder.exec("ROLLBACK"));
    EXPECT_TRUE(pump_until([&] { return kept_short_text("Моё") == "БАкраткое"; })) << "retried with the window closed";
    window->show();
    EXPECT_TRUE(pump_until([&] { return error_line() == "Ошибок нет"; })) << error_line();

    type_at_start(window->ShortBox, L"В");
    select(1);  // at once, before the typing settles
    EXPECT_EQ(kept_short_text("Моё"), "ВБАкраткое");
    EXPECT_EQ(kept_short_text("Другое"), "другое");
}

// The session's end reaches every top-level window, and the process may be
// ended right after it: the typing is kept then, not at the window's end.
TEST_F(TemplateWindowTest, TheSessionsEndKeepsWhatWasTyped) {
    ASSERT_EQ(templates->add(Tab::Maps, "Моё", {"краткое", ""}), store::TemplateWrite::Done);
    window->show();
    select(1);
    type_at_start(window->ShortBox, L"А");
    EXPECT_TRUE(SendMessageW(window->handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
    SendMessageW(window->handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(kept_short_text("Моё"), "Акраткое");
}

// A second copy of the program removed the template meanwhile: a rename finds nothing and says so.
TEST_F(TemplateWindowTest, ARenameOfATemplateASecondCopyRemovedSaysItIsGone) {
    ASSERT_EQ(templates->add(Tab::Maps, "Моё", {"краткое", ""}), store::TemplateWrite::Done);
    window->show();
    select(1);
    store::Store second_file(narrow(path));
    ASSERT_EQ(store::TemplateStore(second_file).remove(Tab::Maps, "Моё"), store::TemplateWrite::Done);
    ASSERT_TRUE(run_steps({click_later(window->RenameButton), answer_name("Новое имя")}).all_ran);
    EXPECT_EQ(error_line(), "Оформления «Моё» больше нет: его переименовали или удалили.");
    EXPECT_EQ(SendMessageW(window->TemplateList, LB_GETCOUNT, 0, 0), 1) << "the list as the file has it";
    EXPECT_TRUE(templates->names(Tab::Maps).empty());
}

TEST_F(TemplateWindowTest, ATemplateSavedToAFileAndLoadedBackIsTheSame) {
    const TemplateText mine{"{если Автор карты}[b]{Автор карты}[/b]{конец} {{в скобках}}", "ёлка\n\n{Версия}\n"};
    ASSERT_EQ(check_template(Tab::Maps, mine), std::nullopt);
    ASSERT_EQ(templates->add(Tab::Maps, "Моё", mine), store::TemplateWrite::Done);
    window->show();
    SendMessageW(window->TemplateList, LB_SETCURSEL, 1, 0);
    SendMessageW(window->handle(), WM_COMMAND, MAKEWPARAM(0, LBN_SELCHANGE), reinterpret_cast<LPARAM>(window->TemplateList));
    ASSERT_EQ(selected(), 1);

    const std::wstring file = temporary_path(L"общий.txt");
    remove_files(file);
    Outcome outcome = run_steps({click_later(window->SaveButton), answer_file_dialog(kSaveTemplateTitle, file)});
    ASSERT_TRUE(outcome.all_ran);
    EXPECT_EQ(read_file(file, kMaxTemplateFileBytes).bytes, write_template_file(mine));

    outcome = run_steps({click_later(window->LoadButton), answer_file_dialog(kOpenTemplateTitle, file)});
    ASSERT_TRUE(outcome.all_ran);
    const std::string stem = narrow(file_stem(file));  // the file's name, without its folder and .txt
    EXPECT_EQ(templates->names(Tab::Maps), (std::vector<std::string>{stem, "Моё"})) << "by name";
    EXPECT_EQ(templates->find(Tab::Maps, stem), mine);
    EXPECT_EQ(list_item(window->TemplateList, selected()), widen(stem));

    // Not a template file, or a template of another tab: refused with the reason.
    const struct {
        std::string bytes, reason;
    } refused[] = {
        {"[b]Карта[/b]\r\n", "Не загружено. Это не файл оформления"},
        {write_template_file(builtin_template(Tab::Sounds)), "Не загружено: ошибка в оформлении."},
        {std::string(kMaxTemplateFileBytes + 1, 'x'), "Не загружено. Файл размером 4,1 МБ больше 4 МБ"},
    };
    for (const auto& c : refused) {
        ASSERT_TRUE(write_file(file, c.bytes));
        outcome = run_steps({click_later(window->LoadButton), answer_file_dialog(kOpenTemplateTitle, file)});
        ASSERT_TRUE(outcome.all_ran);
        EXPECT_EQ(error_line().rfind(c.reason, 0), 0u) << error_line();
        EXPECT_EQ(templates->names(Tab::Maps).size(), 2u);
    }
    remove_files(file);
}

// What a file at the path is, byte for byte, and which file it is.
struct FileState {
    std::string bytes;
    DWORD index_low = 0, index_high = 0;
};

std::optional<FileState> file_state(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION information{};
    GetFileInformationByHandle(file, &information);
    CloseHandle(file);
    return FileState{read_file(path, kMaxTemplateFileBytes).bytes.value_or("<unread>"), information.nFileIndexLow,
                     information.nFileIndexHigh};
}

// Whatever else lies in the file's folder under a name that begins with its own.
std::vector<std::wstring> files_beside(const std::wstring& path) {
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\') + 1);
    const std::wstring own_name = path.substr(folder.size());
    WIN32_FIND_DATAW found{};
    std::vector<std::wstring> names;
    const HANDLE search = FindFirstFileW((path + L"?*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (found.cFileName != own_name) names.push_back(folder + found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

// A file written over is replaced by a new one in one step, never emptied
// and written into; where the replacing is refused (a read-only file, one
// another program holds open, a folder in its place) the old one is as it
// was and nothing is left beside it.
TEST(TemplateFileWriting, AFileWrittenOverIsReplacedWholeOrLeftAsItWas) {
    const std::wstring file = temporary_path(L"поверх.txt"), folder = temporary_path(L"папка.txt");
    for (const std::wstring& earlier : {file, folder}) {  // a run stopped half-way
        for (const std::wstring& leftover : files_beside(earlier)) DeleteFileW(leftover.c_str());
    }
    DeleteFileW(file.c_str());
    RemoveDirectoryW(folder.c_str());
    ASSERT_TRUE(write_file(file, "старое"));
    const std::optional<FileState> old = file_state(file);
    ASSERT_TRUE(old);
    ASSERT_EQ(old->bytes, "старое");
    ASSERT_TRUE(write_file(file, "новое"));
    const std::optional<FileState> replaced = file_state(file);
    ASSERT_TRUE(replaced);
    EXPECT_EQ(replaced->bytes, "новое");
    EXPECT_TRUE(replaced->index_low != old->index_low || replaced->index_high != old->index_high)
        << "a new file took the old one's place";
    EXPECT_EQ(files_beside(file), std::vector<std::wstring>{});

    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(write_file(file, "не записано"));
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(file_state(file)->bytes, "новое") << "read-only";
    EXPECT_EQ(files_beside(file), std::vector<std::wstring>{});

    const HANDLE editor =
        CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(editor, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(write_file(file, "не записано"));
    CloseHandle(editor);
    EXPECT_EQ(file_state(file)->bytes, "новое") << "held open by another program";
    EXPECT_EQ(files_beside(file), std::vector<std::wstring>{});
    DeleteFileW(file.c_str());

    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    EXPECT_FALSE(write_file(folder, "не записано"));
    EXPECT_EQ(GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY, DWORD{FILE_ATTRIBUTE_DIRECTORY});
    EXPECT_EQ(files_beside(folder), std::vector<std::wstring>{});
    RemoveDirectoryW(folder.c_str());
    EXPECT_FALSE(write_file(temporary_path(L"нет такой папки\\файл.txt"), "не записано"));
}

}  // namespace
}  // namespace tessivar::testing
