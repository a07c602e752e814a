#include "form/window_kit.h"

#include <commctrl.h>

namespace tessivar {
namespace {

// One axis of anchoring: keep the near edge, the far edge, or both.
void follow(int& start, int& length, bool near_edge, bool far_edge, int growth) {
    if (near_edge && far_edge) {
        length += growth;
    } else if (far_edge) {
        start += growth;
    }
}

}  // namespace

void Anchoring::add(HWND control, Bounds design_bounds, unsigned anchors) {
    if (anchors != kTopLeft) items_.push_back({control, design_bounds, anchors});
}

void Anchoring::apply(SIZE client) const {
    if (items_.empty()) return;
    HDWP batch = BeginDeferWindowPos(static_cast<int>(items_.size()));
    for (const Item& item : items_) {
        const Bounds b = place(item.bounds, item.anchors, client);
        if (batch) {
            batch = DeferWindowPos(batch, item.control, nullptr, b.left, b.top, b.width, b.height,
                                   SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    if (batch) EndDeferWindowPos(batch);
}

Bounds Anchoring::place(Bounds design_bounds, unsigned anchors, SIZE client) const {
    Bounds b = design_bounds;
    follow(b.left, b.width, anchors & kLeft, anchors & kRight, client.cx - design_.cx);
    follow(b.top, b.height, anchors & kTop, anchors & kBottom, client.cy - design_.cy);
    return b;
}

namespace {

HFONT create_font(const wchar_t* face) {
    LOGFONTW font{};
    font.lfHeight = -11;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = RUSSIAN_CHARSET;
    lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
    return CreateFontIndirectW(&font);
}

// Whether the system really has `face` with Cyrillic glyphs, rather than a
// stand-in of its own choosing.
bool has_cyrillic_face(HFONT font, const wchar_t* face) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    wchar_t chosen[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, chosen);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    return lstrcmpiW(chosen, face) == 0 && metrics.tmCharSet == RUSSIAN_CHARSET;
}

}  // namespace

HFONT create_ui_font(const wchar_t* face) {
    // Where the face has no Cyrillic (a Western system, or Wine), Tahoma
    // keeps the letters readable at nearly the same metrics; asked for
    // Tahoma itself, there is nothing to check.
    constexpr wchar_t kFallback[] = L"Tahoma";
    HFONT font = create_font(face);
    if (lstrcmpiW(face, kFallback) == 0 || has_cyrillic_face(font, face)) return font;
    DeleteObject(font);
    return create_font(kFallback);
}

HINSTANCE instance() { return GetModuleHandleW(nullptr); }

HICON main_icon() { return LoadIconW(instance(), L"MAINICON"); }

std::wstring status_panel_text(HWND status_bar, int panel) {
    const auto index = static_cast<WPARAM>(panel);
    const auto length = LOWORD(SendMessageW(status_bar, SB_GETTEXTLENGTHW, index, 0));
    std::wstring text(length, L'\0');
    SendMessageW(status_bar, SB_GETTEXTW, index, reinterpret_cast<LPARAM>(text.data()));
    return text;
}

void register_window_class(const wchar_t* name, WNDPROC procedure, HBRUSH background, HICON icon) {
    WNDCLASSEXW wc{};
    if (GetClassInfoExW(instance(), name, &wc)) return;
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance();
    wc.hIcon = icon;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
}

SIZE client_size(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

bool checked(HWND toggle) { return SendMessageW(toggle, BM_GETCHECK, 0, 0) == BST_CHECKED; }

SIZE text_size(HFONT font, const wchar_t* text, int wrap_width) {
    return TextMeasure(font).size(text, wrap_width);
}

TextMeasure::TextMeasure(HFONT font) : dc_(GetDC(nullptr)), previous_(SelectObject(dc_, font)) {}

TextMeasure::~TextMeasure() {
    SelectObject(dc_, previous_);
    ReleaseDC(nullptr, dc_);
}

SIZE TextMeasure::size(const wchar_t* text, int wrap_width) const {
    RECT r = {0, 0, wrap_width, 0};
    DrawTextW(dc_, text, -1, &r, DT_CALCRECT | DT_NOPREFIX | (wrap_width ? DT_WORDBREAK : DT_SINGLELINE));
    return {r.right - r.left, r.bottom - r.top};
}

}  // namespace tessivar
