// The program as the README shows it: the maps tab filled in, a tag in it
// left open, and pressed; the preview open beside it, its screenshot served
// from 127.0.0.1 and the open tag listed under the post; the layouts window
// on a draft with a mistake in it; and the journal with two earlier versions
// of the map. Writes the windows' rectangles to the file
// named by its argument once they are painted, then waits to be photographed
// (scripts/screenshots), for a minute at most.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "app/About.h"
#include "app/actions.h"
#include "app/application.h"
#include "win32/window.h"
#include "preview/preview.h"
#include "com_apartment.h"
#include "form/main_window.h"
#include "journal/journal_window.h"
#include "loopback_server.h"
#include "output/win32_text.h"
#include "store/histories.h"
#include "store/kept.h"
#include "store/templates.h"
#include "template_window/template_window.h"
#include "test_pictures.h"

namespace {

using namespace tessivar;

// A map's screenshot: sky over a field, a keep in the middle.
std::string map_screenshot() {
    const testing::ComApartment com;
    return testing::encoded_picture(GUID_ContainerFormatPng, 400, 225, [](UINT x, UINT y) -> testing::Colour {
        if (x >= 170 && x < 230 && y >= 90 && y < 170) return {0x8A, 0x6A, 0x4A};
        if (y >= 150) return {0x3C, static_cast<std::uint8_t>(0x90 - (y - 150) / 2), 0x3C};
        return {static_cast<std::uint8_t>(0x50 + y / 2), static_cast<std::uint8_t>(0x90 + y / 3), 0xE8};
    });
}

void fill_maps_tab(const TFMain& form, const std::string& screenshot) {
    write_text(form.control("Edit2"), "Иван");
    write_text(form.control("ComboBox1"), "Tower Defence");
    write_text(form.control("ComboBox2"), "Русский");
    write_text(form.control("ComboBox3"), "1-4");
    write_text(form.control("ComboBox4"), "Нет");
    write_text(form.control("ComboBox5"), "64х64");
    write_text(form.control("ComboBox6"), "Летний Лордерон");
    write_text(form.control("LabeledEdit2"), screenshot);
    // A tag left open: the preview lists it under the post.
    write_text(form.control("Memo1"), "Защитите замок от [b]30 волн[/b] врагов.\r\n\r\nИзменения: [i]первый выпуск.");
    write_text(form.control("Edit7"), "https://rts-content.example/maps/td");
}

// The built-in maps template with the line the README's example adds.
TemplateText with_game_mode() {
    TemplateText text = builtin_template(Tab::Maps);
    const std::size_t after_first_line = text.full_text.find('\n') + 1;
    text.full_text.insert(after_first_line,
                          "{если Автор карты}\n[color=Grey]Режим игры:[/color] [i]Защита замка[/i]\n{конец}\n");
    return text;
}

// The same, its condition naming a field the maps tab does not have: the
// layouts window shows the nearest one.
TemplateText with_a_typo() {
    TemplateText text = with_game_mode();
    text.full_text.replace(text.full_text.find("{если Автор карты}"), std::string_view("{если Автор карты}").size(),
                           "{если Автор}");
    return text;
}

// Versions of the same map pressed in earlier weeks, as the journal keeps
// them: whether the file took them.
bool press_earlier_versions(TFMain& form, store::Store& file) {
    const struct {
        const char* version;
        int days_ago;
    } earlier[] = {{"0.8", 40}, {"0.9", 12}};
    for (const auto& press : earlier) {
        write_text(form.control("Edit1"), press.version);
        const store::NewEntry entry{Tab::Maps, std::time(nullptr) - press.days_ago * 86'400, true,
                                    form.keeping().read_tab(Tab::Maps), {}, {}};
        if (!file.write([&](store::Database& database) { return store::add_to_journal(database, entry); })) return false;
    }
    write_text(form.control("Edit1"), "1.00");
    return true;
}

void pump_for(DWORD ms) {
    for (const DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(20)) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) dispatch_message(msg);
    }
}

void write_rectangle(std::FILE* out, const char* name, HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    std::fprintf(out, "%s %ldx%ld+%ld+%ld\n", name, r.right - r.left, r.bottom - r.top, r.left, r.top);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    declare_dpi_awareness();
    init_common_controls();
    Application application(L"Tessivar");
    TFMain form(application.handle(), main_menu());
    TFAbout about(application.handle());
    form.set_about(&about);
    TFPreview preview(form.handle(), form.Disc1, form.Disc2);
    form.set_preview(&preview);
    application.show_main_window(form.handle(), SW_SHOWNORMAL);
    const std::string picture = map_screenshot();
    testing::LoopbackServer site(
        [&](testing::LoopbackServer&, SOCKET client, const std::string&) {
            testing::LoopbackServer::answer(client, "200 OK", "image/png", picture);
        },
        8642);
    wchar_t temporary[MAX_PATH];
    GetTempPathW(MAX_PATH, temporary);
    const std::wstring database = std::wstring(temporary) + L"tessivar-screenshot.db";
    DeleteFileW(database.c_str());
    store::Store file(narrow(database));
    store::TemplateStore templates(file);
    if (templates.add(Tab::Maps, "Режим игры", with_game_mode()) != store::TemplateWrite::Done ||
        templates.add(Tab::Maps, "Черновик", with_a_typo()) != store::TemplateWrite::Done ||
        templates.use(Tab::Maps, "Режим игры") != store::TemplateWrite::Done) {
        std::fputs("the scene's layout was not kept\n", stderr);
        return 1;
    }
    TFTemplates template_window(form, &templates);
    form.set_templates(&templates, &template_window);
    store::StoreHistories histories(file);
    form.set_histories(&histories);
    form.keeping().set_store(&file);
    TFJournal journal(form, &file);
    form.set_journal(&journal);
    fill_maps_tab(form, site.address("/td-logo.png"));
    if (!press_earlier_versions(form, file)) {
        std::fputs("the scene's journal was not kept\n", stderr);
        return 1;
    }
    form.Button1Click();
    form.Action2Execute();
    form.Action8Execute();
    form.Action7Execute();
    // The draft chosen in the layouts window, as a click would.
    const LRESULT draft = SendMessageW(template_window.TemplateList, LB_FINDSTRING, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(L"Черновик"));
    SendMessageW(template_window.TemplateList, LB_SETCURSEL, static_cast<WPARAM>(draft), 0);
    SendMessageW(template_window.handle(), WM_COMMAND, MAKEWPARAM(0, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(template_window.TemplateList));
    // The templates window below the main one, the journal beside it, below
    // the preview: all four in view.
    RECT main, shown, templates_shown;
    GetWindowRect(form.handle(), &main);
    GetWindowRect(preview.handle(), &shown);
    SetWindowPos(template_window.handle(), nullptr, main.left, main.bottom + 8, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    GetWindowRect(template_window.handle(), &templates_shown);
    SetWindowPos(journal.handle(), nullptr, std::max(shown.left, templates_shown.right + 8), shown.bottom + 8, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
    pump_for(1500);
    std::FILE* out = _wfopen(argv[1], L"w");
    if (!out) return 1;
    write_rectangle(out, "main", form.handle());
    write_rectangle(out, "preview", preview.handle());
    write_rectangle(out, "templates", template_window.handle());
    write_rectangle(out, "journal", journal.handle());
    std::fclose(out);
    pump_for(60'000);
    DeleteFileW(database.c_str());
    return 0;
}
