// The menu bar and its actions: what it offers, the keyboard and the mouse
// on it, its colours in the normal and a high-contrast look, and what each
// action does.
#include "form_fixture.h"
#include "on_screen.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "app/About.h"
#include "app/actions.h"
#include "fresh_store.h"
#include "form/menu_bar.h"
#include "recording_browser.h"
#include "timed_steps.h"

namespace tessivar::testing {
namespace {

std::vector<std::wstring> captions(HMENU menu) {
    std::vector<std::wstring> found;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        found.emplace_back(text);
    }
    return found;
}

bool is_highlighted(HMENU menu, int position) {
    return GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION) & MF_HILITE;
}

bool drop_down_shown() {
    HWND popup = FindWindowW(L"#32768", nullptr);
    return popup && IsWindowVisible(popup);
}

Step expect_open(HMENU items, int highlighted) {
    return [items, highlighted] {
        EXPECT_TRUE(drop_down_shown());
        EXPECT_TRUE(is_highlighted(items, highlighted));
    };
}

Step expect_focus_on(HWND window) {
    return [window] { EXPECT_EQ(GetFocus(), window); };
}

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kCream = RGB(255, 251, 240);
constexpr COLORREF kFace = RGB(240, 240, 240);
constexpr COLORREF kBlue = RGB(0, 120, 215);
constexpr COLORREF kGrey = RGB(109, 109, 109);
constexpr COLORREF kCyan = RGB(26, 235, 255);
constexpr COLORREF kGreen = RGB(63, 242, 63);

struct Look {
    const char* name;
    ColourSet colours;
    COLORREF band;  // what the bar's band must show
    COLORREF open;  // what an open title must show
};

// Dark text on light colours: the fixed white band, not the window's colour.
const Look kNormal = {
    "normal",
    {{COLOR_WINDOW, kCream}, {COLOR_WINDOWTEXT, kBlack}, {COLOR_BTNFACE, kFace}, {COLOR_HIGHLIGHT, kBlue},
     {COLOR_HIGHLIGHTTEXT, kWhite}, {COLOR_GRAYTEXT, kGrey}},
    kWhite,
    kFace,
};

// White text on black, as a high-contrast theme sets the system's colours.
const Look kHighContrast = {
    "high contrast",
    {{COLOR_WINDOW, kBlack}, {COLOR_WINDOWTEXT, kWhite}, {COLOR_BTNFACE, kBlack}, {COLOR_BTNTEXT, kWhite},
     {COLOR_MENU, kBlack}, {COLOR_MENUBAR, kBlack}, {COLOR_MENUTEXT, kWhite}, {COLOR_HIGHLIGHT, kCyan},
     {COLOR_HIGHLIGHTTEXT, kBlack}, {COLOR_GRAYTEXT, kGreen}},
    kBlack,
    kCyan,
};

// Readable on white but not on the button face an open title takes there.
const Look kBlackButtons = {
    "black buttons",
    {{COLOR_WINDOW, kWhite}, {COLOR_WINDOWTEXT, kBlack}, {COLOR_BTNFACE, kBlack}, {COLOR_BTNTEXT, kWhite},
     {COLOR_HIGHLIGHT, kBlue}, {COLOR_HIGHLIGHTTEXT, kWhite}, {COLOR_GRAYTEXT, kGrey}},
    kWhite,
    kBlue,
};

void expect_written(const char* what, const Snapshot& shown, const RECT& area, MenuColours colours) {
    SCOPED_TRACE(what);
    EXPECT_NE(colours.text, colours.fill);
    EXPECT_EQ(shown.commonest(area), colours.fill);
    EXPECT_TRUE(shown.shows(area, colours.text));
}

class MenuBarTest : public FormTest {
protected:
    MenuBarTest() : FormTest(main_menu()) {}

    void SetUp() override {
        FormTest::SetUp();
        about = std::make_unique<TFAbout>(nullptr);
        form->set_about(about.get());
        form->set_histories(&histories);
        SetCursorPos(0, 0);  // away from the bar and its drop-downs
        SetFocus(form->control("Edit2"));
        pump();
    }

    void TearDown() override {
        about.reset();
        FormTest::TearDown();
    }

    HWND bar() const { return form->ActionMainMenuBar1; }
    HMENU main_items() const { return GetSubMenu(menu_bar_menu(bar()), 0); }
    HMENU help_items() const { return GetSubMenu(menu_bar_menu(bar()), 1); }

