// The preview on the real rich edit: opened from the menu, following the
// panes, its links, Esc, and its layout at the density.
#include "preview_fixture.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "win32/browser.h"
#include "bbcode/pane_head.h"
#include "form/menu_bar.h"
#include "output/links.h"
#include "recording_browser.h"
#include "timed_steps.h"

namespace tessivar::testing {
namespace {

CHARFORMAT2W format_at(HWND rich_edit, LONG position) {
    CHARRANGE range{position, position + 1};
    SendMessageW(rich_edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    SendMessageW(rich_edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    return format;
}

WORD alignment_at(HWND rich_edit, LONG position) {
    CHARRANGE range{position, position};
    SendMessageW(rich_edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    PARAFORMAT2 format{};
    format.cbSize = sizeof format;
    SendMessageW(rich_edit, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
    return format.wAlignment;
}

// Handles one message at a time until `done` holds, for a minute at most:
// a rendering's steps come one a message.
template <class Done>
bool message_by_message(Done done) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 60'000;) {
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        } else {
            Sleep(1);
        }
        if (done()) return true;
    }
    return false;
}

// As a paste does: the pane reports the change, which a whole new text does not.
void paste_over(HWND pane, const std::string& utf8) {
    SendMessageW(pane, EM_SETSEL, 0, -1);
    SendMessageW(pane, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(widen(utf8).c_str()));
}

// Every call that reaches the shell, recorded instead of opening anything.
std::vector<std::wstring> g_shell_calls;
HINSTANCE WINAPI record_shell_call(HWND, LPCWSTR, LPCWSTR file, LPCWSTR, LPCWSTR, INT) {
    g_shell_calls.emplace_back(file);
    return reinterpret_cast<HINSTANCE>(42);
}

TEST_F(PreviewTest, TheMenuItemOpensItBesideTheMainWindowWithBothSections) {
    EXPECT_EQ(shown(), nullptr);  // nothing made before it is asked for
    const HMENU main_items = GetSubMenu(menu_bar_menu(form->ActionMainMenuBar1), 0);
    const Outcome outcome = run_steps({press_menu_key(VK_F10), press(VK_DOWN), press(VK_RETURN)});
    EXPECT_TRUE(outcome.all_ran);
    EXPECT_FALSE(GetMenuState(main_items, 0, MF_BYPOSITION) & MF_GRAYED);
    ASSERT_TRUE(preview->handle() && IsWindowVisible(preview->handle()));
    wait_for_rendering();

    wchar_t name[32] = {};
    GetClassNameW(shown(), name, 32);
    EXPECT_EQ(lstrcmpiW(name, L"RICHEDIT50W"), 0);
    GetWindowTextW(preview->handle(), name, 32);
    EXPECT_STREQ(name, kPreviewTitle);
    EXPECT_EQ(GetWindow(preview->handle(), GW_OWNER), form->handle());
    EXPECT_TRUE(GetWindowLongW(preview->handle(), GWL_STYLE) & WS_THICKFRAME);
    // Read-only, wrapped, scrolled up and down.
    const auto options = SendMessageW(shown(), EM_GETOPTIONS, 0, 0);
    EXPECT_EQ(options & (ECO_READONLY | ECO_AUTOVSCROLL | ECO_AUTOHSCROLL), ECO_READONLY | ECO_AUTOVSCROLL);
    EXPECT_TRUE(IsWindowEnabled(form->handle()));  // modeless

    // The placeholder lines, read as markup, under the window's own headings.
    const std::wstring t = text();
    const auto short_heading = t.find(L"Краткое описание"), full_heading = t.find(L"Полное описание");
    ASSERT_NE(short_heading, std::wstring::npos);
    ASSERT_NE(full_heading, std::wstring::npos);
    EXPECT_LT(short_heading, full_heading);
    EXPECT_EQ(t.find(L"[color"), std::wstring::npos);

    RECT main, own;
    GetWindowRect(form->handle(), &main);
    GetWindowRect(preview->handle(), &own);
    if (GetSystemMetrics(SM_CXSCREEN) - main.right >= own.right - own.left) {
        EXPECT_EQ(own.left, main.right);
        EXPECT_EQ(own.top, main.top);
    }

    // Again: to the front, not a second window.
    SetActiveWindow(form->handle());
    form->Action2Execute();
    pump();
    EXPECT_EQ(GetActiveWindow(), preview->handle());
}

TEST_F(PreviewTest, FollowsAPressAnEditAndAClearOnlyWhileOpen) {
    open_preview();
    type(form->control("Edit2"), "Иван");
    type(form->control("LabeledEdit2"), "images/td-logo.jpg");
    click(form->Button1);
    ASSERT_TRUE(pump_until([&] { return shows(L"Автор карты:"); }));

    const HWND edit = shown();
    EXPECT_EQ(format_at(edit, where(L"Иван")).crTextColor, RGB(255, 0, 0));
    EXPECT_TRUE(format_at(edit, where(L"1.00")).dwEffects & CFE_ITALIC);
    EXPECT_EQ(format_at(edit, where(L"Автор карты:")).crTextColor, RGB(128, 128, 128));
    EXPECT_TRUE(format_at(edit, where(L"Рекомендации")).dwEffects & CFE_UNDERLINE);
    EXPECT_EQ(alignment_at(edit, where(L"Описание сформировано")), PFA_RIGHT);
    EXPECT_EQ(alignment_at(edit, where(L"images/td-logo.jpg")), PFA_CENTER);
    ASSERT_EQ(preview->pictures().size(), 1u);
    EXPECT_EQ(preview->pictures()[0].address, u"images/td-logo.jpg");
    // Links marked where the table says, the forum's two topics among them.
    ASSERT_EQ(preview->links().size(), 4u);
    for (const auto& link : preview->links()) {
        EXPECT_TRUE(format_at(edit, preview->shown_at(link.start)).dwEffects & CFE_LINK);
        EXPECT_FALSE(format_at(edit, preview->shown_at(link.start + link.length)).dwEffects & CFE_LINK);
    }

    paste_over(form->Disc1, "[b]правка[/b]");
    ASSERT_TRUE(pump_until([&] { return shows(L"правка") && !shows(L"[b]"); }));
    const CHARFORMAT2W bold = format_at(shown(), where(L"правка"));  // a new control each time
    EXPECT_TRUE(bold.dwEffects & CFE_BOLD);
    EXPECT_EQ(bold.wWeight, FW_BOLD);

    ShowWindow(preview->handle(), SW_HIDE);
    paste_over(form->Disc1, "скрыто");
    Sleep(2 * kFollowDelayMs);
    pump();
    EXPECT_FALSE(shows(L"скрыто"));  // nothing rendered while closed
    form->Action2Execute();
    EXPECT_TRUE(pump_until([&] { return shows(L"скрыто"); }));
}

// Each run states its whole format: what the markup leaves plain is plain
// after any effect, and the control's own default is the post's.
TEST_F(PreviewTest, PlainTextIsPlainInTheControlAndBoldIsBold) {
    open_preview();
    paste_over(form->Disc1, "[b]жир[/b]п1 [i]курс[/i]п2 [u]подч[/u]п3 [s]зач[/s]п4\r\n[b][i]икс[/b]игрек[/i]");
    ASSERT_TRUE(pump_until([&] { return shows(L"игрек"); }));
    constexpr DWORD kEffects = CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT;
    const struct {
        const wchar_t* text;
        DWORD effects;
    } runs[] = {{L"жир", CFE_BOLD},      {L"п1", 0}, {L"курс", CFE_ITALIC},           {L"п2", 0},
                {L"подч", CFE_UNDERLINE}, {L"п3", 0}, {L"зач", CFE_STRIKEOUT},         {L"п4", 0},
                {L"икс", CFE_BOLD | CFE_ITALIC},      {L"игрек", CFE_ITALIC}};
    for (const auto& run : runs) {
        ASSERT_TRUE(shows(run.text)) << narrow(run.text);
        const CHARFORMAT2W format = format_at(shown(), where(run.text));
        EXPECT_EQ(format.dwMask & (CFM_BOLD | CFM_WEIGHT), static_cast<DWORD>(CFM_BOLD | CFM_WEIGHT)) << narrow(run.text);
        EXPECT_EQ(format.dwEffects & kEffects, run.effects) << narrow(run.text);
        EXPECT_EQ(format.wWeight, run.effects & CFE_BOLD ? FW_BOLD : FW_NORMAL) << narrow(run.text);
        EXPECT_STREQ(format.szFaceName, L"Tahoma") << narrow(run.text);
        EXPECT_EQ(format.yHeight, 9 * 20) << narrow(run.text);
    }
    CHARFORMAT2W own{};
    own.cbSize = sizeof own;
    SendMessageW(shown(), EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&own));
    EXPECT_STREQ(own.szFaceName, L"Tahoma");
    EXPECT_EQ(own.wWeight, FW_NORMAL);
    EXPECT_EQ(own.dwEffects & kEffects, 0u);
    EXPECT_EQ(own.yHeight, 9 * 20);
    EXPECT_EQ(own.crTextColor, RGB(0xDC, 0xDC, 0xDC));
}

// A pane past its head: rendered up to it in short steps between messages,
// whole across the pieces, with the rest said in place; a change under way
// gives the rendering up for the new text.
TEST_F(PreviewTest, ABigPaneRendersItsHeadInShortStepsAndAChangeStartsAgain) {
    open_preview();
    std::string big;
    // Links longer than a group: the stream's pieces may end inside them.
    for (int i = 0; big.size() < 60'000; ++i) {
        big += "[b]строка " + std::to_string(i) + "[/b] обычная\r\n";
        if (i % 5 == 0) big += "[url=http://a.example/" + std::to_string(i) + "]" + std::string(600, 'w') + "[/url]\r\n";
    }
    big += "[r][u]конец[/u] после[/r]\r\n" + std::string(3 << 20, 'z');
    paste_over(form->Disc2, big);
    ASSERT_TRUE(message_by_message([&] { return preview->rendering(); }));
    const HWND before = shown();
    const std::string after_change = "новое\r\n" + big;
    paste_over(form->Disc2, after_change);
    EXPECT_FALSE(preview->rendering());  // given up at once
    EXPECT_EQ(shown(), before);          // the last one shown stays meanwhile
    int steps = 0;
    ASSERT_TRUE(message_by_message([&] {
        steps += preview->rendering();
        return shown() != before && !preview->rendering();
    }));
    // Filled in messages of its own, not in the one that read the panes; how
    // long each may take is press_bench's to measure.
    EXPECT_GT(steps, 0);
    EXPECT_TRUE(shows(L"новое"));
    const LONG after = where(L"после");
    ASSERT_GT(after, 0);
    EXPECT_EQ(format_at(shown(), after).dwEffects & (CFE_UNDERLINE | CFE_BOLD), 0u);
    EXPECT_TRUE(format_at(shown(), where(L"конец")).dwEffects & CFE_UNDERLINE);
    EXPECT_EQ(alignment_at(shown(), after), PFA_RIGHT);
    EXPECT_EQ(alignment_at(shown(), after - 10), PFA_LEFT);
    // The pane's first 64 Ki units to the letter, the rest counted.
    const std::size_t z_shown = bbcode::kShownUnits - widen(after_change).find(L'z');
    const std::wstring all = text();
    EXPECT_EQ(static_cast<std::size_t>(std::count(all.begin(), all.end(), L'z')), z_shown);
    EXPECT_TRUE(shows(L"Дальше не показано: ещё 3\u00A0")) << narrow(text().substr(text().size() - 60));
    // Each link marked whole, whichever pieces its text came in.
    ASSERT_GT(preview->links().size(), 20u);
    for (const auto& link : preview->links()) {
        EXPECT_TRUE(format_at(shown(), link.start).dwEffects & CFE_LINK) << link.start;
        EXPECT_TRUE(format_at(shown(), link.start + link.length - 1).dwEffects & CFE_LINK) << link.start;
        EXPECT_FALSE(format_at(shown(), link.start + link.length).dwEffects & CFE_LINK) << link.start;
    }
}

TEST_F(PreviewTest, AClickOnALinkOpensOnlyItsWebAddress) {
    open_preview();
    click(form->Button1);
    ASSERT_TRUE(pump_until([&] { return shows(L"генератором"); }));
    {
        RecordingBrowser browser;
        click_at(where(L"генератором") + 3);
        EXPECT_EQ(browser.address(), links::program_page);
    }

    // Nothing else ever reaches the shell, clicked or asked for directly.
    const ShellOpen previous = replace_shell_open(record_shell_call);
    g_shell_calls.clear();
    paste_over(form->Disc1,
         "[url=javascript:alert(1)]a1[/url] [url]file:///C:/x.exe[/url] [url=data:text/html,x]a3[/url]\r\n"
         "[url=calc.exe]a4[/url] [url=C:\\Windows\\x.exe]a5[/url] [url=http://a.example/\x01]a6[/url]\r\n"
         "[url=https://ok.example/]ok[/url][url=http://next.example/]next[/url]");
    ASSERT_TRUE(pump_until([&] { return shows(L"a1"); }));
    for (const wchar_t* label : {L"a1", L"file:", L"a3", L"a4", L"a5", L"a6"}) click_at(where(label));
    EXPECT_TRUE(g_shell_calls.empty());
    for (const wchar_t* address : {L"javascript:alert(1)", L"file:///C:/x.exe", L"calc.exe", L"C:\\x.exe",
                                   L"http://a.example/\x01", L"https://", L"mailto:a@a.example"}) {
        EXPECT_FALSE(open_web_address(nullptr, address)) << address;
    }
    EXPECT_TRUE(g_shell_calls.empty());
    // Two links side by side: the one under the mouse.
    click_at(where(L"next") + 1);
    click_at(where(L"ok"));
    EXPECT_EQ(g_shell_calls, (std::vector<std::wstring>{L"http://next.example/", L"https://ok.example/"}));
    EXPECT_EQ(status_panel_text(preview->StatusBar1, 0), L"https://ok.example/");
    // The mouse gone from the post onto the status bar: the address goes too.
    RECT bar;
    GetWindowRect(preview->StatusBar1, &bar);
    SetCursorPos((bar.left + bar.right) / 2, (bar.top + bar.bottom) / 2);
    EXPECT_TRUE(pump_until([&] { return status_panel_text(preview->StatusBar1, 0).empty(); }));
    replace_shell_open(previous);
}

void key_with_control(HWND window, WORD key) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(window, WM_KEYDOWN, key, 1);
    SendMessageW(window, WM_KEYUP, key, 0xC0000001);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
}

TEST_F(PreviewTest, CtrlACtrlCCopyWithFormattingAndEscHidesIt) {
    open_preview();
    key_with_control(shown(), 'A');
    key_with_control(shown(), 'C');
    EXPECT_NE(clipboard_text().find(L"Полное описание"), std::wstring::npos);
    EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatW(L"Rich Text Format")));

    SetWindowPos(preview->handle(), nullptr, 40, 50, 400, 300, SWP_NOZORDER);
    const Outcome outcome = run_steps({press(VK_ESCAPE)});
    EXPECT_TRUE(outcome.all_ran);
    EXPECT_FALSE(IsWindowVisible(preview->handle()));
    EXPECT_TRUE(IsWindowVisible(form->handle()));
    form->Action2Execute();
    RECT r;
    GetWindowRect(preview->handle(), &r);
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 50);
    EXPECT_EQ(r.right - r.left, 400);
    PostMessageW(preview->handle(), WM_CLOSE, 0, 0);
    pump();
    EXPECT_FALSE(IsWindowVisible(preview->handle()));
    EXPECT_TRUE(IsWindow(preview->handle()));
}

