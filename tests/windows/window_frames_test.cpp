// What every window of the program shares as a window: drawn whole after a
// resize, opened first beside the main one and wholly on its screen, a
// least size at which nothing overlaps or is cut, questions over the window
// that asks, the focus given back where it was.
#include "preview_fixture.h"

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/About.h"
#include "fresh_store.h"
#include "timed_steps.h"
#include "journal/journal_window.h"
#include "store/templates.h"
#include "template_window/template_window.h"

namespace tessivar::testing {
namespace {

// A rectangle of the screen as it shows now, pixel by pixel.
std::vector<std::uint32_t> screen_pixels(const RECT& r) {
    const int width = r.right - r.left, height = r.bottom - r.top;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ before = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const auto* first = static_cast<const std::uint32_t*>(bits);
    std::vector<std::uint32_t> pixels(first, first + static_cast<std::size_t>(width) * height);
    SelectObject(memory, before);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

RECT window_rect(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    return r;
}

// Where the screen, once the window is drawn afresh from scratch, differs
// from what it showed: the first such pixel's place, or an empty text.
std::string where_unlike_a_fresh_paint(HWND window) {
    pump();
    const RECT r = window_rect(window);
    const std::vector<std::uint32_t> shown = screen_pixels(r);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    pump();
    const std::vector<std::uint32_t> fresh = screen_pixels(r);
    const int width = r.right - r.left;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] == fresh[i]) continue;
        const POINT at{r.left + static_cast<LONG>(i % width), r.top + static_cast<LONG>(i / width)};
        HWND under = ChildWindowFromPointEx(window, [&] {
            POINT client = at;
            ScreenToClient(window, &client);
            return client;
        }(), CWP_SKIPINVISIBLE);
        wchar_t cls[64] = {};
        GetClassNameW(under ? under : window, cls, 64);
        return "pixel (" + std::to_string(at.x - r.left) + ", " + std::to_string(at.y - r.top) + ") in " +
               narrow(cls);
    }
    return {};
}

// Each visible child inside the client area, and no two overlapping.
std::string overlapping_or_cut(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    std::vector<std::pair<HWND, RECT>> children;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowVisible(child)) children.emplace_back(child, bounds_in_parent(child));
    }
    const auto name = [](HWND control) {
        wchar_t cls[64] = {}, text[64] = {};
        GetClassNameW(control, cls, 64);
        GetWindowTextW(control, text, 64);
        return narrow(cls) + " «" + narrow(text) + "»";
    };
    for (std::size_t i = 0; i < children.size(); ++i) {
        RECT inside;
        IntersectRect(&inside, &children[i].second, &client);
        if (!EqualRect(&inside, &children[i].second)) return name(children[i].first) + " is cut";
        for (std::size_t j = i + 1; j < children.size(); ++j) {
            RECT both;
            if (IntersectRect(&both, &children[i].second, &children[j].second)) {
                return name(children[i].first) + " overlaps " + name(children[j].first);
            }
        }
    }
    return {};
}

class EveryWindow : public PreviewTest {
protected:
    void SetUp() override {
        PreviewTest::SetUp();
        kept.store.open_existing();
        form->set_histories(&kept.histories);
        form->keeping().set_store(&kept.store);
        form->keeping().restore();
        templates = std::make_unique<store::TemplateStore>(kept.store);
        template_window = std::make_unique<TFTemplates>(*form, templates.get());
        form->set_templates(templates.get(), template_window.get());
        journal = std::make_unique<TFJournal>(*form, &kept.store);
        form->set_journal(journal.get());
    }
    void TearDown() override {
        form->keeping().set_store(nullptr);
        form->set_histories(nullptr);
        form->set_journal(nullptr);
        form->set_templates(nullptr, nullptr);
        journal.reset();
        template_window.reset();
        templates.reset();
        PreviewTest::TearDown();
    }

    struct Opened {
        const char* name;
        std::function<HWND()> open;
    };
    // The windows beside the main one, each opened as its menu item does.
    std::vector<Opened> opened_windows() {
        return {
            {"preview", [&] { open_preview(); return preview->handle(); }},
            {"layouts", [&] { form->Action8Execute(); pump(); return template_window->handle(); }},
            {"journal", [&] { form->Action7Execute(); pump(); return journal->handle(); }},
        };
    }
    std::vector<Opened> every_resizable_window() {
        std::vector<Opened> all = {{"main", [&] { return form->handle(); }}};
        for (Opened& o : opened_windows()) all.push_back(std::move(o));
        return all;
    }

