#pragma once
// One row of a window definition: what a form designer stores for a control.
#include <windows.h>

#include <string_view>

#include "win32/window_kit.h"

namespace tessivar {

class TFMain;

enum class Kind {
    Label,
    Edit,
    Combo,     // free text or a choice from the list
    DropList,  // a choice from the list only
    Memo,      // multi-line, never wraps
    Button,
    DateToggle,  // check box without caption beside a date picker
    DatePicker,
    PageControl,
    TabSheet,
    StatusBar,
    MenuBar,  // made by create_menu_bar
};

enum class Parent { Window, TabSheet1, TabSheet2, TabSheet3, TabSheet4 };

inline constexpr int kNoFocus = -1;
// The pages sit in the window's tab order right after the page control, so
// that the active page's controls come next.
inline constexpr int kPagesTabOrder = 1;

struct ControlRow {
    Kind kind;
    HWND TFMain::*member = nullptr;  // the window's own controls; a tab's fields are found by name
    std::string_view name = {};  // the control's name in its tab's table and the kept form
    // Labels: the row of the control this one names. Screen readers take a
    // field's name from the label just before it in z-order, so it is created right before.
    std::string_view names = {};
    Parent parent;
    Bounds bounds;               // at 96 dpi, in the parent's client area
    const wchar_t* text = L"";   // caption, or starting content with CR LF after each line
    int tab_order = kNoFocus;    // within the parent
    unsigned anchors = kTopLeft;
    DWORD style = 0;             // extra styles: SS_RIGHT, scroll bars
    bool wraps = false;          // labels: break into lines at the stated width
    const wchar_t* hint = nullptr;  // tooltip
    int visible_rows = 8;        // combo boxes: rows the drop-down shows at most
    void (TFMain::*on_click)() = nullptr;
    void (TFMain::*on_mouse_move)() = nullptr;  // every move over the control
};

}  // namespace tessivar
