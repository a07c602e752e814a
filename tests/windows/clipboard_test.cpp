// The copy buttons against a clipboard that another program holds open.
#include "form_fixture.h"

#include <chrono>
#include <string>

#include "beside_this_program.h"
#include "eventually.h"

namespace tessivar::testing {
namespace {

void put_on_clipboard(const std::wstring& text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(GlobalLock(memory), text.c_str(), bytes);
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

// Another program holding the clipboard open until it is let go, or the
// test ends.
class ClipboardHolder {
public:
    ClipboardHolder() {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring command = L"\"" + beside_this_program(L"clipboard_holder.exe") + L"\"";
        started_ = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                  &process_);
        held_ = started_ && WaitForSingleObject(held_event_, kGenerousMs) == WAIT_OBJECT_0;
    }
    ~ClipboardHolder() {
        let_go();
        if (started_) {
            WaitForSingleObject(process_.hProcess, kGenerousMs);
            CloseHandle(process_.hThread);
            CloseHandle(process_.hProcess);
        }
        for (HANDLE event : {held_event_, release_, released_}) CloseHandle(event);
    }
    ClipboardHolder(const ClipboardHolder&) = delete;
    ClipboardHolder& operator=(const ClipboardHolder&) = delete;

    bool held() const { return held_; }
    // Returns once the other program has closed the clipboard.
    void let_go() const {
        SetEvent(release_);
        if (held_) WaitForSingleObject(released_, kGenerousMs);
    }

private:
    HANDLE held_event_ = CreateEventW(nullptr, TRUE, FALSE, L"TessivarClipboardHeld");
    HANDLE release_ = CreateEventW(nullptr, TRUE, FALSE, L"TessivarClipboardRelease");
    HANDLE released_ = CreateEventW(nullptr, TRUE, FALSE, L"TessivarClipboardReleased");
    PROCESS_INFORMATION process_{};
    bool started_ = false;
    bool held_ = false;
};

// The holder lets go from inside the copy's wait, at its first message:
// whatever the machine's speed, the copy has found the clipboard held once.
const ClipboardHolder* g_letting_go = nullptr;
void CALLBACK let_go_now(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (g_letting_go) g_letting_go->let_go();
}

bool whole_text_selected(HWND pane) {
    DWORD start = 1, end = 0;
    SendMessageW(pane, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return start == 0 && end == static_cast<DWORD>(GetWindowTextLengthW(pane));
}

// How long a copy waits for the clipboard before it gives up.
constexpr auto kPatience = std::chrono::milliseconds(1000);

using BusyClipboard = FormTest;

TEST_F(BusyClipboard, ACopyWaitsForAShortHoldAndThenDeliversThePane) {
    click(form->Button3);
    put_on_clipboard(L"before");
    {
        const ClipboardHolder holder;
        ASSERT_TRUE(holder.held());
        g_letting_go = &holder;
        SetTimer(nullptr, 0, USER_TIMER_MINIMUM, let_go_now);
        click(form->Button8);
        g_letting_go = nullptr;
    }
    EXPECT_EQ(narrow(clipboard_text()), text_of(form->Disc2));
}

TEST_F(BusyClipboard, ALongHoldLeavesTheClipboardAsItWasAndTheSelectionForCtrlC) {
    click(form->Button3);
    put_on_clipboard(L"before");
    {
        const ClipboardHolder holder;  // held until the copy has given up
        ASSERT_TRUE(holder.held());
        const auto started = std::chrono::steady_clock::now();
        click(form->Button7);
        EXPECT_GE(std::chrono::steady_clock::now() - started, kPatience * 9 / 10) << "waits about a second";
        EXPECT_TRUE(whole_text_selected(form->Disc1));
    }
    EXPECT_EQ(clipboard_text(), L"before");
    SendMessageW(form->Disc1, WM_COPY, 0, 0);  // what Ctrl+C does a moment later
    EXPECT_EQ(narrow(clipboard_text()), text_of(form->Disc1));
}

// "At once" is sooner than the copy's whole patience: a handful of messages.
TEST_F(BusyClipboard, AClosingWhileACopyWaitsEndsTheProgramAtOnceWithCodeZero) {
    const ClipboardHolder holder;
    ASSERT_TRUE(holder.held());
    PostMessageW(form->handle(), WM_CLOSE, 0, 0);
    const auto started = std::chrono::steady_clock::now();
    SendMessageW(form->Button8, BM_CLICK, 0, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - started, kPatience);
    MSG quit{};
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the loop must still end";
    EXPECT_EQ(quit.wParam, 0u);
}

TEST_F(BusyClipboard, AnEmptyPaneCopiesNothingAndDoesNotWait) {
    type(form->Disc1, "");
    put_on_clipboard(L"before");
    const ClipboardHolder holder;
    ASSERT_TRUE(holder.held());
    const auto started = std::chrono::steady_clock::now();
    click(form->Button7);
    EXPECT_LT(std::chrono::steady_clock::now() - started, kPatience);
    holder.let_go();
    EXPECT_EQ(clipboard_text(), L"before");
}

}  // namespace
}  // namespace tessivar::testing
