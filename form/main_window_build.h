#pragma once
// What the main window's definition becomes as windows, apart from any
// behaviour: the frame, each row's window class and styles, the order the
// rows are created in, and the starting content the rows do not carry.
// Shared with the start-up bench, which builds the same windows bare.
#include <windows.h>

#include <span>
#include <vector>

#include "form/control_row.h"

namespace tessivar {

inline constexpr wchar_t kMainWindowClass[] = L"TFMain";
inline constexpr wchar_t kMainWindowTitle[] = L"Tessivar.";
inline constexpr DWORD kMainWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
inline constexpr DWORD kMainWindowExStyle = WS_EX_CONTROLPARENT;
inline constexpr POINT kMainWindowPlace = {192, 110};
// The layout is made for this client size; the frame adds whatever the
// system's metrics give.
inline constexpr SIZE kDesignClient = {640, 589};
inline constexpr wchar_t kPageClass[] = L"TTabSheet";

struct ClassAndStyle {
    const wchar_t* window_class;
    DWORD style;
    DWORD ex_style;
};

// The menu bar's row gets a plain static: the bar itself is made by create_menu_bar.
ClassAndStyle class_and_style(const ControlRow& row);

bool is_combo(const ControlRow& row);

// Combo boxes are given room for their drop-down, at the layout's scale.
int drop_down_room(const ControlRow& row, const LayoutScale& scale);

// Indices into `rows`: the pages before their controls; within a parent, a
// label right before the field it names, the focusable controls in tab
// order, the rest last.
std::vector<int> creation_order(std::span<const ControlRow> rows);

// A page's tab, after those of the pages before it.
void add_page_tab(HWND page_control, const wchar_t* caption);

// The status bar's three panels and their texts, at the layout's scale.
void show_status_panels(HWND status_bar, const LayoutScale& scale);

// The value a row's control starts with beyond its text: a date toggle
// ticked, a date picker on the start date.
void show_starting_value(HWND control, const ControlRow& row);

}  // namespace tessivar
