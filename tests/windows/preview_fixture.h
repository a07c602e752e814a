#pragma once
// The main window and its preview, made in the test's own process.
#include "form_fixture.h"

#include <richedit.h>

#include <memory>
#include <string>

#include "app/actions.h"
#include "preview/preview.h"

namespace tessivar::testing {

inline std::wstring rich_text(HWND rich_edit) {
    GETTEXTLENGTHEX length{GTL_NUMCHARS, 1200};
    const auto size = SendMessageW(rich_edit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
    std::wstring text(static_cast<std::size_t>(size) + 1, L'\0');
    GETTEXTEX get{static_cast<DWORD>((size + 1) * sizeof(wchar_t)), GT_DEFAULT, 1200, nullptr, nullptr};
    const auto got = SendMessageW(rich_edit, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                                  reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(got));
    return text;
}

class PreviewTest : public FormTest {
protected:
    PreviewTest() : FormTest(main_menu()) {}

    void SetUp() override {
        FormTest::SetUp();
        preview = std::make_unique<TFPreview>(form->handle(), form->Disc1, form->Disc2);
        form->set_preview(preview.get());
    }

    void TearDown() override {
        preview.reset();
        FormTest::TearDown();
    }

    // Opened from the menu, its rendering's last step done.
    void open_preview() {
        form->Action2Execute();
        wait_for_rendering();
    }
    // The rendering under way, if any, to its last step: however long a
    // busy machine takes, within a minute.
    void wait_for_rendering() {
        pump_until([&] { return !preview->rendering(); });
    }

    HWND shown() const { return preview->RichEdit1; }
    std::wstring text() const { return rich_text(shown()); }
    bool shows(const std::wstring& part) const { return text().find(part) != std::wstring::npos; }
    LONG where(const std::wstring& part) const { return static_cast<LONG>(text().find(part)); }

    // A click on the middle of the character at `position`, the mouse put there.
    void click_at(LONG position) const {
        POINTL at{};
        SendMessageW(shown(), EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), position);
        POINT on_screen{at.x + 2, at.y + 4};
        ClientToScreen(shown(), &on_screen);
        SetCursorPos(on_screen.x, on_screen.y);
        const LPARAM point = MAKELPARAM(at.x + 2, at.y + 4);
        SendMessageW(shown(), WM_MOUSEMOVE, 0, point);
        SendMessageW(shown(), WM_LBUTTONDOWN, MK_LBUTTON, point);
        SendMessageW(shown(), WM_LBUTTONUP, 0, point);
        pump();
    }

    std::unique_ptr<TFPreview> preview;
};

}  // namespace tessivar::testing
