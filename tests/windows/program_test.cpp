// Tessivar.exe started as a user starts it, driven from outside its process.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>
#include <commctrl.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "beside_this_program.h"
#include "eventually.h"
#include "fresh_store.h"
#include "loopback_server.h"
#include "test_key.h"
#include "win32/window_kit.h"
#include "output/win32_text.h"
#include "pictures/picture_rules.h"
#include "store/histories.h"
#include "store/kept.h"
#include "store/templates.h"
#include "tests/bench/description_text.h"

namespace tessivar {
namespace {

using testing::beside_this_program;

// The tests are built one folder below the program.
const std::wstring program_path = beside_this_program(L"..\\Tessivar.exe");


struct Running {
    PROCESS_INFORMATION process{};
    HWND main_window{};
    ~Running() {
        if (!process.hProcess) return;
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
};

// A visible top-level window of the class, made by the process.
HWND visible_window_of(DWORD process_id, const wchar_t* window_class) {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, window_class, nullptr))) {
        DWORD owner_process = 0;
        GetWindowThreadProcessId(window, &owner_process);
        if (owner_process == process_id && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

// The process's window of the class, once it is shown.
HWND shown_window_of(DWORD process_id, const wchar_t* window_class) {
    HWND found = nullptr;
    testing::eventually([&] { return (found = visible_window_of(process_id, window_class)) != nullptr; });
    return found;
}

HWND find_main_window(DWORD process_id) { return shown_window_of(process_id, L"TFMain"); }

// Every program a test starts keeps its file in the test's own %APPDATA%.
void start(Running& running, WORD show, const std::wstring& program = program_path) {
    ASSERT_TRUE(testing::FreshAppData::in_use()) << "declare a FreshAppData first";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = show;
    std::wstring command = L"\"" + program + L"\"";
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &running.process))
        << "cannot start " << narrow(program);
    WaitForInputIdle(running.process.hProcess, 10'000);
    running.main_window = find_main_window(running.process.dwProcessId);
    ASSERT_TRUE(running.main_window);
}

DWORD close_and_wait(Running& running) {
    PostMessageW(running.main_window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(running.process.hProcess, 10'000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(running.process.hProcess, &code);
    return code;
}

std::vector<HWND> descendants(HWND parent) {
    std::vector<HWND> found;
    EnumChildWindows(parent, [](HWND child, LPARAM list) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&found));
    return found;
}

// GetWindowText does not ask a control of another process for its text.
std::string text_of(HWND control) {
    const auto length = SendMessageW(control, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const auto got = SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(got));
    return narrow(text);
}

bool is_visible_with_text(HWND control, std::string_view text) {
    return IsWindowVisible(control) && text_of(control) == text;
}

HWND visible_with_text(HWND main_window, std::string_view text) {
    for (HWND control : descendants(main_window)) {
        if (is_visible_with_text(control, text)) return control;
    }
    return nullptr;
}

// The highest multi-line box among the main window's own children whose
// rectangle `fits`.
template <typename Fits>
HWND highest_pane(HWND main_window, Fits fits) {
    HWND best = nullptr;
    LONG best_top = LONG_MAX;
    for (HWND control : descendants(main_window)) {
        wchar_t name[16] = {};
        GetClassNameW(control, name, 16);
        RECT r;
        GetWindowRect(control, &r);
        const bool multiline = GetWindowLongW(control, GWL_STYLE) & ES_MULTILINE;
        if (lstrcmpiW(name, L"Edit") == 0 && multiline && GetParent(control) == main_window && fits(r) &&
            r.top < best_top) {
            best = control;
            best_top = r.top;
        }
    }
    return best;
}

// The short description pane: the upper of the two multi-line boxes beside the tabs.
HWND short_pane(HWND main_window) {
    return highest_pane(main_window, [](const RECT&) { return true; });
}

TEST(Program, StartsWithItsTitlesAndMakesADescriptionAndEndsWithCodeZero) {
    const testing::FreshAppData appdata;
    Running running;
    start(running, SW_SHOWNORMAL);
    wchar_t caption[32] = {}, title[32] = {};
    GetWindowTextW(running.main_window, caption, 32);
    GetWindowTextW(GetWindow(running.main_window, GW_OWNER), title, 32);
    EXPECT_STREQ(caption, L"Tessivar.");
    EXPECT_STREQ(title, L"Tessivar");
    EXPECT_FALSE(IsZoomed(running.main_window));

    HWND author = visible_with_text(running.main_window, "Неизвестен");
    HWND generate = visible_with_text(running.main_window, "Сформировать код");
    ASSERT_TRUE(author && generate);
    const std::wstring name = L"Пётр [b]";
    SendMessageW(author, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    SendMessageW(generate, BM_CLICK, 0, 0);
    const std::string described = text_of(short_pane(running.main_window));
    EXPECT_EQ(described.substr(0, described.find("\r\n")), "[color=Grey]Автор карты:[/color] [color=red]Пётр [b][/color]");

    EXPECT_EQ(close_and_wait(running), 0u);
}

bool has_loaded(const Running& running, const wchar_t* module) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, running.process.dwProcessId);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Module32FirstW(snapshot, &entry); more && !found; more = Module32NextW(snapshot, &entry)) {
        found = lstrcmpiW(entry.szModule, module) == 0;
    }
    CloseHandle(snapshot);
    return found;
}

HWND visible_of_class(HWND main_window, const wchar_t* window_class, DWORD style = 0) {
    for (HWND control : descendants(main_window)) {
        wchar_t name[32] = {};
        GetClassNameW(control, name, 32);
        const DWORD has = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
        if (IsWindowVisible(control) && lstrcmpiW(name, window_class) == 0 && (has & style) == style) return control;
    }
    return nullptr;
}

// The date toggle names itself through the system's annotation service,
// which lives in oleacc.dll and is reached only once a screen reader asks
// (Wine loads ole32 at start-up anyway). Where the service cannot annotate
// (Wine 8 answers E_NOTIMPL), the question changes nothing else.
TEST(Program, ReachesTheAnnotationServiceOnlyOnceAScreenReaderAsksAndItsDateToggleWorksOn) {
    const testing::FreshAppData appdata;
    Running running;
    start(running, SW_SHOWNORMAL);
    ASSERT_TRUE(has_loaded(running, L"user32.dll")) << "modules of another process are read";
    EXPECT_FALSE(has_loaded(running, L"oleacc.dll"));

    HWND toggle = visible_of_class(running.main_window, L"Button", BS_AUTOCHECKBOX);
    HWND picker = visible_of_class(running.main_window, L"SysDateTimePick32");
    ASSERT_TRUE(toggle && picker);
    SendMessageW(toggle, WM_GETOBJECT, 0, static_cast<LPARAM>(static_cast<DWORD>(OBJID_CLIENT)));
    EXPECT_TRUE(has_loaded(running, L"oleacc.dll"));
    SendMessageW(toggle, BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindowEnabled(picker));
    SendMessageW(toggle, BM_CLICK, 0, 0);
    EXPECT_TRUE(IsWindowEnabled(picker));

    EXPECT_EQ(close_and_wait(running), 0u);
}

// Sets a DWORD under HKCU\Control Panel\Desktop while alive, then puts back
// what was there.
class DesktopSetting {
public:
    DesktopSetting(const wchar_t* name, DWORD value) : name_(name) {
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                        nullptr);
        DWORD size = sizeof saved_;
        had_ = RegQueryValueExW(key_, name_, nullptr, nullptr, reinterpret_cast<BYTE*>(&saved_), &size) == ERROR_SUCCESS;
        RegSetValueExW(key_, name_, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    }
    ~DesktopSetting() {
        if (had_) {
            RegSetValueExW(key_, name_, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&saved_), sizeof saved_);
        } else {
            RegDeleteValueW(key_, name_);
        }
        RegCloseKey(key_);
    }

private:
    const wchar_t* name_;
    HKEY key_{};
    DWORD saved_ = 0;
    bool had_ = false;
};

