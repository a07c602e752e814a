#include "form/main_window_build.h"

#include <commctrl.h>

#include <algorithm>

#include "form/main_window.h"

namespace tessivar {
namespace {

// Screen readers take a field's name from the label just before it in
// z-order; the dialog keys follow the z-order of the focusable controls. The
// heading lying over the menu bar's band is thus above it.
int creation_rank(const ControlRow& row, std::span<const ControlRow> rows) {
    if (!row.names.empty()) {
        const auto named = std::find_if(rows.begin(), rows.end(),
                                        [&](const ControlRow& r) { return r.name == row.names; });
        return 2 * named->tab_order;
    }
    return row.tab_order == kNoFocus ? 100'000 : 2 * row.tab_order + 1;
}

constexpr int kStatusPanelEdges[] = {50, 550, -1};
constexpr const wchar_t* kStatusPanelTexts[] = {L"Ver 1.3", L"", L"by Varnhold"};
constexpr SYSTEMTIME kStartDate = {2009, 11, 0, 2, 23, 2, 26, 515};

}  // namespace

ClassAndStyle class_and_style(const ControlRow& row) {
    constexpr DWORD kFocus = WS_TABSTOP;
    constexpr DWORD kEditLook = WS_EX_CLIENTEDGE;
    switch (row.kind) {
        case Kind::Label:
            if (row.style & SS_RIGHT) return {WC_STATICW, SS_RIGHT | SS_NOPREFIX, 0};
            return {WC_STATICW, static_cast<DWORD>(row.wraps ? SS_LEFT : SS_LEFTNOWORDWRAP) | SS_NOPREFIX, 0};
        case Kind::Edit:
            return {WC_EDITW, kFocus | ES_AUTOHSCROLL, kEditLook};
        case Kind::Combo:
            return {WC_COMBOBOXW, kFocus | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0};
        case Kind::DropList:
            return {WC_COMBOBOXW, kFocus | WS_VSCROLL | CBS_DROPDOWNLIST, 0};
        case Kind::Memo:
            return {WC_EDITW,
                    kFocus | row.style | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
                        ES_WANTRETURN | ES_NOHIDESEL,
                    kEditLook};
        case Kind::Button:
            return {WC_BUTTONW, kFocus | BS_PUSHBUTTON, 0};
        case Kind::DateToggle:
            return {WC_BUTTONW, kFocus | BS_AUTOCHECKBOX, 0};
        case Kind::DatePicker:
            return {DATETIMEPICK_CLASSW, kFocus | DTS_SHORTDATEFORMAT, 0};
        case Kind::PageControl:
            return {WC_TABCONTROLW, kFocus | WS_CLIPSIBLINGS, 0};
        case Kind::TabSheet:
            return {kPageClass, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
        case Kind::StatusBar:
            // Placed by the layout, not sized from its font.
            return {STATUSCLASSNAMEW, SBARS_SIZEGRIP | CCS_NORESIZE | CCS_NOPARENTALIGN, 0};
        case Kind::MenuBar:
            break;
    }
    return {WC_STATICW, 0, 0};
}

bool is_combo(const ControlRow& row) { return row.kind == Kind::Combo || row.kind == Kind::DropList; }

int drop_down_room(const ControlRow& row, const LayoutScale& scale) { return is_combo(row) ? scale.y(200) : 0; }

std::vector<int> creation_order(std::span<const ControlRow> rows) {
    std::vector<int> order(rows.size()), rank(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        order[i] = static_cast<int>(i);
        rank[i] = creation_rank(rows[i], rows);
    }
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const auto ia = static_cast<std::size_t>(a), ib = static_cast<std::size_t>(b);
        if (rows[ia].parent != rows[ib].parent) return rows[ia].parent < rows[ib].parent;
        return rank[ia] < rank[ib];
    });
    return order;
}

void add_page_tab(HWND page_control, const wchar_t* caption) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(caption);
    TabCtrl_InsertItem(page_control, TabCtrl_GetItemCount(page_control), &item);
}

void show_status_panels(HWND status_bar, const LayoutScale& scale) {
    int edges[std::size(kStatusPanelEdges)];
    for (std::size_t i = 0; i < std::size(edges); ++i) {
        edges[i] = kStatusPanelEdges[i] < 0 ? kStatusPanelEdges[i] : scale.x(kStatusPanelEdges[i]);
    }
    SendMessageW(status_bar, SB_SETPARTS, std::size(edges), reinterpret_cast<LPARAM>(edges));
    for (std::size_t panel = 0; panel < std::size(kStatusPanelTexts); ++panel) {
        SendMessageW(status_bar, SB_SETTEXTW, panel, reinterpret_cast<LPARAM>(kStatusPanelTexts[panel]));
    }
}

void show_starting_value(HWND control, const ControlRow& row) {
    if (row.kind == Kind::DateToggle) SendMessageW(control, BM_SETCHECK, BST_CHECKED, 0);
    if (row.kind == Kind::DatePicker) DateTime_SetSystemtime(control, GDT_VALID, &kStartDate);
}

}  // namespace tessivar