std::wstring list_line(HWND list, int row) {
    wchar_t line[512] = {};
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = line;
    item.cchTextMax = 512;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return line;
}

int list_count(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

// «строка L, знак C» of a place in a pane, counted as the pane counts: lines end at CR LF.
std::wstring line_and_character(const std::wstring& pane, std::size_t at) {
    std::size_t line = 1, from = 0;
    for (std::size_t i = pane.find(L"\r\n"); i < at; i = pane.find(L"\r\n", i + 2)) {
        ++line;
        from = i + 2;
    }
    return L"строка " + std::to_wstring(line) + L", знак " + std::to_wstring(at - from + 1);
}

// Under the post, above the status bar, across the window: nothing over anything.
void expect_findings_between_post_and_bar(const TFPreview& preview) {
    RECT post, list, bar;
    GetWindowRect(preview.RichEdit1, &post);
    GetWindowRect(preview.ListView1, &list);
    GetWindowRect(preview.StatusBar1, &bar);
    EXPECT_EQ(post.bottom, list.top);
    EXPECT_EQ(list.bottom, bar.top);
    EXPECT_GT(list.bottom - list.top, 0);
    EXPECT_EQ(list.right - list.left, client_size(preview.handle()).cx);
}

// A field holding [b] without [/b]: one line under the post, at its place in
// its pane; Enter on it selects that place in the main window. Fields free of
// markup: no list.
TEST_F(PreviewTest, ListsWhatTheForumWillNotShowAsWrittenAndEnterSelectsItsPlace) {
    open_preview();
    EXPECT_FALSE(IsWindowVisible(preview->ListView1));  // the placeholder lines have nothing
    type(form->control("Edit2"), "Иван");
    type(form->control("Memo1"), "Правила [b]жирным\r\nи дальше");
    click(form->Button1);
    ASSERT_TRUE(pump_until([&] { return shows(L"Правила") && IsWindowVisible(preview->ListView1); }));
    const HWND list = preview->ListView1;
    ASSERT_EQ(list_count(list), 1);
    const std::wstring full = widen(text_of(form->Disc2));
    const std::size_t at = full.find(L"[b]жирным");
    ASSERT_NE(at, std::wstring::npos);
    EXPECT_EQ(list_line(list, 0),
              L"Полное описание, " + line_and_character(full, at) + L": [b] не закрыт — показан как есть");
    expect_findings_between_post_and_bar(*preview);

    // Tab from the post reaches the list; Enter there, the main window's pane.
    SetFocus(shown());
    EXPECT_TRUE(run_steps({press(VK_TAB)}).all_ran);
    ASSERT_EQ(GetFocus(), list);
    ListView_SetItemState(list, 0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    EXPECT_TRUE(run_steps({press(VK_RETURN)}).all_ran);
    EXPECT_EQ(GetActiveWindow(), form->handle());
    EXPECT_EQ(GetFocus(), form->Disc2);
    DWORD start = 0, end = 0;
    SendMessageW(form->Disc2, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, at);
    EXPECT_EQ(end, at + 3);

    // A double click does the same, from the short pane's line.
    paste_over(form->Disc1, "a\r\nb[/i]");
    ASSERT_TRUE(pump_until([&] { return list_count(list) == 2; }));
    EXPECT_EQ(list_line(list, 0), L"Краткое описание, строка 2, знак 2: [/i] без открывающего тега — показан как есть");
    RECT row{LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    SetActiveWindow(preview->handle());
    const LPARAM point = MAKELPARAM(row.left + 4, (row.top + row.bottom) / 2);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageW(list, WM_LBUTTONUP, 0, point);
    SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
    SendMessageW(list, WM_LBUTTONUP, 0, point);
    pump();
    EXPECT_EQ(GetActiveWindow(), form->handle());
    EXPECT_EQ(GetFocus(), form->Disc1);
    SendMessageW(form->Disc1, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 4u);
    EXPECT_EQ(end, 8u);

    // Fields free of markup: the list goes, and the post takes its room.
    type(form->control("Memo1"), "Правила без разметки");
    click(form->Button1);
    ASSERT_TRUE(pump_until([&] { return shows(L"без разметки") && !IsWindowVisible(list); }));
    EXPECT_EQ(list_count(list), 0);
    RECT post, bar;
    GetWindowRect(shown(), &post);
    GetWindowRect(preview->StatusBar1, &bar);
    EXPECT_EQ(post.bottom, bar.top);
}

// Run again at 120, 144 and 192 dpi.
TEST_F(PreviewTest, LaidOutAtTheDensity) {
    open_preview();
    const int dpi = GetDeviceCaps(GetDC(nullptr), LOGPIXELSY);
    const LayoutScale scale{dpi, dpi};
    const SIZE client = client_size(preview->handle());
    EXPECT_EQ(client.cx, scale.x(kPreviewDesignClient.cx));
    EXPECT_EQ(client.cy, scale.y(kPreviewDesignClient.cy));
    RECT bar, post;
    GetWindowRect(preview->StatusBar1, &bar);
    GetWindowRect(shown(), &post);
    EXPECT_EQ(post.bottom, bar.top);
    EXPECT_EQ(post.right - post.left, client.cx);
    // The status text in the interface's 8 pt at this density.
    auto font = reinterpret_cast<HFONT>(SendMessageW(preview->StatusBar1, WM_GETFONT, 0, 0));
    LOGFONTW chosen{};
    GetObjectW(font, sizeof chosen, &chosen);
    EXPECT_EQ(-chosen.lfHeight, MulDiv(8, dpi, 72));
}

// Dragged to a monitor of 150 %: the system's rectangle, the status bar's
// font, the post above it across the width with its margin at the density.
TEST_F(PreviewTest, AtANewDensityItTakesItsRectangleFontAndLayout) {
    open_preview();
    const RECT suggested = {60, 60, 60 + 800, 60 + 940};
    change_density(preview->handle(), 144, suggested);
    EXPECT_TRUE(has_rectangle(preview->handle(), suggested));
    EXPECT_EQ(font_height(preview->StatusBar1), -16);
    const SIZE client = client_size(preview->handle());
    RECT bar, post, text;
    GetWindowRect(preview->StatusBar1, &bar);
    GetWindowRect(shown(), &post);
    SendMessageW(shown(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
    EXPECT_EQ(post.bottom, bar.top);
    EXPECT_EQ(bar.bottom - bar.top + post.bottom - post.top, client.cy);
    EXPECT_EQ(post.right - post.left, client.cx);
    EXPECT_EQ(text.left, 9);
    EXPECT_EQ(text.top, 9);
}

}  // namespace
}  // namespace tessivar::testing
