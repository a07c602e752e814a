#include "template_window/name_prompt.h"

#include <commctrl.h>

#include "win32/dialog_keys.h"
#include "win32/window_kit.h"
#include "output/win32_text.h"

namespace tessivar {
namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr SIZE kDesignClient = {300, 56};
constexpr Bounds kLabelBounds = {8, 8, 284, 13};
constexpr Bounds kBoxBounds = {8, 26, 284, 21};

class NamePrompt {
public:
    NamePrompt(HWND owner, const wchar_t* title, int dpi) : owner_(owner), font_(create_ui_font(kFormFace, dpi)) {
        register_window_class(kNamePromptClass, object_window_procedure<NamePrompt>, GetSysColorBrush(COLOR_BTNFACE),
                              main_icon());
        const LayoutScale scale{dpi, dpi};
        const SIZE outer = outer_size(scale.size(kDesignClient), kStyle, WS_EX_DLGMODALFRAME, dpi);
        RECT over;
        GetWindowRect(owner, &over);
        CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kNamePromptClass, title, kStyle,
                        (over.left + over.right - outer.cx) / 2, (over.top + over.bottom - outer.cy) / 2, outer.cx,
                        outer.cy, owner, nullptr, instance(), this);
        add(WC_STATICW, L"Название:", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, scale.bounds(kLabelBounds));
        box_ = add(WC_EDITW, L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, scale.bounds(kBoxBounds));
    }
    ~NamePrompt() {
        if (window_) DestroyWindow(window_);
        DeleteObject(font_);
    }
    NamePrompt(const NamePrompt&) = delete;
    NamePrompt& operator=(const NamePrompt&) = delete;

    std::optional<std::string> ask(const std::string& suggested) {
        write_text(box_, suggested);
        SendMessageW(box_, EM_SETSEL, 0, -1);
        EnableWindow(owner_, FALSE);
        ShowWindow(window_, SW_SHOW);
        SetFocus(box_);
        MSG msg{};
        while (!done_) {
            if (!GetMessageW(&msg, nullptr, 0, 0)) {
                PostQuitMessage(static_cast<int>(msg.wParam));  // the program is ending: its own loop sees it too
                break;
            }
            dispatch_message(msg);
        }
        EnableWindow(owner_, TRUE);
        SetActiveWindow(owner_);
        return answer_;
    }

    // For object_window_procedure: the class is this file's own.
    void attach(HWND window) {
        window_ = window;
        take_dialog_keys(window);
    }
    void detach() {
        let_go_dialog_keys(window_);
        window_ = nullptr;
    }

private:
    HWND add(const wchar_t* window_class, const wchar_t* text, DWORD style, DWORD ex_style, Bounds b) {
        HWND control = CreateWindowExW(ex_style, window_class, text, WS_CHILD | WS_VISIBLE | style, b.left, b.top,
                                       b.width, b.height, window_, nullptr, instance(), nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        return control;
    }

public:
    LRESULT on_message(UINT message, WPARAM wparam, LPARAM lparam) {
        if (message == WM_COMMAND && LOWORD(wparam) == IDOK && lparam == 0) {  // Enter
            answer_ = read_text(box_);
            done_ = true;
            return 0;
        }
        if ((message == WM_COMMAND && LOWORD(wparam) == IDCANCEL && lparam == 0) || message == WM_CLOSE) {
            done_ = true;
            return 0;
        }
        return DefWindowProcW(window_, message, wparam, lparam);
    }

private:
    HWND owner_;
    HFONT font_;
    HWND window_{};
    HWND box_{};
    bool done_ = false;
    std::optional<std::string> answer_;
};

}  // namespace

std::optional<std::string> ask_template_name(HWND owner, const wchar_t* title, const std::string& suggested, int dpi) {
    NamePrompt prompt(owner, title, dpi);
    return prompt.ask(suggested);
}

}  // namespace tessivar