    // Each title as the screen shows it on a band of `band`'s colour: left of
    // the heading, above the page control that covers the band's bottom edge.
    std::vector<RECT> shown_titles(const Snapshot& shown, COLORREF band) const {
        constexpr int kGap = 6;  // wider than between letters, narrower than between titles
        return shown.inked_spans(band_left_of_heading(), band, kGap);
    }
    RECT band_left_of_heading() const { return {0, 0, bounds_in_parent(form->Label12).left, 22}; }

    std::unique_ptr<TFAbout> about;
    TestStore kept;
    store::StoreHistories& histories = kept.histories;
};

TEST_F(MenuBarTest, TwoCaptionsWithTheirItemsInOrderNoneGreyed) {
    const HMENU menu = menu_bar_menu(bar());
    EXPECT_EQ(captions(menu), (std::vector<std::wstring>{L"Главное", L"Помощь"}));
    EXPECT_EQ(captions(main_items()),
              (std::vector<std::wstring>{L"Предварительный просмотр", L"Журнал описаний", L"Оформление описаний",
                                         L"Запоминать введённое", L"Выход"}));
    EXPECT_EQ(captions(help_items()),
              (std::vector<std::wstring>{L"О программе", L"Сайт программы", L"Сайт RTS Content"}));
    for (HMENU items : {main_items(), help_items()}) {
        for (int i = 0; i < GetMenuItemCount(items); ++i) {
            const UINT state = GetMenuState(items, static_cast<UINT>(i), MF_BYPOSITION);
            EXPECT_FALSE(state & MF_SEPARATOR);
            EXPECT_EQ(GetSubMenu(items, i), nullptr);
            EXPECT_FALSE(state & MF_GRAYED) << i;
        }
    }
}

TEST_F(MenuBarTest, LiesAlongTheTopUnderTheHeadingOutOfTheTabOrder) {
    const SIZE client = client_size(form->handle());
    RECT r = bounds_in_parent(bar());
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, client.cx);
    EXPECT_EQ(r.bottom, 24);
    EXPECT_FALSE(GetWindowLongW(bar(), GWL_STYLE) & WS_TABSTOP);

    // The heading lies in the bar's band: above it, and the bar clipped by it.
    EXPECT_TRUE(GetWindowLongW(bar(), GWL_STYLE) & WS_CLIPSIBLINGS);
    bool heading_above = false;
    for (HWND w = GetWindow(bar(), GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV)) {
        heading_above |= w == form->Label12;
    }
    EXPECT_TRUE(heading_above);

    RECT outer;
    GetWindowRect(form->handle(), &outer);
    SetWindowPos(form->handle(), nullptr, 0, 0, outer.right - outer.left + 100, outer.bottom - outer.top + 50,
                 SWP_NOMOVE | SWP_NOZORDER);
    pump();
    r = bounds_in_parent(bar());
    EXPECT_EQ(r.right, client.cx + 100);
    EXPECT_EQ(r.bottom, 24);
}

TEST_F(MenuBarTest, F10AndDownToTheLastItemChoosesExitWhichQuitsWithCodeZero) {
    const Outcome outcome = run_steps({press_menu_key(VK_F10), press(VK_DOWN), expect_open(main_items(), 0),
                                       press(VK_DOWN), press(VK_DOWN), press(VK_DOWN), press(VK_DOWN),
                                       expect_open(main_items(), 4), press(VK_RETURN)});
    EXPECT_TRUE(outcome.all_ran);
    EXPECT_TRUE(outcome.quit);
    EXPECT_EQ(outcome.exit_code, 0u);
}

TEST_F(MenuBarTest, AltHighlightsTheBarAndEscapeClosesTheDropDownThenLeavesTheBar) {
    const Outcome outcome = run_steps({
        press_menu_key(VK_MENU), expect_focus_on(bar()),
        press(VK_RETURN), expect_open(main_items(), 0),
        press(VK_ESCAPE), [] { EXPECT_FALSE(drop_down_shown()); }, expect_focus_on(bar()),
        press(VK_ESCAPE), expect_focus_on(form->control("Edit2")),
    });
    EXPECT_TRUE(outcome.all_ran);
    EXPECT_FALSE(outcome.quit);
}