// As Windows does, and Wine once this value is set, the system stretches a
// program's bitmap unless it asks to lay itself out at each monitor's density.
TEST(Program, AsksToBeLaidOutAtEachMonitorsDensity) {
    const testing::FreshAppData appdata;
    const DesktopSetting like_windows(L"DpiScalingVer", 0x1018);
    Running running;
    start(running, SW_SHOWNORMAL);
    HMODULE user32 = GetModuleHandleW(L"user32");
    const auto context_of = system_function<HANDLE WINAPI(HWND)>(user32, "GetWindowDpiAwarenessContext");
    const auto awareness_of = system_function<int WINAPI(HANDLE)>(user32, "GetAwarenessFromDpiAwarenessContext");
    ASSERT_TRUE(context_of && awareness_of);
    constexpr int kPerMonitorAware = 2;
    EXPECT_EQ(awareness_of(context_of(running.main_window)), kPerMonitorAware);
    EXPECT_EQ(close_and_wait(running), 0u);
}

HWND preview_of(const Running& running) { return shown_window_of(running.process.dwProcessId, L"TFPreview"); }

HWND focus_of(const Running& running) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(running.process.dwThreadId, &info) ? info.hwndFocus : nullptr;
}

// Chooses the `item`th of "Главное" (1, "Предварительный просмотр"; 2,
// "Журнал описаний") from the keyboard: F10, Down, one Down more for each
// item after the first, Enter, each key once the one before has done its
// work: the bar has the focus, then its drop-down (which starts on its
// first item) is shown.
void choose_from_the_main_menu(const Running& running, int item) {
    HWND bar = FindWindowExW(running.main_window, nullptr, L"TActionMainMenuBar", nullptr);
    ASSERT_TRUE(bar);
    PostMessageW(running.main_window, WM_SYSCOMMAND, SC_KEYMENU, 0);
    ASSERT_TRUE(testing::eventually([&] { return focus_of(running) == bar; }));
    PostMessageW(bar, WM_KEYDOWN, VK_DOWN, 0);
    ASSERT_TRUE(shown_window_of(running.process.dwProcessId, L"#32768")) << "the drop-down";
    for (int i = 1; i < item; ++i) PostMessageW(bar, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(bar, WM_KEYDOWN, VK_RETURN, 0);
}

void open_preview_from_the_menu(const Running& running) { choose_from_the_main_menu(running, 1); }

// Whether a window handles a message sent to it within `ms`: one that
// waited on the network for a picture would not, the loader's own time
// limit being longer.
bool answers_within(HWND window, DWORD ms) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, ms, &result) != 0;
}
constexpr DWORD kWellWithinTheNetworkLimit = pictures::kTimeLimitMs / 2;

