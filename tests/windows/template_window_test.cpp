// The templates window on the real controls, with a database file of the
// test's own: opened from the menu, a user's template made from the built-in
// one in the window alone and used by the next press, an error shown and
// nothing written, the built-in template unchangeable, what is kept across a
// restart, and a template shared through the system's file dialogs.
#include "form_fixture.h"

#include <commctrl.h>
#include <dlgs.h>
#include <psapi.h>

#include <functional>
#include <memory>
#include <string>

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

void pump_for(DWORD ms) {
    for (const DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(10)) pump();
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

// The system's dialog, answered as a user would: the file's name typed, then Open or Save.
Step answer_file_dialog(const wchar_t* title, const std::wstring& path) {
    return once_up([title] { return FindWindowW(L"#32770", title); },
                   [path](HWND dialog) {
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
        templates = std::make_unique<TemplateStore>(*file);
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
    void let_typing_settle() { pump_for(kTemplateEditDelayMs + 200); }
    std::string error_line() const { return text_of(window->ErrorLine); }
    int selected() const { return static_cast<int>(SendMessageW(window->TemplateList, LB_GETCURSEL, 0, 0)); }

    const std::wstring path = temporary_path(
        widen(::testing::UnitTest::GetInstance()->current_test_info()->name()) + L".db");
    std::unique_ptr<store::Store> file;
    std::unique_ptr<TemplateStore> templates;
    std::unique_ptr<TFTemplates> window;
};

TEST_F(TemplateWindowTest, TheMenuItemOpensItOnTheShownTabWhichFollowsTheMainWindowAndEscCloses) {
    form->select_page(1);
    SetFocus(form->Edit8);
    const Outcome outcome = run_steps({press_menu_key(VK_F10), press(VK_DOWN), press(VK_DOWN), press(VK_DOWN), press(VK_RETURN)});
    ASSERT_TRUE(outcome.all_ran);
    ASSERT_TRUE(window->handle() && IsWindowVisible(window->handle()));
    EXPECT_EQ(GetWindow(window->handle(), GW_OWNER), form->handle());
    EXPECT_EQ(text_of(window->ListLabel), "Оформления вкладки «Звуки»:");
    EXPECT_EQ(list_item(window->TemplateList, 0), L"Стандартное  (используется)");
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

// From the built-in maps template, in the window alone: a new line shown
// only where the author box has text, and the next press writes it.
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
    let_typing_settle();
    EXPECT_EQ(error_line(), "Ошибок нет");
    EXPECT_NE(text_of(window->ResultBox).find(kModeLine), std::string::npos) << "the author box holds «Неизвестен»";
    click(window->UseButton);
    EXPECT_EQ(list_item(window->TemplateList, 1), L"Режим игры  (используется)");

    type(form->Edit2, "Иван");
    click(form->Button1);
    const Description built_in = std::get<Description>(form->render_tab(Tab::Maps, builtin_template(Tab::Maps)));
    Lines expected = built_in.full_lines;
    expected.insert(expected.begin() + 2, kModeLine);  // after the credit line and the layout's first
    EXPECT_EQ(text_of(form->Disc2), pane(expected));
    EXPECT_EQ(text_of(form->Disc1), pane(built_in.short_lines));

    type(form->Edit2, "");
    click(form->Button1);
    EXPECT_EQ(text_of(form->Disc2).find("Режим игры"), std::string::npos);
}

TEST_F(TemplateWindowTest, AnErrorIsShownAndThePressWritesNothing) {
    ASSERT_TRUE(templates->add(Tab::Maps, "С ошибкой", builtin_template(Tab::Maps)));
    ASSERT_TRUE(templates->use(Tab::Maps, "С ошибкой"));
    window->show();
    ASSERT_EQ(selected(), 1) << "the template in use is shown first";
    click(form->Button1);
    const std::string short_before = text_of(form->Disc1), full_before = text_of(form->Disc2);
    ASSERT_NE(short_before.find("Неизвестен"), std::string::npos);

    SetFocus(window->ShortBox);
    SendMessageW(window->ShortBox, EM_SETSEL, 0, 0);
    type_keys(window->ShortBox, L"{если Дата}");
    let_typing_settle();
    const std::string error = error_line();
    EXPECT_EQ(error.rfind("Краткое описание. Строка 1, знак 1:", 0), 0u) << error;
    EXPECT_NE(error.find("{конец}"), std::string::npos) << error;
    EXPECT_EQ(text_of(window->ResultBox), "");

    type(form->Edit2, "Иван");
    click(form->Button1);
    EXPECT_EQ(text_of(form->Disc1), short_before);
    EXPECT_EQ(text_of(form->Disc2), full_before);
    EXPECT_EQ(status_panel_text(form->StatusBar1, 1), widen(error));
}

// A shared layout of 40 loops, each just under the budget alone: gigabytes
// together. The press answers with the error where the budget is passed and
// writes nothing; so does the window; memory stays far below what it would make.
TEST_F(TemplateWindowTest, ALayoutThatWouldWriteGigabytesStopsAtItsBudget) {
    TemplateText layout;
    for (int i = 0; i < 40; ++i) {
        layout.short_text += "{для каждой строки Описание игры, правила}{Описание игры, правила}{конец}\n";
    }
    ASSERT_TRUE(templates->add(Tab::Maps, "Гигабайты", layout));
    ASSERT_TRUE(templates->use(Tab::Maps, "Гигабайты"));
    std::string rules;
    for (int i = 0; i < 250; ++i) rules += std::string(1000, 'x') + "\r\n";  // 61.5 MiB a loop
    type(form->Memo1, rules);
    const std::string short_before = text_of(form->Disc1), full_before = text_of(form->Disc2);

    click(form->Button1);
    const std::wstring error = L"Краткое описание. Строка 2, знак 1: здесь текст описаний превышает 64 МиБ";
    EXPECT_EQ(status_panel_text(form->StatusBar1, 1), error);
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
    let_typing_settle();
    EXPECT_EQ(text_of(window->ShortBox), short_text);
    EXPECT_EQ(text_of(window->FullBox), full_text);
    EXPECT_NE(error_line().find("«Стандартное» не меняется"), std::string::npos);
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
    EXPECT_EQ(list_item(window->TemplateList, 1), L"Моё  (используется)");
    EXPECT_EQ(selected(), 1);
    click(form->Button1);
    EXPECT_EQ(text_of(form->Disc1).rfind(std::string(kModeLine) + "\r\n", 0), 0u);
}

TEST_F(TemplateWindowTest, ATemplateSavedToAFileAndLoadedBackIsTheSame) {
    const TemplateText mine{"{если Автор карты}[b]{Автор карты}[/b]{конец} {{в скобках}}", "ёлка\n\n{Версия}\n"};
    ASSERT_EQ(check_template(Tab::Maps, mine), std::nullopt);
    ASSERT_TRUE(templates->add(Tab::Maps, "Моё", mine));
    window->show();
    SendMessageW(window->TemplateList, LB_SETCURSEL, 1, 0);
    SendMessageW(window->handle(), WM_COMMAND, MAKEWPARAM(0, LBN_SELCHANGE), reinterpret_cast<LPARAM>(window->TemplateList));
    ASSERT_EQ(selected(), 1);

    const std::wstring file = temporary_path(L"общий.txt");
    remove_files(file);
    Outcome outcome = run_steps({click_later(window->SaveButton), answer_file_dialog(kSaveTemplateTitle, file)});
    ASSERT_TRUE(outcome.all_ran);
    EXPECT_EQ(read_file(file, kMaxTemplateFileBytes), write_template_file(mine));

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

}  // namespace
}  // namespace tessivar::testing
