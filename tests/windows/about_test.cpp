// The About window: its text, its memo, and its showing modally over the
// main window, owned as the program owns it.
#include "form_fixture.h"
#include "on_screen.h"

#include "app/About.h"
#include "timed_steps.h"

namespace tessivar::testing {
namespace {

constexpr const char* kLines[] = {
    "Программа предназначена для быстрого формирования кода для описания контента сайта.",
    "",
    "В след версии будет:",
    "- Файл базы данных: ",
    "Он будет хранить настройки, а так же некоторую ",
    "информацию для быстрого заполнения данных. ",
    "Так же будет хранить информацию о прошлом ",
    "заполнении полей.",
    "- Предварительный просмотр кода",
    "- Оформление карт CS по просьбе.",
    "- Автоматическая проверка новой версии.",
    "",
    "Ver 1.2 (1.0.1.4): ",
    "- В картах можно указывать источник откуда она была взята.",
    "- Кнопка \"Очистить\" для очистки данных на форме",
    "- В подробном описании вставляется информационная программная строка.",
    "- Кнопки для быстрого копирования сформированного текста.",
    "",
    "Ver 1.3 (1.0.2.5): ",
    "- Добавлена форма оформления звуковых файлов",
    "- Добавлено вверхнее меню.",
    "- \"О программе\" теперь в отдельной форме.",
    "- Главную форму теперь можно разворачивать на полный экран.",
};

SIZE outer_size(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

void resize(HWND window, SIZE outer) {
    SetWindowPos(window, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    pump();
}

// As the program makes them: both windows owned by the application window.
class AboutTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { init_common_controls(); }

    void SetUp() override {
        application = std::make_unique<Application>(L"Tessivar");
        form = std::make_unique<TFMain>(application->handle());
        about = std::make_unique<TFAbout>(application->handle());
        form->set_about(about.get());
        ShowWindow(form->handle(), SW_SHOWNORMAL);
        pump();
    }

    void TearDown() override {
        about.reset();
        form.reset();
        application.reset();
        pump();
    }

    // Shows About from its action and runs `while_shown` in it; the last
    // step closes it as the user would.
    Outcome show_about(std::vector<Step> while_shown) {
        std::vector<Step> steps = {[this] { form->Action1Execute(); }};
        steps.insert(steps.end(), while_shown.begin(), while_shown.end());
        steps.push_back([this] { PostMessageW(about->handle(), WM_CLOSE, 0, 0); });
        return run_steps(std::move(steps));
    }

    std::unique_ptr<Application> application;
    std::unique_ptr<TFMain> form;
    std::unique_ptr<TFAbout> about;
};

TEST_F(AboutTest, StartsHiddenWhereItWasDesignedOwnedByTheApplication) {
    const HWND window = about->handle();
    EXPECT_FALSE(IsWindowVisible(window));
    RECT r;
    GetWindowRect(window, &r);
    const int dpi = window_dpi(window);  // the design's 96 scaled; the frame is the system's
    EXPECT_EQ(r.left, MulDiv(192, dpi, 96));
    EXPECT_EQ(r.top, MulDiv(113, dpi, 96));
    const SIZE client = client_size(window);
    EXPECT_EQ(client.cx, MulDiv(632, dpi, 96));
    EXPECT_EQ(client.cy, MulDiv(447, dpi, 96));
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(about->Memo6, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -MulDiv(8, dpi, 72)) << "8 pt at " << dpi << " dpi";
    EXPECT_EQ(GetWindow(window, GW_OWNER), application->handle());
    wchar_t caption[32] = {};
    GetWindowTextW(window, caption, 32);
    EXPECT_STREQ(caption, L"О программе");
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & WS_OVERLAPPEDWINDOW, static_cast<LONG>(WS_OVERLAPPEDWINDOW));
    EXPECT_TRUE(GetClassLongPtrW(window, GCLP_HICON));
}

TEST_F(AboutTest, Memo6HoldsTheTwentyThreeLinesEachEndedByCrLf) {
    std::string expected;
    for (const char* line : kLines) expected += std::string(line) + "\r\n";
    EXPECT_EQ(text_of(about->Memo6), expected);
}

TEST_F(AboutTest, Memo6IsReadOnlyButSelectableAndWrapsWithoutBarsOrBorder) {
    const HWND memo = about->Memo6;
    const LONG style = GetWindowLongW(memo, GWL_STYLE);
    EXPECT_TRUE(style & ES_READONLY);
    EXPECT_TRUE(style & WS_TABSTOP);
    EXPECT_FALSE(style & (ES_AUTOHSCROLL | WS_HSCROLL | WS_VSCROLL | WS_BORDER));
    EXPECT_FALSE(GetWindowLongW(memo, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);

    const std::string text = text_of(memo);
    SendMessageW(memo, EM_SETSEL, 5, 20);
    DWORD start = 0, end = 0;
    SendMessageW(memo, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 5u);
    EXPECT_EQ(end, 20u);
    SendMessageW(memo, WM_CHAR, L'x', 0);
    EXPECT_EQ(text_of(memo), text);

    // 23 lines and the empty one after the last CR LF fit the designed width.
    EXPECT_EQ(SendMessageW(memo, EM_GETLINECOUNT, 0, 0), 24);
    resize(about->handle(), {320, 480});
    EXPECT_GT(SendMessageW(memo, EM_GETLINECOUNT, 0, 0), 24);
}

TEST_F(AboutTest, Memo6FillsTheWindowLessItsMarginsAndGrowsWithIt) {
    const SIZE client = client_size(about->handle());
    RECT r = bounds_in_parent(about->Memo6);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, client.cx - 6);
    EXPECT_EQ(r.bottom, client.cy - 2);

    const SIZE outer = outer_size(about->handle());
    resize(about->handle(), {outer.cx + 100, outer.cy + 100});
    const RECT grown = bounds_in_parent(about->Memo6);
    EXPECT_EQ(grown.right - grown.left, r.right - r.left + 100);
    EXPECT_EQ(grown.bottom - grown.top, r.bottom - r.top + 100);

    // Dragged to a monitor of 150 %: the system's rectangle, the margins
    // and the font at the new density.
    RECT suggested = {100, 100, 100 + 960, 100 + 720};
    SendMessageW(about->handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    pump();
    RECT now;
    GetWindowRect(about->handle(), &now);
    EXPECT_TRUE(EqualRect(&now, &suggested));
    const SIZE scaled_client = client_size(about->handle());
    const RECT scaled = bounds_in_parent(about->Memo6);
    EXPECT_EQ(scaled.right, scaled_client.cx - 9);
    EXPECT_EQ(scaled.bottom, scaled_client.cy - 3);
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(about->Memo6, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -16);
}

TEST_F(AboutTest, Memo6ShowsTheMenuBarColour) {
    constexpr COLORREF kMenuBar = RGB(32, 96, 160);  // unlike any other colour of the window
    const SystemColours colours({{COLOR_MENUBAR, kMenuBar}});
    ShowWindow(about->handle(), SW_SHOWNA);
    const Snapshot shown(about->Memo6);
    RECT area;
    GetClientRect(about->Memo6, &area);
    EXPECT_EQ(shown.commonest(area), kMenuBar);
    EXPECT_TRUE(shown.shows(area, GetSysColor(COLOR_WINDOWTEXT)));
}

TEST_F(AboutTest, ShowsModallyAndGivesTheMainWindowBackWhenClosed) {
    SetFocus(form->control("Edit2"));
    bool returned = false, checked = false;
    const Outcome outcome = run_steps({
        [&] {
            form->Action1Execute();
            returned = true;
        },
        [&] {
            EXPECT_FALSE(returned);
            EXPECT_TRUE(IsWindowVisible(about->handle()));
            EXPECT_FALSE(IsWindowEnabled(form->handle()));
            EXPECT_FALSE(IsWindowEnabled(application->handle()));
            EXPECT_EQ(GetFocus(), about->Memo6);
            checked = true;
        },
        [&] { PostMessageW(about->handle(), WM_CLOSE, 0, 0); },
    });
    EXPECT_TRUE(outcome.all_ran);
    EXPECT_TRUE(checked);
    EXPECT_TRUE(returned);
    EXPECT_TRUE(IsWindow(about->handle()));
    EXPECT_FALSE(IsWindowVisible(about->handle()));
    EXPECT_TRUE(IsWindowEnabled(form->handle()));
    EXPECT_TRUE(IsWindowEnabled(application->handle()));
    EXPECT_EQ(GetActiveWindow(), form->handle());
    EXPECT_EQ(GetFocus(), form->control("Edit2"));

    const std::string before = text_of(form->Disc1);
    click(form->Button1);
    EXPECT_NE(text_of(form->Disc1), before);
}

TEST_F(AboutTest, ASecondShowingKeepsThePlaceAndSizeTheUserGaveIt) {
    show_about({[this] { SetWindowPos(about->handle(), nullptr, 250, 150, 700, 520, SWP_NOZORDER); }});
    RECT shown{};
    show_about({[&] { GetWindowRect(about->handle(), &shown); }});
    EXPECT_EQ(shown.left, 250);
    EXPECT_EQ(shown.top, 150);
    EXPECT_EQ(shown.right - shown.left, 700);
    EXPECT_EQ(shown.bottom - shown.top, 520);
}

TEST_F(AboutTest, AQuitWhileShownClosesItAndReachesTheMainLoop) {
    const Outcome outcome = run_steps({[this] { form->Action1Execute(); }, [] { PostQuitMessage(3); }});
    EXPECT_TRUE(outcome.quit);
    EXPECT_EQ(outcome.exit_code, 3u);
    EXPECT_FALSE(IsWindowVisible(about->handle()));
    EXPECT_TRUE(IsWindowEnabled(form->handle()));
}

}  // namespace
}  // namespace tessivar::testing
