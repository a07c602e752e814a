// The start-up floor: the program's own windows built bare from their
// definitions, at 96 dpi. Every control of the main window with its class, styles,
// bounds, text and list items in the form's font, and the hidden About
// window with its memo; then the main window shown and a message loop.
// No handlers, subclasses, label sizing, tooltips or menu: what start-up
// costs beyond this is the program's own doing. Built as plain_form, it is
// what a plain program makes of the same definitions: the controls in the
// rows' order and the font made as it stands, nothing measured. Without the program's
// region, the page control paints over its page's frames: the same work,
// partly hidden.
#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "app/About.h"
#include "app/application.h"
#include "form/main_window.h"
#include "form/main_window_build.h"
#include "output/win32_text.h"
#include "tabs/choice_lists.h"

namespace {

using namespace tessivar;

#ifdef PLAIN_FORM
constexpr wchar_t kClass[] = L"PlainForm";
constexpr bool kPlain = true;
#else
constexpr wchar_t kClass[] = L"BareForm";
constexpr bool kPlain = false;
#endif

LRESULT CALLBACK quit_when_destroyed(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wparam, lparam);
}

void register_classes() {
    const HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    register_window_class(kClass, quit_when_destroyed, face, main_icon());
    register_window_class(kPageClass, DefWindowProcW, face);
    register_window_class(kAboutClass, DefWindowProcW, face, main_icon());
}

HWND create_in_font(const ClassAndStyle& look, const wchar_t* text, Bounds b, HWND parent, HFONT font) {
    HWND window = CreateWindowExW(look.ex_style, look.window_class, text, look.style, b.left, b.top, b.width,
                                  b.height, parent, nullptr, instance(), nullptr);
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return window;
}

// Both windows sized from their client areas, as the program sizes them.
HWND create_top_level(DWORD ex_style, const wchar_t* window_class, const wchar_t* title, DWORD style, POINT place,
                      SIZE client) {
    const SIZE outer = outer_size(client, style, ex_style, LayoutScale::kDesignDpi);
    return CreateWindowExW(ex_style, window_class, title, style, place.x, place.y, outer.cx, outer.cy, nullptr,
                           nullptr, instance(), nullptr);
}

HWND create_main_window() {
    return create_top_level(kMainWindowExStyle, kClass, kMainWindowTitle, kMainWindowStyle, kMainWindowPlace,
                            kDesignClient);
}

// The main window's controls, one for each definition row, in the rows' order.
class BareControls {
public:
    BareControls(HWND window, HFONT font) : window_(window), font_(font) {
        const auto rows = main_window_rows();
        controls_.resize(rows.size());
        if (kPlain) {
            for (std::size_t index = 0; index < rows.size(); ++index) create(index);
        } else {
            for (int index : creation_order(rows)) create(static_cast<std::size_t>(index));
        }
        fill_choice_lists();
        // The first page shown once its controls are in, as the window shows it.
        ShowWindow(pages_.front(), SW_SHOWNA);
    }

private:
    // Parent::TabSheetN is the N-th page row, as the window names its pages.
    HWND parent_of(const ControlRow& row) const {
        if (row.parent == Parent::Window) return window_;
        return pages_[static_cast<std::size_t>(row.parent) - 1];
    }

    void create(std::size_t index) {
        const ControlRow& row = main_window_rows()[index];
        ClassAndStyle look = class_and_style(row);
        look.style |= WS_CHILD | (row.kind == Kind::TabSheet ? 0 : WS_VISIBLE);
        Bounds b = row.bounds;
        b.height += drop_down_room(row, LayoutScale{});
        HWND control = create_in_font(look, row.text, b, parent_of(row), font_);
        controls_[index] = control;
        show_content(row, control);
    }

    // What a row's control shows beyond its own text.
    void show_content(const ControlRow& row, HWND control) {
        switch (row.kind) {
            case Kind::PageControl:
                page_control_ = control;
                break;
            case Kind::TabSheet:
                add_page_tab(page_control_, row.text);
                pages_.push_back(control);
                break;
            case Kind::StatusBar:
                show_status_panels(control, LayoutScale{});
                break;
            default:
                show_starting_value(control, row);
                break;
        }
    }

    HWND control_of(const ControlRow& row) const {
        return controls_[static_cast<std::size_t>(&row - main_window_rows().data())];
    }

    void fill_choice_lists() const {
        for (const ChoiceList& list : choice_lists()) {
            HWND box = control_of(*main_window_row(list.combo));
            for (std::string_view item : list.items) {
                SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(item).c_str()));
            }
        }
    }

    HWND window_;
    HFONT font_;
    HWND page_control_{};
    std::vector<HWND> pages_;
    std::vector<HWND> controls_;
};

void create_about_window(HFONT font) {
    HWND about = create_top_level(0, kAboutClass, kAboutTitle, kAboutStyle, kAboutPlace, kAboutDesignClient);
    create_in_font({WC_EDITW, kAboutMemoStyle, 0}, about_text(), kAboutMemoBounds, about, font);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
    init_common_controls();
    register_classes();
    // At the design's density, where start-up is measured.
    HFONT font = kPlain ? CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, RUSSIAN_CHARSET,
                                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, kFormFace)
                        : create_ui_font(kFormFace, LayoutScale::kDesignDpi);
    HWND window = create_main_window();
    const BareControls controls(window, font);
    create_about_window(font);
    ShowWindow(window, show);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    DeleteObject(font);
    return static_cast<int>(msg.wParam);
}