    RECT work_area() const {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(form->handle(), MONITOR_DEFAULTTONEAREST), &monitor);
        return monitor.rcWork;
    }
    void move_main_window(LONG x, LONG y) {
        SetWindowPos(form->handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        pump();
    }

    TestStore kept;
    std::unique_ptr<store::TemplateStore> templates;
    std::unique_ptr<TFTemplates> template_window;
    std::unique_ptr<TFJournal> journal;
};

// Grown, shrunk, maximised and restored, as a drag of its corner and its
// buttons would: each time the screen shows what a fresh paint would.
TEST_F(EveryWindow, IsDrawnAfterEachResizeAsAFreshPaintWouldDrawIt) {
    for (const Opened& o : every_resizable_window()) {
        HWND window = o.open();
        SetFocus(window);  // no caret blinking in the picture
        const RECT first = window_rect(window);
        const int w = first.right - first.left, h = first.bottom - first.top;
        const SIZE steps[] = {{w + 40, h + 30}, {w + 160, h + 120}, {w + 90, h + 60}, {w + 10, h + 5}};
        for (const SIZE& s : steps) {
            SetWindowPos(window, nullptr, 0, 0, s.cx, s.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            EXPECT_EQ(where_unlike_a_fresh_paint(window), "") << o.name << " at " << s.cx << "×" << s.cy;
        }
        ShowWindow(window, SW_MAXIMIZE);
        EXPECT_EQ(where_unlike_a_fresh_paint(window), "") << o.name << " maximised";
        ShowWindow(window, SW_RESTORE);
        EXPECT_EQ(where_unlike_a_fresh_paint(window), "") << o.name << " restored";
        SetWindowPos(window, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (window != form->handle()) ShowWindow(window, SW_HIDE);
    }
}

LRESULT CALLBACK count_frame_paints(HWND control, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                    DWORD_PTR count) {
    if (message == WM_NCPAINT) ++*reinterpret_cast<int*>(count);
    return DefSubclassProc(control, message, wparam, lparam);
}

// Shown for the first time, a window is drawn once: its first showing is
// no resize to draw again after, which would paint every frame twice and
// cost start-up its time.
TEST(FirstShowing, DrawsEachControlsFrameOnce) {
    init_common_controls();
    TFMain shown(nullptr);
    int frames = 0;
    SetWindowSubclass(shown.Disc2, count_frame_paints, 0, reinterpret_cast<DWORD_PTR>(&frames));
    ShowWindow(shown.handle(), SW_SHOWNORMAL);
    ASSERT_TRUE(pump_until([&] { return frames > 0 && !GetUpdateRect(shown.Disc2, nullptr, FALSE); }));
    pump();
    EXPECT_EQ(frames, 1);
    RemoveWindowSubclass(shown.Disc2, count_frame_paints, 0);
}

bool wholly_within(const RECT& inner, const RECT& outer) {
    RECT both;
    IntersectRect(&both, &inner, &outer);
    return EqualRect(&both, &inner);
}

// To the right of the main window where there is room, else to its left,
// else over it below its menu; each time wholly on the screen. Shown again
// unmoved, a window follows the main window; moved, it stays.
TEST_F(EveryWindow, OpensBesideTheMainWindowWhollyOnItsScreenAndNeverOverItsMenu) {
    const RECT work = work_area();
    const RECT main_at_first = window_rect(form->handle());
    const LONG main_width = main_at_first.right - main_at_first.left;
    for (const Opened& o : opened_windows()) {
        move_main_window(work.left + 10, work.top + 40);
        HWND window = o.open();
        RECT own = window_rect(window), main = window_rect(form->handle());
        EXPECT_EQ(own.left, main.right) << o.name << " on the right";
        EXPECT_EQ(own.top, main.top) << o.name << " on the right";
        ShowWindow(window, SW_HIDE);

        move_main_window(work.right - main_width - 5, work.top + 60);
        window = o.open();
        own = window_rect(window), main = window_rect(form->handle());
        EXPECT_EQ(own.right, main.left) << o.name << " on the left";
        EXPECT_EQ(own.top, main.top) << o.name << " on the left";
        EXPECT_TRUE(wholly_within(own, work)) << o.name << " on the left";
        ShowWindow(window, SW_HIDE);

        ShowWindow(form->handle(), SW_MAXIMIZE);
        pump();
        window = o.open();
        own = window_rect(window);
        EXPECT_GE(own.top, window_rect(form->ActionMainMenuBar1).bottom) << o.name << " over a maximised window";
        EXPECT_TRUE(wholly_within(own, work)) << o.name << " over a maximised window";
        ShowWindow(window, SW_HIDE);
        ShowWindow(form->handle(), SW_RESTORE);
        pump();

        window = o.open();
        SetWindowPos(window, nullptr, work.left + 30, work.top + 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        const RECT moved = window_rect(window);
        ShowWindow(window, SW_HIDE);
        move_main_window(work.left + 10, work.top + 40);
        window = o.open();
        own = window_rect(window);
        EXPECT_TRUE(EqualRect(&own, &moved)) << o.name << " moved by the user";
        ShowWindow(window, SW_HIDE);
    }
}

// Made as small as the system lets a user drag it: nothing overlaps, nothing
// leaves the window, no label is cut.
TEST_F(EveryWindow, HasALeastSizeAtWhichNothingOverlapsOrIsCut) {
    TFAbout about(form->handle());
    std::vector<Opened> windows = opened_windows();
    windows.push_back({"about", [&] {
                           ShowWindow(about.handle(), SW_SHOWNA);
                           return about.handle();
                       }});
    for (const Opened& o : windows) {
        HWND window = o.open();
        SetWindowPos(window, nullptr, 0, 0, 1, 1, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        pump();
        const SIZE client = client_size(window);
        EXPECT_GT(client.cx, 200) << o.name;
        EXPECT_GT(client.cy, 100) << o.name;
        EXPECT_EQ(overlapping_or_cut(window), "") << o.name;
        ShowWindow(window, SW_HIDE);
    }
}

// The journal's question about deleting is owned by the journal and stands
// over its middle, wherever the journal is.
// Another program's window taken to the front and left again: the focus is
// back in the control the user left, not on the window, where typing would
// go nowhere.
TEST_F(EveryWindow, GivesTheFocusBackToTheControlTheUserLeft) {
    HWND elsewhere = CreateWindowExW(0, L"Static", L"elsewhere", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                     nullptr, nullptr, nullptr, nullptr);
    const auto leave_and_come_back = [&](HWND window) {
        SetForegroundWindow(elsewhere);
        ASSERT_TRUE(pump_until([&] { return GetActiveWindow() == elsewhere; }));
        SetForegroundWindow(window);
        ASSERT_TRUE(pump_until([&] { return GetActiveWindow() == window; }));
    };
    // Not the preview: its post always has the focus.
    const std::vector<std::pair<Opened, HWND*>> left_in = {
        {every_resizable_window()[0], nullptr},
        {opened_windows()[1], &template_window->FullBox},
        {opened_windows()[2], &journal->ListView1},
    };
    for (const auto& [o, made] : left_in) {
        HWND window = o.open();
        HWND control = made ? *made : form->control("Memo1");
        SetForegroundWindow(window);
        SetFocus(control);
        ASSERT_TRUE(pump_until([&] { return GetFocus() == control; })) << o.name;
        leave_and_come_back(window);
        EXPECT_EQ(GetFocus(), control) << o.name;
    }
    // Left from the menu bar, highlighted by F10: back in the box it was entered from.
    SetForegroundWindow(form->handle());
    SetFocus(form->control("Memo1"));
    ASSERT_TRUE(pump_until([&] { return GetFocus() == form->control("Memo1"); }));
    SendMessageW(form->handle(), WM_SYSCOMMAND, SC_KEYMENU, 0);
    ASSERT_EQ(GetFocus(), form->ActionMainMenuBar1);
    leave_and_come_back(form->handle());
    EXPECT_EQ(GetFocus(), form->control("Memo1"));
    DestroyWindow(elsewhere);
}

TEST_F(EveryWindow, AQuestionStandsOverTheWindowThatAsks) {
    type(form->control("Edit2"), "Анна");
    click(form->Button1);
    HWND window = opened_windows()[2].open();
    const RECT work = work_area();
    SetWindowPos(window, nullptr, work.right - 700, work.bottom - 500, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ASSERT_EQ(ListView_GetItemCount(journal->ListView1), 1);
    ListView_SetItemState(journal->ListView1, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    RECT box{};
    HWND owner{};
    const MSG del{journal->ListView1, WM_KEYDOWN, VK_DELETE, 0, 0, {}};
    const Outcome outcome = run_steps({[&] { dispatch_message(del); },
                                       [&] {
                                           HWND asked = FindWindowW(L"#32770", kJournalTitle);
                                           if (!asked) return static_cast<void>(--detail::g_script->next);
                                           GetWindowRect(asked, &box);
                                           owner = GetWindow(asked, GW_OWNER);
                                           PostMessageW(asked, WM_COMMAND, IDNO, 0);
                                       }});
    EXPECT_TRUE(outcome.all_ran);
    EXPECT_EQ(owner, journal->handle());
    const RECT over = window_rect(journal->handle());
    EXPECT_LE(std::abs((box.left + box.right) - (over.left + over.right)), 2);
    EXPECT_LE(std::abs((box.top + box.bottom) - (over.top + over.bottom)), 2);
}

}  // namespace
}  // namespace tessivar::testing
