// The copy buttons against a clipboard that another program holds open.
#include "form_fixture.h"

#include <chrono>
#include <string>

#include "beside_this_program.h"

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

// Another program holding the clipboard open for a while.
class ClipboardHolder {
public:
    explicit ClipboardHolder(int hold_ms) {
        HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, L"TessivarClipboardHeld");
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring command = L"\"" + beside_this_program(L"clipboard_holder.exe") + L"\" " + std::to_wstring(hold_ms);
        started_ = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                  &process_);
        held_ = started_ && WaitForSingleObject(ready, 5000) == WAIT_OBJECT_0;
        CloseHandle(ready);
    }
    ~ClipboardHolder() {
        if (!started_) return;
        WaitForSingleObject(process_.hProcess, 10'000);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    bool held() const { return held_; }

private:
    PROCESS_INFORMATION process_{};
    bool started_ = false;
    bool held_ = false;
};

bool whole_text_selected(HWND pane) {
    DWORD start = 1, end = 0;
    SendMessageW(pane, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return start == 0 && end == static_cast<DWORD>(GetWindowTextLengthW(pane));
}

using BusyClipboard = FormTest;

TEST_F(BusyClipboard, ACopyWaitsForAShortHoldAndThenDeliversThePane) {
    click(form->Button3);
    put_on_clipboard(L"before");
    {
        const ClipboardHolder holder(300);
        ASSERT_TRUE(holder.held());
        click(form->Button8);
    }
    EXPECT_EQ(narrow(clipboard_text()), text_of(form->Disc2));
}

TEST_F(BusyClipboard, ALongHoldLeavesTheClipboardAsItWasAndTheSelectionForCtrlC) {
    click(form->Button3);
    put_on_clipboard(L"before");
    const auto started = std::chrono::steady_clock::now();
    {
        const ClipboardHolder holder(2500);
        ASSERT_TRUE(holder.held());
        click(form->Button7);
        const auto waited = std::chrono::steady_clock::now() - started;
        EXPECT_LT(waited, std::chrono::milliseconds(2000)) << "gives up after about a second";
        EXPECT_TRUE(whole_text_selected(form->Disc1));
    }
    EXPECT_EQ(clipboard_text(), L"before");
    SendMessageW(form->Disc1, WM_COPY, 0, 0);  // what Ctrl+C does a moment later
    EXPECT_EQ(narrow(clipboard_text()), text_of(form->Disc1));
}

TEST_F(BusyClipboard, AClosingWhileACopyWaitsEndsTheProgramAtOnceWithCodeZero) {
    const ClipboardHolder holder(2500);
    ASSERT_TRUE(holder.held());
    PostMessageW(form->handle(), WM_CLOSE, 0, 0);
    const auto started = std::chrono::steady_clock::now();
    SendMessageW(form->Button8, BM_CLICK, 0, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(300));
    MSG quit{};
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the loop must still end";
    EXPECT_EQ(quit.wParam, 0u);
}

TEST_F(BusyClipboard, AnEmptyPaneCopiesNothingAndDoesNotWait) {
    type(form->Disc1, "");
    put_on_clipboard(L"before");
    const auto started = std::chrono::steady_clock::now();
    click(form->Button7);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(500));
    EXPECT_EQ(clipboard_text(), L"before");
}

}  // namespace
}  // namespace tessivar::testing
