// Start-up of Tessivar.exe against its floor, the same windows built by a
// plain program (plain_form.exe); against the same windows built bare from
// the program's own kit (bare_form.exe); and against a program that opens one
// empty window: from CreateProcess until the program's window is shown and
// the program is idle, with its peak working set by then; Tessivar.exe both
// with no database file and with one of 1,000 journal entries, each in a
// %APPDATA% of its own; and the size of Tessivar.exe. Usage: startup_bench [Tessivar.exe [bare_form.exe
// [plain_form.exe [bare_window.exe]]]], each beside this program unless given.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "store/database.h"
#include "store/schema.h"
#include "tests/bench/win32_timing.h"
#include "tests/host/temporary_folder.h"
#include "tests/windows/beside_this_program.h"

namespace {

using tessivar::bench::median;
using tessivar::bench::now_ms;

constexpr int kRuns = 15;
constexpr double kRatioGoal = 1.1;
constexpr ULONGLONG kSizeGoal = 1280 << 10;
constexpr int kJournalEntries = 1000;
constexpr DWORD kPatienceMs = 10'000;

struct Program {
    std::wstring path;
    const wchar_t* window_class;
    std::wstring appdata;  // the %APPDATA% it starts with; none given, this program's
};

struct Launch {
    double ms = 0;
    SIZE_T peak_working_set = 0;
};

struct Search {
    DWORD process_id;
    const wchar_t* window_class;
    HWND found;
};

BOOL CALLBACK match_window(HWND window, LPARAM search_address) {
    auto& search = *reinterpret_cast<Search*>(search_address);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    if (owner != search.process_id || !IsWindowVisible(window) || lstrcmpW(name, search.window_class) != 0) {
        return TRUE;
    }
    search.found = window;
    return FALSE;
}

// Polled, not waited for: nothing tells another process that a window was shown.
HWND shown_window(DWORD process_id, const wchar_t* window_class) {
    const DWORD start = GetTickCount();
    Search search{process_id, window_class, nullptr};
    while (GetTickCount() - start < kPatienceMs) {
        EnumWindows(match_window, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        Sleep(1);
    }
    return nullptr;
}

SIZE_T peak_working_set(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(process, &counters, sizeof counters) ? counters.PeakWorkingSetSize : 0;
}

void close_and_wait(HANDLE process, HWND window) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process, kPatienceMs) != WAIT_OBJECT_0) TerminateProcess(process, 1);
}

// Fails loudly: a figure from a program that did not start means nothing.
Launch launch(const Program& program) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    std::wstring command = L"\"" + program.path + L"\"";
    PROCESS_INFORMATION process{};
    static const std::wstring own_appdata = [] {
        wchar_t value[MAX_PATH] = {};
        GetEnvironmentVariableW(L"APPDATA", value, MAX_PATH);
        return std::wstring(value);
    }();
    SetEnvironmentVariableW(L"APPDATA", (program.appdata.empty() ? own_appdata : program.appdata).c_str());
    const double start = now_ms();
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::fprintf(stderr, "cannot start %ls\n", program.path.c_str());
        ExitProcess(1);
    }
    WaitForInputIdle(process.hProcess, kPatienceMs);
    HWND window = shown_window(process.dwProcessId, program.window_class);
    Launch result{now_ms() - start, peak_working_set(process.hProcess)};
    if (window) close_and_wait(process.hProcess, window);
    else TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (!window) {
        std::fprintf(stderr, "%ls showed no %ls window\n", program.path.c_str(), program.window_class);
        ExitProcess(1);
    }
    return result;
}