TEST_F(MenuBarTest, ArrowsMoveBetweenCaptionsOnTheBarAndInAnOpenDropDown) {
    const Outcome outcome = run_steps({
        press_menu_key(VK_F10), press(VK_LEFT), press(VK_DOWN), expect_open(help_items(), 0),  // wraps round
        press(VK_LEFT), expect_open(main_items(), 0),
        press(VK_RIGHT), expect_open(help_items(), 0),
        press(VK_RETURN),
        [this] {
            EXPECT_TRUE(IsWindowVisible(about->handle()));
            PostMessageW(about->handle(), WM_CLOSE, 0, 0);
        },
    });
    EXPECT_TRUE(outcome.all_ran);
    EXPECT_FALSE(IsWindowVisible(about->handle()));
    EXPECT_TRUE(IsWindowEnabled(form->handle()));
}

TEST_F(MenuBarTest, ThePaletteNeverWritesTextInItsBackgroundsColour) {
    for (const Look* look : {&kNormal, &kHighContrast, &kBlackButtons}) {
        SCOPED_TRACE(look->name);
        const SystemColours theme(look->colours);
        const MenuPalette palette = menu_palette();
        EXPECT_EQ(palette.band.fill, look->band);
        EXPECT_EQ(palette.open.fill, look->open);
        EXPECT_NE(palette.band.text, palette.band.fill);
        EXPECT_NE(palette.hot.text, palette.hot.fill);
        EXPECT_NE(palette.open.text, palette.open.fill);
        EXPECT_NE(palette.greyed_text, palette.band.fill);
    }
}

TEST_F(MenuBarTest, TheBandItsCaptionsAndTheHeadingShowInThePalettesColours) {
    const SIZE heading = client_size(form->Label12);
    for (const Look* look : {&kNormal, &kHighContrast}) {
        SCOPED_TRACE(look->name);
        const SystemColours theme(look->colours);
        const MenuPalette palette = menu_palette();
        {
            const Snapshot shown(bar());
            EXPECT_EQ(shown.commonest(band_left_of_heading()), look->band);
            const std::vector<RECT> titles = shown_titles(shown, look->band);
            EXPECT_EQ(titles.size(), 2u);
            for (const RECT& title : titles) EXPECT_TRUE(shown.shows(title, palette.band.text));
        }
        expect_written("heading", Snapshot(form->Label12), {0, 0, heading.cx, heading.cy}, palette.band);

        SendMessageW(bar(), WM_MOUSEMOVE, 0, MAKELPARAM(4, 12));
        const Snapshot hot(bar());
        const std::vector<RECT> titles = shown_titles(hot, look->band);
        ASSERT_FALSE(titles.empty());
        expect_written("title under the mouse", hot, titles.front(), palette.hot);
        SendMessageW(bar(), WM_MOUSELEAVE, 0, 0);
    }
}

