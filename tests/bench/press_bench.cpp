// A press of the maps tab's «Сформировать код» on the real window, in this
// process, against the least any press must do with the same text: read the
// memo box once and write the final text into the full description pane once;
// again with the preview open. Then the preview shown on full descriptions
// of 64 KiB to 2 MiB and on a pasted pane of megabytes, from its opening
// until its rendering's last step, against the same rich edit taking the
// same characters as plain text.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include <richedit.h>

#include "app/application.h"
#include "preview/preview.h"
#include "form/main_window.h"
#include "output/win32_text.h"
#include "store/histories.h"
#include "store/store.h"
#include "tests/bench/description_text.h"
#include "tests/bench/memo_text.h"
#include "tests/bench/win32_timing.h"

namespace tessivar {
namespace {

constexpr int kRepetitions = 7;
constexpr double kFloorGoal = 1.5;   // the 8 MiB press against its floor
constexpr double kGrowthGoal = 10;  // the 8 MiB press against the 1 MiB press
constexpr double kKeptGoal = 1.1;         // the press kept in a file, against its floor
constexpr double kPreviewOpenGoal = 1.1;  // the press with the preview open, against its floor
constexpr double kPreviewGoal = 2;        // the preview against the plain text in the same control
constexpr double kStepGoalMs = 50;        // the longest a rendering holds the window
constexpr int kPreviewRepetitions = 3;
constexpr double kKeystrokeGoal = 1.1;    // a keystroke beside 16 MiB in a memo, keeping on against off
constexpr double kSaveHoldGoalMs = 50;    // the longest the save of it holds the window

struct Case {
    const char* name;
    std::string memo;
};

struct Figures {
    double press_ms;
    double read_ms;   // Memo1's text, once
    double write_ms;  // the final text into Disc2, once
    double floor_ms;  // the two together
};

template <typename F>
double time_ms(F&& run) {
    const double start = bench::now_ms();
    run();
    return bench::now_ms() - start;
}

void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

std::wstring wide_text(HWND control) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Every timed step starts from empty panes, painted, so none pays for the one before.
void clear_panes(const TFMain& form) {
    SetWindowTextW(form.Disc1, L"");
    SetWindowTextW(form.Disc2, L"");
    pump();
}

Figures measure(TFMain& form, const std::string& memo) {
    write_text(form.control("Memo1"), memo);
    form.Button1Click();
    const std::wstring final_text = wide_text(form.Disc2);
    std::vector<double> press, read, write, floor;
    for (int i = 0; i < kRepetitions; ++i) {
        clear_panes(form);
        press.push_back(time_ms([&] { form.Button1Click(); }));
        clear_panes(form);
        read.push_back(time_ms([&] { wide_text(form.control("Memo1")); }));
        write.push_back(time_ms([&] { SetWindowTextW(form.Disc2, final_text.c_str()); }));
        floor.push_back(read.back() + write.back());
    }
    return {bench::median(press), bench::median(read), bench::median(write), bench::median(floor)};
}

const char* verdict(bool met) { return met ? "MET" : "NOT MET"; }

void print_row(const Case& c, const Figures& f, bool with_goal) {
    const double ratio = f.press_ms / f.floor_ms;
    std::printf("%-14s %9.2f MiB %10.1f ms %10.1f ms %10.1f ms %10.1f ms %8.2f", c.name,
                static_cast<double>(c.memo.size()) / (1 << 20), f.press_ms, f.floor_ms, f.read_ms, f.write_ms,
                ratio);
    if (with_goal) std::printf(" %s (goal <= %.2f)", verdict(ratio <= kFloorGoal), kFloorGoal);
    std::printf("\n");
}

std::wstring rich_text(HWND rich_edit) {
    GETTEXTLENGTHEX length{GTL_NUMCHARS, 1200};
    const auto size = SendMessageW(rich_edit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
    std::wstring text(static_cast<std::size_t>(size) + 1, L'\0');
    GETTEXTEX get{static_cast<DWORD>((size + 1) * sizeof(wchar_t)), GT_DEFAULT, 1200, nullptr, nullptr};
    text.resize(static_cast<std::size_t>(SendMessageW(rich_edit, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                                                      reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

// The same characters as plain text, in the same kind of control as the
// preview's, placed alike, filled hidden and shown, the one before destroyed
// as the preview does.
double plain_floor_ms(const TFPreview& preview, const std::wstring& plain, HWND& previous) {
    RECT r;
    GetWindowRect(preview.RichEdit1, &r);
    MapWindowPoints(HWND_DESKTOP, preview.handle(), reinterpret_cast<POINT*>(&r), 2);
    return time_ms([&] {
        HWND control = CreateWindowExW(0, MSFTEDIT_CLASS, L"", kPreviewRichEditStyle, r.left, r.top,
                                       r.right - r.left, r.bottom - r.top, preview.handle(), nullptr,
                                       GetModuleHandleW(nullptr), nullptr);
        SendMessageW(control, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
        SetWindowTextW(control, plain.c_str());
        ShowWindow(control, SW_SHOWNA);
        if (previous) DestroyWindow(previous);
        previous = control;
    });
}

// The preview opened on the pane as it stands, against WM_SETTEXT of the
// text it ends up holding.
void measure_preview(TFMain& form, TFPreview& preview, const char* name, const std::string& pane) {
    write_text(form.Disc1, "");
    write_text(form.Disc2, pane);
    std::vector<double> shown, floor;
    double longest_step = 0;
    std::wstring plain;
    HWND previous_floor{};
    for (int i = 0; i < kPreviewRepetitions; ++i) {
        ShowWindow(preview.handle(), SW_HIDE);
        preview.follow();  // hidden: only marks the panes changed
        pump();
        shown.push_back(time_ms([&] {
            preview.show();
            while (preview.rendering()) {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
                pump();
            }
        }));
        longest_step = std::max(longest_step, preview.longest_step_ms());
        pump();
        if (plain.empty()) plain = rich_text(preview.RichEdit1);
        ShowWindow(preview.RichEdit1, SW_HIDE);
        floor.push_back(plain_floor_ms(preview, plain, previous_floor));
        pump();
        DestroyWindow(previous_floor);
        previous_floor = nullptr;
        ShowWindow(preview.RichEdit1, SW_SHOWNA);
    }
    const double ratio = bench::median(shown) / bench::median(floor);
    std::printf("%-8s %8zu chars %6zu links %10.1f ms %10.1f ms %8.2f %s %10.1f ms %s\n", name, plain.size(),
                preview.links().size(), bench::median(shown), bench::median(floor), ratio,
                verdict(ratio <= kPreviewGoal), longest_step, verdict(longest_step <= kStepGoalMs));
    std::fflush(stdout);
}

// `measure(file)` with the form kept in a file of its own, remembering on,
// the file removed after.
template <typename Measure>
void kept_in_a_file(TFMain& form, Measure&& measure) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"tessivar-press-bench.db";
    for (const wchar_t* companion : {L"", L"-wal", L"-shm"}) DeleteFileW((path + companion).c_str());
    {
        store::Store file(narrow(path));
        store::StoreHistories remembering(file);
        form.set_histories(&remembering);
        form.keeping().set_store(&file);
        measure(file);
        form.keeping().set_store(nullptr);
        form.set_histories(nullptr);
    }
    for (const wchar_t* companion : {L"", L"-wal", L"-shm"}) DeleteFileW((path + companion).c_str());
}

void measure_presses(TFMain& form, TFPreview& preview) {
    const std::vector<Case> cases = {
        {"1 MiB", bench::make_memo_text(1 << 20)},
        {"8 MiB", bench::make_memo_text(8 << 20)},
        {"100000 lines", bench::make_short_lines(100'000)},
    };
    std::vector<Figures> figures;
    for (const Case& c : cases) figures.push_back(measure(form, c.memo));
    std::printf("Button1 press on the real window, median of %d\n", kRepetitions);
    std::printf("%-14s %13s %13s %13s %13s %13s %8s\n", "memo", "UTF-8", "press", "floor", "floor read",
                "floor write", "ratio");
    for (std::size_t i = 0; i < cases.size(); ++i) print_row(cases[i], figures[i], i == 1);
    const double growth = figures[1].press_ms / figures[0].press_ms;
    std::printf("8 MiB press / 1 MiB press: %.2f %s (goal <= %.0f)\n", growth,
                verdict(growth <= kGrowthGoal), kGrowthGoal);
    std::printf("floor: Memo1 read once (GetWindowTextW) + the press's final text written "
                "into Disc2 once (SetWindowTextW)\n");

    // The same press kept: its journal entry and the kept form written too.
    kept_in_a_file(form, [&](store::Store&) {
        const Figures kept = measure(form, cases[1].memo);
        std::printf("\nKept in a file (the journal entry and the form written)\n");
        print_row(cases[1], kept, false);
        const double ratio = kept.press_ms / kept.floor_ms;
        std::printf("  %s (goal <= %.2f)\n", verdict(ratio <= kKeptGoal), kKeptGoal);
    });

    // The same presses with the preview open: it renders on its timer, after the press.
    form.set_preview(&preview);
    preview.show();
    std::printf("\nWith the preview open\n");
    for (std::size_t i = 0; i < 2; ++i) {
        const Figures open = measure(form, cases[i].memo);
        print_row(cases[i], open, false);
        const double ratio = open.press_ms / open.floor_ms;
        if (i == 1) std::printf("  %s (goal <= %.2f)\n", verdict(ratio <= kPreviewOpenGoal), kPreviewOpenGoal);
        std::fflush(stdout);
    }
}

// The longest the window's thread is held by `start` and by each message
// after it until `done`.
template <typename Start, typename Done>
double longest_hold(Start&& start, Done&& done) {
    double longest = time_ms(start);
    MSG msg;
    while (!done() && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        longest = std::max(longest, time_ms([&] {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }));
    }
    return longest;
}

double keystroke_ms(HWND memo) {
    return time_ms([&] {
        SendMessageW(memo, WM_CHAR, L'я', 0);
        pump();
    });
}

// A keystroke beside 16 MiB in Memo1 with the form kept in a file of its
// own, against the same keystroke with keeping off, in turn, so that a busy
// machine slows both alike; then the longest the save of it holds the
// window, against reading the box once.
void measure_keystroke(TFMain& form, store::Store& file) {
    std::string text;
    while (text.size() < (16u << 20)) text += std::string(78, 'x') + "\r\n";
    write_text(form.control("Memo1"), text);
    form.keeping().save();
    SendMessageW(form.control("Memo1"), EM_SETSEL, 0, 0);
    std::vector<double> kept, floor, saves, reads;
    for (int i = 0; i < 7; ++i) {
        form.keeping().set_store(nullptr);
        floor.push_back(keystroke_ms(form.control("Memo1")));
        form.keeping().set_store(&file);
        kept.push_back(keystroke_ms(form.control("Memo1")));
        saves.push_back(longest_hold([&] { form.keeping().save_changed(); }, [&] { return !form.keeping().saving_behind(); }));
        reads.push_back(time_ms([&] { read_text(form.control("Memo1")); }));
    }
    form.keeping().set_store(nullptr);
    const double ratio = bench::median(kept) / bench::median(floor);
    std::printf("\nA keystroke beside 16 MiB in Memo1, median of 7: %.1f ms kept, %.1f ms not kept, ratio %.2f %s "
                "(goal <= %.1f)\n", bench::median(kept), bench::median(floor), ratio,
                verdict(ratio <= kKeystrokeGoal), kKeystrokeGoal);
    std::printf("Its save, the longest hold of the window: %.1f ms %s (goal <= %.0f ms); reading the box once %.1f ms\n",
                bench::median(saves), verdict(bench::median(saves) <= kSaveHoldGoalMs), kSaveHoldGoalMs,
                bench::median(reads));
    std::fflush(stdout);
}

// Which figures: all; --preview-only the preview's alone, a minute where
// the presses take many; --keeping-only the keystroke's and its save's.
enum class Measured { All, Preview, Keeping };

void run(Measured measured) {
    init_common_controls();
    TFMain form(nullptr);
    ShowWindow(form.handle(), SW_SHOWNORMAL);
    pump();

    TFPreview preview(form.handle(), form.Disc1, form.Disc2);
    if (measured == Measured::All) measure_presses(form, preview);
    if (measured != Measured::Preview) kept_in_a_file(form, [&](store::Store& file) { measure_keystroke(form, file); });
    if (measured == Measured::Keeping) return;

    form.set_preview(&preview);
    std::printf("\nPreview of a full description of generator lines, median of %d (goals: ratio <= %.0f, "
                "longest step <= %.0f ms)\n", kPreviewRepetitions, kPreviewGoal, kStepGoalMs);
    std::printf("%-8s %14s %12s %13s %13s %8s %19s\n", "pane", "shown", "", "preview", "floor", "ratio",
                "longest step");
    for (const auto& [name, bytes] : {std::pair{"64 KiB", 64 << 10}, {"256 KiB", 256 << 10}, {"2 MiB", 2 << 20}}) {
        measure_preview(form, preview, name, bench::make_description_text(static_cast<std::size_t>(bytes)));
    }
    measure_preview(form, preview, "pasted", bench::make_pasted_pane());
    std::printf("floor: the same characters as plain text (WM_SETTEXT) in a new control of the same class, "
                "style and place\n");
    std::printf("pasted: 100,000 nested [b], 2 MiB of short tagged lines and a line of 300,000 characters\n");
}

}  // namespace
}  // namespace tessivar

int main(int argc, char** argv) {
    using tessivar::Measured;
    const std::string_view only = argc > 1 ? argv[1] : "";
    tessivar::run(only == "--preview-only"   ? Measured::Preview
                  : only == "--keeping-only" ? Measured::Keeping
                                             : Measured::All);
    return 0;
}