TEST(Program, AnswersWhilePicturesLoadFromASilentServerAndExitsWithoutWaitingForIt) {
    const testing::FreshAppData appdata;
    testing::LoopbackServer silent([](testing::LoopbackServer& server, SOCKET, const std::string&) {
        server.wait_for_stop();
    });
    Running running;
    start(running, SW_SHOWNORMAL);
    std::string pictures;
    for (int i = 0; i < 20; ++i) pictures += "[img]" + silent.address("/slow/" + std::to_string(i)) + "[/img]\r\n";
    const std::wstring text = widen(pictures);
    SendMessageW(short_pane(running.main_window), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    open_preview_from_the_menu(running);
    const HWND preview = preview_of(running);
    ASSERT_TRUE(preview);
    // The loads are under way, and the server answers none of them.
    EXPECT_TRUE(testing::eventually([&] { return silent.requests().size() >= 6; }));
    for (int i = 0; i < 10; ++i) {
        EXPECT_TRUE(answers_within(running.main_window, kWellWithinTheNetworkLimit));
        EXPECT_TRUE(answers_within(preview, kWellWithinTheNetworkLimit));
    }

    PostMessageW(running.main_window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(running.process.hProcess, kWellWithinTheNetworkLimit), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(running.process.hProcess, &code);
    EXPECT_EQ(code, 0u);
}

// The full description: the multi-line box under the short one, in line with it.
HWND full_pane(HWND main_window) {
    RECT short_box;
    GetWindowRect(short_pane(main_window), &short_box);
    return highest_pane(main_window,
                        [&](const RECT& r) { return r.left == short_box.left && r.top > short_box.top; });
}

// How long each of the rendering's steps may hold the windows is measured
// by press_bench on the same pane; here, that they answer through it and
// that it ends showing what it should.
TEST(Program, BothWindowsAnswerThroughThePreviewOfAPastedPaneOfMegabytes) {
    const testing::FreshAppData appdata;
    Running running;
    start(running, SW_SHOWNORMAL);
    open_preview_from_the_menu(running);
    const HWND preview = preview_of(running);
    ASSERT_TRUE(preview);
    HWND first = nullptr;
    testing::eventually([&] { return (first = visible_of_class(preview, L"RICHEDIT50W")) != nullptr; });
    ASSERT_TRUE(first);

    const std::wstring pasted = widen(bench::make_pasted_pane());
    const HWND full = full_pane(running.main_window);
    ASSERT_TRUE(full && full != short_pane(running.main_window));
    // Pasted in pieces: a message to another process carries at most about a megabyte.
    SendMessageW(full, EM_SETSEL, 0, -1);
    constexpr std::size_t kPiece = 1 << 16;
    for (std::size_t at = 0; at < pasted.size(); at += kPiece) {
        const std::wstring piece = pasted.substr(at, kPiece);
        SendMessageW(full, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(piece.c_str()));
    }
    ASSERT_EQ(static_cast<std::size_t>(SendMessageW(full, WM_GETTEXTLENGTH, 0, 0)), pasted.size());

    // Asked again and again until the preview shows the new rendering.
    HWND shown = first;
    bool answered = true;
    testing::eventually([&] {
        answered = answered && answers_within(running.main_window, testing::kGenerousMs) &&
                   answers_within(preview, testing::kGenerousMs);
        if (HWND now = visible_of_class(preview, L"RICHEDIT50W")) shown = now;
        return shown != first || !answered;
    }, 120'000);
    EXPECT_TRUE(answered);
    ASSERT_NE(shown, first) << "the rendering ends";
    const std::string text = text_of(shown);
    EXPECT_NE(text.find("[b][b][b]"), std::string::npos);  // past 64 tags open at once, as typed
    EXPECT_NE(text.find("Дальше не показано: ещё "), std::string::npos);
    EXPECT_EQ(close_and_wait(running), 0u);
}

TEST(Program, StartedMaximisedOpensMaximised) {
    const testing::FreshAppData appdata;
    Running running;
    start(running, SW_SHOWMAXIMIZED);
    EXPECT_TRUE(IsZoomed(running.main_window));
    EXPECT_EQ(close_and_wait(running), 0u);
}

// The program's own key, HKCU\Software\Tessivar, empty for one test; what
// it held before is kept aside in the test's key and comes back after.
class ProgramKeyAside {
public:
    ProgramKeyAside() {
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kPath, 0, KEY_READ, &saved_) == ERROR_SUCCESS) {
            HKEY aside{};
            RegCreateKeyExW(HKEY_CURRENT_USER, aside_.path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &aside,
                            nullptr);
            RegCopyTreeW(saved_, nullptr, aside);
            RegCloseKey(aside);
            RegCloseKey(saved_);
            had_ = true;
        }
        RegDeleteTreeW(HKEY_CURRENT_USER, kPath);
        RegDeleteKeyW(HKEY_CURRENT_USER, kPath);
    }
    ~ProgramKeyAside() {
        RegDeleteTreeW(HKEY_CURRENT_USER, kPath);
        RegDeleteKeyW(HKEY_CURRENT_USER, kPath);
        if (!had_) return;
        HKEY key{}, aside{};
        RegCreateKeyExW(HKEY_CURRENT_USER, kPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        RegOpenKeyExW(HKEY_CURRENT_USER, aside_.path.c_str(), 0, KEY_READ, &aside);
        RegCopyTreeW(aside, nullptr, key);
        RegCloseKey(aside);
        RegCloseKey(key);
    }
    ProgramKeyAside(const ProgramKeyAside&) = delete;
    ProgramKeyAside& operator=(const ProgramKeyAside&) = delete;

    static constexpr wchar_t kPath[] = L"Software\\Tessivar";

private:
    testing::TestKey aside_;
    HKEY saved_{};
    bool had_ = false;
};

// The maps tab's rules as a running program last kept them in its file.
std::string kept_rules(const std::filesystem::path& database) {
    if (!std::filesystem::exists(database)) return {};
    const std::u8string path = database.u8string();
    store::Database file = store::Database::open(std::string(path.begin(), path.end()), store::Database::Mode::ReadOnly);
    if (!file) return {};
    return store::read_kept_form(file).values[snapshot::field_named("Memo1")].value_or("");
}

// The authors a program kept in its file.
history::Values stored_authors(const std::filesystem::path& database) {
    const std::u8string path = database.u8string();
    store::Database file = store::Database::open(std::string(path.begin(), path.end()), store::Database::Mode::ReadOnly);
    return store::stored_history(file, history::Meaning::Author);
}

// Where quick fill kept its values before the database file.
void put_old_author(const wchar_t* author) {
    const std::wstring units = author + std::wstring(2, L'\0');
    RegSetKeyValueW(HKEY_CURRENT_USER, ProgramKeyAside::kPath, L"Authors", REG_MULTI_SZ, units.data(),
                    static_cast<DWORD>(units.size() * sizeof(wchar_t)));
}

bool old_key_exists() {
    HKEY key{};
    if (RegOpenKeyExW(HKEY_CURRENT_USER, ProgramKeyAside::kPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

void press_with_author(const Running& running, const wchar_t* author) {
    HWND box = visible_with_text(running.main_window, "Неизвестен");
    HWND generate = visible_with_text(running.main_window, "Сформировать код");
    ASSERT_TRUE(box && generate);
    SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(author));
    SendMessageW(generate, BM_CLICK, 0, 0);
}

// The focus given to a box of another process, as a click would.
void focus(HWND box) {
    const DWORD ours = GetCurrentThreadId(), theirs = GetWindowThreadProcessId(box, nullptr);
    AttachThreadInput(ours, theirs, TRUE);
    SetFocus(box);
    AttachThreadInput(ours, theirs, FALSE);
}

// "п" typed over the box's starting text, then Down.
std::string after_typing_and_down(HWND box) {
    focus(box);
    SendMessageW(box, EM_SETSEL, 0, -1);
    SendMessageW(box, WM_CHAR, L'п', 1);
    SendMessageW(box, WM_KEYDOWN, VK_DOWN, 1);
    return text_of(box);
}

TEST(Program, KeepsWhatTwoRunningCopiesPressedAndOffersItInTheNextRunOnlyOnceABoxIsFocused) {
    const testing::FreshAppData appdata;
    const ProgramKeyAside old_key;
    put_old_author(L"Старый Автор");
    {
        Running first, second;
        start(first, SW_SHOWNORMAL);
        start(second, SW_SHOWNORMAL);
        press_with_author(first, L"Пётр Иванов");
        press_with_author(second, L"Anna");
        EXPECT_EQ(close_and_wait(first), 0u);
        EXPECT_EQ(close_and_wait(second), 0u);
    }
    // The registry's author came in first, and its key is gone.
    EXPECT_EQ(stored_authors(appdata.database()), (history::Values{u"Anna", u"Пётр Иванов", u"Старый Автор"}));
    EXPECT_FALSE(old_key_exists());

    Running next;
    start(next, SW_SHOWNORMAL);
    // The autocomplete lives in the shell's DLL: not loaded before a box is focused.
    EXPECT_FALSE(has_loaded(next, L"shell32.dll"));
    // The form comes back as the copy closed last left it.
    HWND maps_author = visible_with_text(next.main_window, "Anna");
    ASSERT_TRUE(maps_author);
    EXPECT_EQ(after_typing_and_down(maps_author), "Пётр Иванов");
    EXPECT_TRUE(has_loaded(next, L"shell32.dll"));

    HWND pages = visible_of_class(next.main_window, WC_TABCONTROLW);
    SendMessageW(pages, TCM_SETCURFOCUS, 2, 0);
    HWND models_author = visible_with_text(next.main_window, "Неизвестен");
    ASSERT_TRUE(models_author && models_author != maps_author);
    EXPECT_EQ(after_typing_and_down(models_author), "Пётр Иванов");
    EXPECT_EQ(close_and_wait(next), 0u);
}

// A status bar panel's text in another process: the control writes it
// into memory of that process, read back from there.
std::wstring status_panel_text_of(const Running& running, int panel) {
    HWND bar = visible_of_class(running.main_window, STATUSCLASSNAMEW);
    if (!bar) return L"<no status bar>";
    const HANDLE process = running.process.hProcess;
    constexpr std::size_t kUnits = 1024;
    void* remote = VirtualAllocEx(process, nullptr, kUnits * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE);
    if (!remote) return L"<no memory in the other process>";
    std::wstring text(kUnits, L'\0');
    const auto length = LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, panel, 0));
    if (length < kUnits) {
        SendMessageW(bar, SB_GETTEXTW, panel, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(process, remote, text.data(), (length + 1) * sizeof(wchar_t), nullptr);
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    text.resize(length < kUnits ? length : 0);
    return text;
}

std::string bytes_of(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// The maps tab's first multi-line box, where the rules are typed.
HWND rules_box(HWND main_window) {
    for (HWND control : descendants(main_window)) {
        wchar_t name[16] = {};
        GetClassNameW(control, name, 16);
        const bool multiline = GetWindowLongW(control, GWL_STYLE) & ES_MULTILINE;
        if (lstrcmpiW(name, L"Edit") == 0 && multiline && GetParent(control) != main_window && IsWindowVisible(control)) {
            return control;
        }
    }
    return nullptr;
}

// An author and two lines of rules, typed key by key into the rules.
void type_author_and_rules(const Running& running) {
    HWND author = visible_with_text(running.main_window, "Неизвестен");
    HWND rules = rules_box(running.main_window);
    ASSERT_TRUE(author && rules);
    SendMessageW(author, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Пётр Иванов"));
    SendMessageW(rules, EM_SETSEL, 0, -1);  // over its starting text
    for (wchar_t c : std::wstring(L"Правило 1\rПравило 2")) SendMessageW(rules, WM_CHAR, c, 1);
}

// A first run that types them and is closed.
void run_once_typing_author_and_rules() {
    Running first;
    start(first, SW_SHOWNORMAL);
    type_author_and_rules(first);
    EXPECT_EQ(close_and_wait(first), 0u);
}

void expect_author_and_rules(const Running& running) {
    EXPECT_TRUE(visible_with_text(running.main_window, "Пётр Иванов"));
    HWND rules = rules_box(running.main_window);
    ASSERT_TRUE(rules);
    EXPECT_EQ(text_of(rules), "Правило 1\r\nПравило 2");
}

TEST(Program, ComesBackAsItWasLeftAfterAClose) {
    const testing::FreshAppData appdata;
    {
        Running first;
        start(first, SW_SHOWNORMAL);
        type_author_and_rules(first);
        SetWindowPos(first.main_window, nullptr, 30, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        EXPECT_EQ(close_and_wait(first), 0u);  // at once: the close itself keeps it
    }
    Running next;
    start(next, SW_SHOWNORMAL);
    expect_author_and_rules(next);
    RECT r;
    GetWindowRect(next.main_window, &r);
    EXPECT_EQ(r.left, 30);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(close_and_wait(next), 0u);
}

// Killed outright once the file holds the last keystroke: what was on
// screen a moment before comes back. With a save only at close, the file
// would never hold it, and nothing would come back.
TEST(Program, KilledOutrightItComesBackAsItWasAMomentBefore) {
    const testing::FreshAppData appdata;
    {
        Running first;
        start(first, SW_SHOWNORMAL);
        type_author_and_rules(first);
        ASSERT_TRUE(testing::eventually([&] { return kept_rules(appdata.database()) == "Правило 1\r\nПравило 2"; }));
        TerminateProcess(first.process.hProcess, 9);
        WaitForSingleObject(first.process.hProcess, 10'000);
    }
    Running next;
    start(next, SW_SHOWNORMAL);
    expect_author_and_rules(next);
    EXPECT_EQ(close_and_wait(next), 0u);
}

// Another process holds the file as the program starts: the program says
// that keeping waits, shows what was kept once the lock goes, and keeps
// what is typed after.
TEST(Program, AFileAnotherProcessHoldsAsItStartsComesBackOnceLetGoAndKeepsWhatIsTypedAfter) {
    const testing::FreshAppData appdata;
    run_once_typing_author_and_rules();
    const std::u8string path = appdata.database().u8string();
    store::Database holder = store::Database::open(std::string(path.begin(), path.end()), store::Database::Mode::ReadWrite);
    ASSERT_TRUE(holder.exec("PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE"));
    Running next;
    start(next, SW_SHOWNORMAL);
    EXPECT_TRUE(testing::eventually([&] {
        return status_panel_text_of(next, 1).find(L"занят другой программой") != std::wstring::npos;
    })) << narrow(status_panel_text_of(next, 1));
    EXPECT_FALSE(visible_with_text(next.main_window, "Пётр Иванов"));
    holder = {};

    EXPECT_TRUE(testing::eventually([&] { return visible_with_text(next.main_window, "Пётр Иванов") != nullptr; }));
    expect_author_and_rules(next);
    HWND rules = rules_box(next.main_window);
    ASSERT_TRUE(rules);
    const LRESULT end = SendMessageW(rules, WM_GETTEXTLENGTH, 0, 0);
    SendMessageW(rules, EM_SETSEL, static_cast<WPARAM>(end), end);
    SendMessageW(rules, WM_CHAR, L'!', 1);
    EXPECT_TRUE(testing::eventually([&] { return kept_rules(appdata.database()) == "Правило 1\r\nПравило 2!"; }))
        << kept_rules(appdata.database());
    EXPECT_EQ(close_and_wait(next), 0u);
}

// A spoilt page of the journal, met by the running program as its journal
// window reads: the file goes aside, and the new one gets the form and the
// layouts, which still read.
TEST(Program, ASpoiltJournalPageMetInTheJournalWindowLeavesTheFormAndTheLayoutsInTheNewFile) {
    const testing::FreshAppData appdata;
    run_once_typing_author_and_rules();
    const std::u8string u8path = appdata.database().u8string();
    const std::string path(u8path.begin(), u8path.end());
    {
        store::Store file(path);
        ASSERT_EQ(store::TemplateStore(file).add(Tab::Maps, "Своё", {"кратко", "полно"}), store::TemplateWrite::Done);
        ASSERT_TRUE(file.write([](store::Database& database) {
            for (int i = 0; i < 100; ++i) {
                store::NewEntry entry{Tab::Maps, 1000 + i, true, {}, "кратко", "полно"};
                entry.form.values[snapshot::field_named("Edit2")] = "Автор " + std::to_string(i);
                entry.form.values[snapshot::field_named("Memo1")] = std::string(3000, 'm');  // the rows the list reads
                if (!store::add_to_journal(database, entry)) return false;
            }
            return true;
        }));
    }
    {
        std::fstream file(appdata.database(), std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(0, std::ios::end);
        file.seekp(static_cast<std::streamoff>(file.tellp()) - 4096 * 40);
        file << std::string(4096 * 40, 'Z');
    }
    Running next;
    start(next, SW_SHOWNORMAL);
    expect_author_and_rules(next);
    choose_from_the_main_menu(next, 2);
    EXPECT_TRUE(testing::eventually([&] {
        return status_panel_text_of(next, 1).find(L"испорчен и отложен как") != std::wstring::npos;
    })) << narrow(status_panel_text_of(next, 1));
    EXPECT_EQ(close_and_wait(next), 0u);

    std::vector<std::filesystem::path> aside;
    for (const auto& entry : std::filesystem::directory_iterator(appdata.database().parent_path())) {
        if (entry.path().filename().wstring().find(L"Tessivar.db.bad-") == 0) aside.push_back(entry.path());
    }
    EXPECT_FALSE(aside.empty());
    EXPECT_EQ(kept_rules(appdata.database()), "Правило 1\r\nПравило 2");
    store::Store file(path);
    EXPECT_EQ(store::TemplateStore(file).names(Tab::Maps), std::vector<std::string>{"Своё"});
}

TEST(Program, PortableBesideItsDatabaseWritesNothingToAppDataOrTheRegistry) {
    const testing::FreshAppData appdata;
    const ProgramKeyAside old_key;
    put_old_author(L"Старый Автор");
    const TemporaryFolder usb_stick;
    const std::filesystem::path program = usb_stick.path() / L"Tessivar.exe";
    ASSERT_TRUE(std::filesystem::copy_file(program_path, program));
    std::ofstream(usb_stick.path() / L"Tessivar.db").close();  // an empty file: a valid start
    {
        Running running;
        start(running, SW_SHOWNORMAL, program.wstring());
        press_with_author(running, L"Пётр Иванов");
        EXPECT_EQ(status_panel_text_of(running, 1), L"");  // nothing to say
        EXPECT_EQ(close_and_wait(running), 0u);
    }
    EXPECT_EQ(stored_authors(usb_stick.path() / L"Tessivar.db"), history::Values{u"Пётр Иванов"});
    EXPECT_TRUE(std::filesystem::is_empty(appdata.path()));
    ASSERT_TRUE(old_key_exists());  // neither taken over nor deleted
    wchar_t units[64] = {};
    DWORD size = sizeof units - sizeof(wchar_t);
    RegGetValueW(HKEY_CURRENT_USER, ProgramKeyAside::kPath, L"Authors", RRF_RT_REG_MULTI_SZ, nullptr, units, &size);
    EXPECT_STREQ(units, L"Старый Автор");
}

TEST(Program, StartsOverAGarbageFileSaysSoInTheStatusBarAndPutsTheFileAside) {
    const testing::FreshAppData appdata;
    std::filesystem::create_directories(appdata.database().parent_path());
    std::string garbage;
    for (int i = 0; i < 5000; ++i) garbage += static_cast<char>((i * 7919) % 251);
    std::ofstream(appdata.database(), std::ios::binary) << garbage;
    Running running;
    start(running, SW_SHOWNORMAL);
    const std::wstring said = status_panel_text_of(running, 1);
    EXPECT_EQ(said.rfind(L"Файл базы данных испорчен и отложен как Tessivar.db.bad-", 0), 0u) << narrow(said);
    std::vector<std::filesystem::path> aside;
    for (const auto& entry : std::filesystem::directory_iterator(appdata.database().parent_path())) {
        if (entry.path().filename().wstring().starts_with(L"Tessivar.db.bad-")) aside.push_back(entry.path());
    }
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_NE(said.find(aside[0].filename().wstring()), std::wstring::npos);
    EXPECT_EQ(bytes_of(aside[0]), garbage);
    press_with_author(running, L"Пётр Иванов");  // and it keeps on in a new file
    EXPECT_EQ(close_and_wait(running), 0u);
    EXPECT_EQ(stored_authors(appdata.database()), history::Values{u"Пётр Иванов"});
}

}  // namespace
}  // namespace tessivar
