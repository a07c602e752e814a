#include "win32/window_kit.h"

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

void Anchoring::reset(SIZE laid_out_client) {
    laid_out_client_ = laid_out_client;
    items_.clear();
}

void Anchoring::add(HWND control, Bounds laid_out, unsigned anchors) {
    if (anchors != kTopLeft) items_.push_back({control, laid_out, anchors});
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

Bounds Anchoring::place(Bounds laid_out, unsigned anchors, SIZE client) const {
    Bounds b = laid_out;
    follow(b.left, b.width, anchors & kLeft, anchors & kRight, client.cx - laid_out_client_.cx);
    follow(b.top, b.height, anchors & kTop, anchors & kBottom, client.cy - laid_out_client_.cy);
    return b;
}

namespace {

constexpr int kPointsPerInch = 72;
constexpr int kUiFontPoints = 8;

HFONT create_font(const wchar_t* face, int dpi) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(kUiFontPoints, dpi, kPointsPerInch);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = RUSSIAN_CHARSET;
    lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
    return CreateFontIndirectW(&font);
}

// Found by name where the system has it; older systems lack the call.
template <class Function>
Function* user32_function(const char* name) {
    return system_function<Function>(GetModuleHandleW(L"user32"), name);
}

int system_dpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

}  // namespace

HMODULE system_library(const wchar_t* name) {
    HMODULE library = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Windows 7 without its 2011 loader update refuses the flag; the DLLs
    // asked for are known DLLs, mapped from the system folder in any case.
    return library ? library : LoadLibraryW(name);
}

void declare_dpi_awareness() {
    static auto* const set_context = user32_function<BOOL WINAPI(HANDLE)>("SetProcessDpiAwarenessContext");
    const auto context = [](LONG_PTR value) { return reinterpret_cast<HANDLE>(value); };
    constexpr LONG_PTR kPerMonitorV2 = -4, kPerMonitor = -3;
    // Systems that know per-monitor awareness only in its first version
    // (Wine among them) still lay each window out at its monitor's density.
    if (set_context && (set_context(context(kPerMonitorV2)) || set_context(context(kPerMonitor)))) return;
    SetProcessDPIAware();
}

int window_dpi(HWND window) {
    static auto* const dpi_for_window = user32_function<UINT WINAPI(HWND)>("GetDpiForWindow");
    if (window && dpi_for_window) {
        if (const UINT dpi = dpi_for_window(window)) return static_cast<int>(dpi);
    }
    return system_dpi();
}

SIZE outer_size(SIZE client, DWORD style, DWORD ex_style, int dpi) {
    static auto* const adjust_for_dpi =
        user32_function<BOOL WINAPI(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    RECT outer = {0, 0, client.cx, client.cy};
    if (!adjust_for_dpi || !adjust_for_dpi(&outer, style, FALSE, ex_style, static_cast<UINT>(dpi))) {
        AdjustWindowRectEx(&outer, style, FALSE, ex_style);
    }
    return {outer.right - outer.left, outer.bottom - outer.top};
}

bool is_exactly(HFONT font, const wchar_t* face) {
    LOGFONTW asked{};
    GetObjectW(font, sizeof asked, &asked);
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    wchar_t chosen[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, chosen);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    return lstrcmpiW(chosen, face) == 0 && metrics.tmCharSet == RUSSIAN_CHARSET &&
           metrics.tmHeight - metrics.tmInternalLeading == -asked.lfHeight;
}

HFONT create_ui_font(const wchar_t* face, int dpi) {
    // Where the face has no Cyrillic (a Western system, or Wine), or is a
    // bitmap face without glyphs of this size (at 200 %, say), its scalable
    // successor or Tahoma gives the letters at 8 pt and nearly the same
    // metrics; the layout makes room for the difference. Asked for Tahoma
    // itself, there is nothing to check.
    constexpr wchar_t kLastResort[] = L"Tahoma";
    if (lstrcmpiW(face, kLastResort) == 0) return create_font(face, dpi);
    for (const wchar_t* candidate : {face, L"Microsoft Sans Serif"}) {
        HFONT font = create_font(candidate, dpi);
        if (is_exactly(font, candidate)) return font;
        DeleteObject(font);
    }
    return create_font(kLastResort, dpi);
}

void redraw_all_of(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
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

RECT work_area_of(HMONITOR monitor) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(monitor, &info);
    return info.rcWork;
}

bool high_contrast_on() {
    HIGHCONTRASTW setting{};
    setting.cbSize = sizeof setting;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof setting, &setting, 0) &&
           (setting.dwFlags & HCF_HIGHCONTRASTON);
}

bool checked(HWND toggle) { return SendMessageW(toggle, BM_GETCHECK, 0, 0) == BST_CHECKED; }

SIZE text_size(HFONT font, const wchar_t* text) { return TextMeasure(font).size(text); }

TextMeasure::TextMeasure(HFONT font) : dc_(GetDC(nullptr)), previous_(SelectObject(dc_, font)) {}

TextMeasure::~TextMeasure() {
    SelectObject(dc_, previous_);
    ReleaseDC(nullptr, dc_);
}

SIZE TextMeasure::size(const wchar_t* text) const {
    RECT r = {};
    DrawTextW(dc_, text, -1, &r, DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
    return {r.right - r.left, r.bottom - r.top};
}

}  // namespace tessivar