ULONGLONG file_size(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

double mib(SIZE_T bytes) { return static_cast<double>(bytes) / (1 << 20); }

const char* verdict(bool met) { return met ? "MET" : "NOT MET"; }

struct Series {
    std::vector<double> ms;
    std::vector<double> peak_mib;
};

// Each program's launches, started in turn, the first one untimed: the
// files come into the cache.
std::vector<Series> alternate(std::span<const Program> programs) {
    for (const Program& program : programs) launch(program);
    std::vector<Series> runs(programs.size());
    for (int i = 0; i < kRuns; ++i) {
        for (std::size_t p = 0; p < programs.size(); ++p) {
            const Launch l = launch(programs[p]);
            runs[p].ms.push_back(l.ms);
            runs[p].peak_mib.push_back(mib(l.peak_working_set));
        }
    }
    return runs;
}

// The median of the ratios of launches made one after the other: the load
// of the machine moves both alike.
double paired_ratio(const Series& numerator, const Series& denominator) {
    std::vector<double> ratios;
    for (std::size_t i = 0; i < numerator.ms.size(); ++i) ratios.push_back(numerator.ms[i] / denominator.ms[i]);
    return median(ratios);
}

void print_row(const char* name, const Series& s) {
    std::printf("%-14s %10.1f ms %10.1f ms %10.1f ms %9.1f MiB\n", name, median(s.ms),
                *std::min_element(s.ms.begin(), s.ms.end()), *std::max_element(s.ms.begin(), s.ms.end()),
                median(s.peak_mib));
}

std::string utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// A file as a user's might be after months: the journal's entries, of a
// size a description has, and the form's own small texts.
bool make_database(const std::filesystem::path& appdata) {
    std::filesystem::create_directories(appdata / L"Tessivar");
    auto database = tessivar::store::Database::open(utf8(appdata / L"Tessivar" / L"Tessivar.db"),
                                                     tessivar::store::Database::Mode::ReadWrite);
    if (tessivar::store::migrate(database) != tessivar::store::Migration::Current) return false;
    return database.transaction([&] {
        auto entry = database.prepare("INSERT INTO journal(id, tab, at, pressed, fields) VALUES(?1, ?2, ?3, 1, ?4)");
        auto texts = database.prepare("INSERT INTO journal_texts(id, short_text, full_text) VALUES(?1, ?2, ?3)");
        for (int i = 0; i < kJournalEntries; ++i) {
            const std::string n = std::to_string(i);
            const std::string memo = "Карта номер " + n + ": " + std::string(600, 'x');
            entry.bind(1, std::int64_t{i + 1}).bind(2, std::int64_t{i % 4}).bind(3, std::int64_t{1'700'000'000 + i * 3600});
            entry.bind(4, "Автор " + n + "\n1.0" + n + "\n" + memo);
            texts.bind(1, std::int64_t{i + 1}).bind(2, "[b]Карта " + n + "[/b]\n" + memo);
            texts.bind(3, "[color=Grey]Автор карты:[/color] Автор " + n + "\n" + memo + memo);
            if (!entry.run() || !texts.run()) return false;
            entry.reset();
            texts.reset();
        }
        auto field = database.prepare("INSERT INTO kept_form(name, value) VALUES(?, ?)");
        for (int i = 0; i < 60; ++i) {
            if (!field.bind(1, "field" + std::to_string(i)).bind(2, "Неизвестен").run()) return false;
            field.reset();
        }
        return true;
    });
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    using tessivar::testing::beside_this_program;
    const tessivar::TemporaryFolder no_database, with_journal;
    if (!make_database(with_journal.path())) {
        std::fprintf(stderr, "cannot make the database of %d journal entries\n", kJournalEntries);
        return 1;
    }
    const std::wstring tessivar = argc > 1 ? argv[1] : beside_this_program(L"Tessivar.exe");
    const Program programs[] = {
        {argc > 4 ? argv[4] : beside_this_program(L"bare_window.exe"), L"BareWindow", {}},
        {argc > 3 ? argv[3] : beside_this_program(L"plain_form.exe"), L"PlainForm", {}},
        {argc > 2 ? argv[2] : beside_this_program(L"bare_form.exe"), L"BareForm", {}},
        {tessivar, L"TFMain", no_database.path().wstring()},
        {tessivar, L"TFMain", with_journal.path().wstring()},
    };
    const auto runs = alternate(programs);
    const Series& window_runs = runs[0];
    const Series& plain_runs = runs[1];
    const Series& form_runs = runs[2];
    const Series& tessivar_runs = runs[3];
    const Series& journal_runs = runs[4];

    std::printf("Start-up to the window shown and idle, %d runs each, alternating\n", kRuns);
    std::printf("%-14s %13s %13s %13s %13s\n", "program", "median", "fastest", "slowest", "peak WS");
    print_row("bare window", window_runs);
    print_row("plain form", plain_runs);
    print_row("bare form", form_runs);
    print_row("Tessivar.exe", tessivar_runs);
    print_row("with journal", journal_runs);
    std::printf("Plain form / bare window, median of the pairs: %.2f\n", paired_ratio(plain_runs, window_runs));
    std::printf("Bare form / plain form, median of the pairs: %.2f\n", paired_ratio(form_runs, plain_runs));
    std::printf("Tessivar / bare form, median of the pairs: %.2f\n", paired_ratio(tessivar_runs, form_runs));
    const double ratio = paired_ratio(tessivar_runs, plain_runs);
    std::printf("Tessivar / plain form, median of the pairs: %.2f %s (goal <= %.2f)\n", ratio,
                verdict(ratio <= kRatioGoal), kRatioGoal);
    const double journal_ratio = paired_ratio(journal_runs, plain_runs);
    std::printf("Tessivar with %d journal entries / plain form, median of the pairs: %.2f %s (goal <= %.2f)\n",
                kJournalEntries, journal_ratio, verdict(journal_ratio <= kRatioGoal), kRatioGoal);
    const ULONGLONG size = file_size(tessivar);
    std::printf("Tessivar.exe size: %llu KiB %s (goal <= %llu KiB)\n", size / 1024,
                verdict(size > 0 && size <= kSizeGoal), kSizeGoal / 1024);
    return 0;
}
