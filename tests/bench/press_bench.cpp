// A press of the maps tab's «Сформировать код» on the real window, in this
// process, against the least any press must do with the same text: read the
// memo box once and write the final text into the full description pane once.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/application.h"
#include "form/main_window.h"
#include "output/win32_text.h"
#include "tests/bench/memo_text.h"
#include "tests/bench/win32_timing.h"

namespace tessivar {
namespace {

constexpr int kRepetitions = 7;
constexpr double kFloorGoal = 1.5;   // the 8 MiB press against its floor
constexpr double kGrowthGoal = 10;  // the 8 MiB press against the 1 MiB press

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
    write_text(form.Memo1, memo);
    form.Button1Click();
    const std::wstring final_text = wide_text(form.Disc2);
    std::vector<double> press, read, write, floor;
    for (int i = 0; i < kRepetitions; ++i) {
        clear_panes(form);
        press.push_back(time_ms([&] { form.Button1Click(); }));
        clear_panes(form);
        read.push_back(time_ms([&] { wide_text(form.Memo1); }));
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

void run() {
    init_common_controls();
    TFMain form(nullptr);
    ShowWindow(form.handle(), SW_SHOWNORMAL);
    pump();

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
}

}  // namespace
}  // namespace tessivar

int main() {
    tessivar::run();
    return 0;
}
