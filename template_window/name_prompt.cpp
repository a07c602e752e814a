#include "template_window/name_prompt.h"

#include <commctrl.h>

#include "output/win32_text.h"
#include "win32/window.h"

namespace tessivar {
namespace {

class NamePrompt : public Window {
public:
    NamePrompt(HWND owner, const wchar_t* title, int dpi);

    std::optional<std::string> ask(const std::string& suggested) {
        write_text(box, suggested);
        SendMessageW(box, EM_SETSEL, 0, -1);
        EnableWindow(owner_, FALSE);
        ShowWindow(window_, SW_SHOW);
        SetFocus(box);
        run_modal_loop(asking_);
        EnableWindow(owner_, TRUE);
        SetActiveWindow(owner_);
        return answer_;
    }

    HWND label{};
    HWND box{};
    HWND ok{};
    HWND cancel{};

private:
    void centre_over_owner() {
        RECT over, own;
        GetWindowRect(owner_, &over);
        GetWindowRect(window_, &own);
        SetWindowPos(window_, nullptr, (over.left + over.right - (own.right - own.left)) / 2,
                     (over.top + over.bottom - (own.bottom - own.top)) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    void lay_out() override;
    // Closing cancels.
    void close() override { asking_ = false; }

    // Enter and «ОК» take the name; Esc and «Отмена» do not.
    LRESULT on_message(UINT message, WPARAM wparam, LPARAM lparam) override {
        if (message != WM_COMMAND) return Window::on_message(message, wparam, lparam);
        const HWND from = reinterpret_cast<HWND>(lparam);
        if ((LOWORD(wparam) == IDOK && !from) || (from == ok && HIWORD(wparam) == BN_CLICKED)) {
            answer_ = read_text(box);
            asking_ = false;
            return 0;
        }
        if ((LOWORD(wparam) == IDCANCEL && !from) || (from == cancel && HIWORD(wparam) == BN_CLICKED)) {
            asking_ = false;
            return 0;
        }
        return Window::on_message(message, wparam, lparam);
    }

    HWND owner_;
    bool asking_ = true;
    std::optional<std::string> answer_;
};

constexpr WindowRow<NamePrompt> kRows[] = {
    {&NamePrompt::label, WC_STATICW, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, {8, 8, 284, 13}, L"Название:"},
    {&NamePrompt::box, WC_EDITW, WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, {8, 26, 284, 21}},
    {&NamePrompt::ok, WC_BUTTONW, WS_TABSTOP | BS_DEFPUSHBUTTON, 0, {134, 56, 75, 23}, L"ОК"},
    {&NamePrompt::cancel, WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON, 0, {217, 56, 75, 23}, L"Отмена"},
};

NamePrompt::NamePrompt(HWND owner, const wchar_t* title, int dpi)
    : Window({kNamePromptClass, title, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT,
              {300, 87}}),
      owner_(owner) {
    create(owner, {0, 0}, dpi);
    make_controls<NamePrompt>(*this, kRows);
    centre_over_owner();
}

void NamePrompt::lay_out() { lay_out_controls<NamePrompt>(*this, kRows); }

}  // namespace

std::optional<std::string> ask_template_name(HWND owner, const wchar_t* title, const std::string& suggested, int dpi) {
    NamePrompt prompt(owner, title, dpi);
    return prompt.ask(suggested);
}

}  // namespace tessivar