TEST_F(MenuBarTest, AnOpenDropDownShowsItsItemsInThePalettesColours) {
    const auto item = [this](HWND popup, int position) {
        RECT r{};
        GetMenuItemRect(nullptr, main_items(), static_cast<UINT>(position), &r);
        MapWindowPoints(HWND_DESKTOP, popup, reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    for (const Look* look : {&kNormal, &kHighContrast}) {
        SCOPED_TRACE(look->name);
        const SystemColours theme(look->colours);
        const MenuPalette palette = menu_palette();
        const Outcome outcome = run_steps({
            press_menu_key(VK_F10), press(VK_DOWN),
            [&] {
                const Snapshot bar_shown(bar());
                const std::vector<RECT> titles = shown_titles(bar_shown, look->band);
                ASSERT_FALSE(titles.empty());
                expect_written("open title", bar_shown, titles.front(), palette.open);

                const HWND popup = FindWindowW(L"#32768", nullptr);
                const Snapshot shown(popup);
                expect_written("first item, selected", shown, item(popup, 0), palette.hot);
                expect_written("item", shown, item(popup, 2), palette.band);
                // Only the setting that is on shows a tick, left of its text.
                for (int i = 0; i < 5; ++i) {
                    const RECT r = item(popup, i);
                    EXPECT_EQ(shown.shows({r.left, r.top, r.left + 20, r.bottom}, palette.band.text), i == 3) << i;
                }
                // The margin beside the items.
                const RECT first = item(popup, 0), last = item(popup, 4);
                EXPECT_EQ(shown.commonest({first.left - 1, first.top, first.left, last.bottom}), look->band);
            },
            press(VK_DOWN),
            [&] {
                const HWND popup = FindWindowW(L"#32768", nullptr);
                expect_written("selected item", Snapshot(popup), item(popup, 1), palette.hot);
            },
            press(VK_ESCAPE), press(VK_ESCAPE),
        });
        EXPECT_TRUE(outcome.all_ran);
    }
}

TEST_F(MenuBarTest, RememberingIsTickedByTheStoresSettingAndChoosingItTurnsItOff) {
    const auto expect_ticked = [this](bool on) {
        return [this, on] { EXPECT_EQ(static_cast<bool>(GetMenuState(main_items(), 3, MF_BYPOSITION) & MF_CHECKED), on); };
    };
    const Outcome outcome = run_steps({
        press_menu_key(VK_F10), press(VK_DOWN), expect_ticked(true), press(VK_DOWN), press(VK_DOWN), press(VK_DOWN),
        press(VK_RETURN),
        [this] { EXPECT_FALSE(histories.remembering()); },
        press_menu_key(VK_F10), press(VK_DOWN), expect_ticked(false), press(VK_ESCAPE), press(VK_ESCAPE),
        // Turned on from another window, the item follows when next opened.
        [this] {
            store::Store another_copy(kept.path);
            EXPECT_TRUE(store::StoreHistories(another_copy).set_remembering(true));
        },
        press_menu_key(VK_F10), press(VK_DOWN), expect_ticked(true), press(VK_ESCAPE), press(VK_ESCAPE),
    });
    EXPECT_TRUE(outcome.all_ran);
    EXPECT_FALSE(outcome.quit);
}

TEST_F(MenuBarTest, AColourOrThemeChangeRepaintsTheBarAndTheHeading) {
    for (UINT message : {WM_SYSCOLORCHANGE, WM_SETTINGCHANGE}) {
        ValidateRect(bar(), nullptr);
        ValidateRect(form->Label12, nullptr);
        SendMessageW(form->handle(), message, 0, 0);
        EXPECT_TRUE(GetUpdateRect(bar(), nullptr, FALSE)) << message;
        EXPECT_TRUE(GetUpdateRect(form->Label12, nullptr, FALSE)) << message;
    }
}

TEST_F(FormTest, WithoutAMenuTheBarIsABareBandThatF10PassesBy) {
    EXPECT_EQ(GetMenuItemCount(menu_bar_menu(form->ActionMainMenuBar1)), 0);
    // The focus first on the box, set again until it holds.
    const Step focus_on_the_box = [this] {
        if (GetFocus() == form->control("Edit2")) return;
        SetFocus(form->control("Edit2"));
        --detail::g_script->next;
    };
    // Back on the box once F10 has passed by; Wine's look for a menu may
    // hold it a moment on a busy machine. Where something outside took the
    // window's activation, the focus went with it, not to the bar, and is
    // given back as a click would; on the bar, the steps never all run.
    const Step back_on_the_box = [this] {
        if (GetFocus() == form->control("Edit2")) return;
        if (GetActiveWindow() != form->handle()) SetFocus(form->control("Edit2"));
        --detail::g_script->next;
    };
    const Outcome outcome = run_steps({focus_on_the_box, press_menu_key(VK_F10), back_on_the_box});
    EXPECT_TRUE(outcome.all_ran);
}

void expect_still_usable(const TFMain& form) {
    EXPECT_TRUE(IsWindowEnabled(form.handle()));
    const std::string before = text_of(form.Disc1);
    click(form.Button1);
    EXPECT_NE(text_of(form.Disc1), before);
}

TEST_F(MenuBarTest, TheProgramsSiteChosenWithTheMouseGoesToTheShellAsItsFixedAddress) {
    RecordingBrowser browser;
    const Outcome outcome = run_steps({
        [this] { PostMessageW(bar(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 12)); },
        [this] {  // on the first caption: dropped down, nothing chosen yet
            EXPECT_TRUE(drop_down_shown());
            EXPECT_FALSE(is_highlighted(main_items(), 0) || is_highlighted(main_items(), 1));
        },
        press(VK_RIGHT), press(VK_DOWN), expect_open(help_items(), 1), press(VK_RETURN),
    });
    EXPECT_TRUE(outcome.all_ran);
    EXPECT_EQ(browser.address(), "https://varnhold.example/forum/66");
    expect_still_usable(*form);
}

TEST_F(MenuBarTest, TheContentSiteGoesToTheShellAsItsFixedAddress) {
    RecordingBrowser browser;
    form->Action5Execute();
    EXPECT_EQ(browser.address(), "https://rts-content.example") << "the site's root";
    expect_still_usable(*form);
}

}  // namespace
}  // namespace tessivar::testing
