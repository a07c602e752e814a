#include "preview/preview.h"

#include <commctrl.h>
#include <richedit.h>
#include <windowsx.h>

#include <algorithm>

#include "app/shell.h"
#include "bbcode/post.h"
#include "output/win32_text.h"
#include "pictures/picture_rules.h"

namespace tessivar {
namespace {

constexpr UINT_PTR kFollowTimer = 1;
constexpr int kPostMargin = 6;
constexpr DWORD kPreviewStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

// The forum's dark page: light grey text, and what the program writes in
// white, yellow, orange and light blue stands out on it.
constexpr COLORREF kPostBackground = RGB(0x22, 0x26, 0x2B);
constexpr std::uint32_t kPostText = 0xDCDCDC;
constexpr std::uint32_t kPostLink = 0x6CB4FF;
constexpr std::uint32_t kPostHeading = 0xFFFFFF;
constexpr std::uint32_t kPostBlock = 0x33383F;
constexpr std::uint32_t kPostLinkBack = 0xBFD0EA;  // Wine draws every link pure blue, unreadable on the page

std::uint32_t rgb_of(COLORREF c) { return GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c); }

// The headings are the window's own: in high contrast, the system's colours.
bbcode::Theme theme() {
    bbcode::Theme t{kPostText, kPostLink, kPostHeading, rgb_of(kPostBackground), kPostBlock, kPostLinkBack};
    if (high_contrast_on()) {
        t.heading = rgb_of(GetSysColor(COLOR_WINDOWTEXT));
        t.heading_back = rgb_of(GetSysColor(COLOR_WINDOW));
    }
    return t;
}

// The rich edit lives in msftedit.dll, loaded from the system folder the
// first time a preview is shown: start-up never pays for it.
bool load_rich_edit() {
    static const bool loaded = [] {
        return system_library(L"msftedit.dll") != nullptr;
    }();
    return loaded;
}

std::u16string_view utf16(const std::wstring& text) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}

struct StreamSource {
    const char* next;
    std::size_t left;
};

DWORD CALLBACK read_stream(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
    auto* source = reinterpret_cast<StreamSource*>(cookie);
    const std::size_t n = std::min(source->left, static_cast<std::size_t>(wanted));
    std::copy_n(source->next, n, buffer);
    source->next += n;
    source->left -= n;
    *given = static_cast<LONG>(n);
    return 0;
}

}  // namespace

TFPreview::TFPreview(HWND main_window, HWND short_pane, HWND full_pane)
    : main_(main_window), short_pane_(short_pane), full_pane_(full_pane) {}

TFPreview::~TFPreview() {
    if (window_) DestroyWindow(window_);
    if (font_) DeleteObject(font_);
}

void TFPreview::show() {
    if (!window_ && !create()) return;
    if (stale_) render();
    if (!IsWindowVisible(window_)) ShowWindow(window_, SW_SHOWNORMAL);
    if (IsIconic(window_)) ShowWindow(window_, SW_RESTORE);
    SetForegroundWindow(window_);
    SetActiveWindow(window_);
    SetFocus(RichEdit1);
}

// Coalesced: however many changes come, one rendering follows them, and
// never sooner after the last than that one took, so typing stays quick
// even in megabytes.
void TFPreview::follow() {
    stale_ = true;
    if (!window_ || !IsWindowVisible(window_) || timer_pending_) return;
    timer_pending_ = true;
    SetTimer(window_, kFollowTimer, std::max<DWORD>(kFollowDelayMs, last_render_ms_), nullptr);
}

bool TFPreview::create() {
    if (!load_rich_edit()) return false;
    register_window_class(kPreviewClass, object_window_procedure<TFPreview>, GetSysColorBrush(COLOR_BTNFACE),
                          main_icon());
    take_density(window_dpi(main_));
    const LayoutScale scale{dpi_, dpi_};
    const SIZE outer = outer_size(scale.size(kPreviewDesignClient), kPreviewStyle, 0, dpi_);
    CreateWindowExW(0, kPreviewClass, kPreviewTitle, kPreviewStyle, CW_USEDEFAULT, CW_USEDEFAULT, outer.cx,
                    outer.cy, main_, nullptr, instance(), this);
    if (!window_) return false;
    StatusBar1 = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                                 window_, nullptr, instance(), nullptr);
    SendMessageW(StatusBar1, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    pictures_in_place_ = std::make_unique<PreviewPictures>(window_, kPostBackground);
    new_rich_edit();  // filled and shown by the first rendering
    place_beside_main_window();
    return true;
}

// Each rendering fills a new control, shown once filled: emptying a full
// one costs Wine's rich edit time that grows with the square of its
// paragraphs, where destroying it is linear. Returns the one it replaces.
HWND TFPreview::new_rich_edit() {
    HWND old = RichEdit1;
    if (old) SendMessageW(old, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scrolled_));
    RichEdit1 = CreateWindowExW(0, MSFTEDIT_CLASS, L"", kPreviewRichEditStyle, 0, 0, 0, 0, window_, nullptr,
                                instance(), nullptr);
    SendMessageW(RichEdit1, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);  // as much as the panes hold
    SendMessageW(RichEdit1, EM_SETBKGNDCOLOR, 0, kPostBackground);
    SendMessageW(RichEdit1, EM_SETEVENTMASK, 0, ENM_LINK | ENM_MOUSEEVENTS | ENM_KEYEVENTS);
    lay_out();
    return old;
}

// Loads under way end with the window's showing; the next showing renders
// afresh and asks again for what was not in yet.
void TFPreview::hide() {
    ShowWindow(window_, SW_HIDE);
    pictures_in_place_->cancel();
    stale_ = true;
}

LONG TFPreview::shown_at(LONG rendering_position) const {
    return pictures_in_place_ ? pictures_in_place_->control_position(rendering_position) : rendering_position;
}

// The widest a picture is shown: the rich edit's text area.
std::uint32_t TFPreview::post_width() const {
    RECT text{};
    SendMessageW(RichEdit1, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
    return static_cast<std::uint32_t>(std::max<LONG>(1, text.right - text.left));
}

// To the right of the main window where the screen has room, else to its
// left, else as far right as the screen allows; level with its top.
void TFPreview::place_beside_main_window() {
    RECT main, own;
    GetWindowRect(main_, &main);
    GetWindowRect(window_, &own);
    const int width = own.right - own.left, height = own.bottom - own.top;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(main_, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    int x = main.right;
    if (x + width > work.right) x = main.left - width;
    if (x < work.left) x = std::max<int>(work.left, work.right - width);
    const int y = std::clamp<int>(main.top, work.top, std::max<int>(work.top, work.bottom - height));
    SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFPreview::take_density(int dpi) {
    HFONT previous = font_;
    dpi_ = dpi;
    font_ = create_ui_font(kFormFace, dpi_);
    if (StatusBar1) SendMessageW(StatusBar1, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    if (previous) DeleteObject(previous);
}

// The status bar takes its own height for its font; the post takes the rest.
void TFPreview::lay_out() {
    SendMessageW(StatusBar1, WM_SIZE, 0, 0);
    RECT bar;
    GetWindowRect(StatusBar1, &bar);
    const SIZE client = client_size(window_);
    const int height = std::max<int>(0, client.cy - (bar.bottom - bar.top));
    MoveWindow(RichEdit1, 0, 0, client.cx, height, IsWindowVisible(RichEdit1));
    // A margin, so that no line touches the frame; at the density like the rest.
    const LayoutScale scale{dpi_, dpi_};
    RECT text{scale.x(kPostMargin), scale.y(kPostMargin), client.cx - scale.x(kPostMargin), height};
    SendMessageW(RichEdit1, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&text));
}

void TFPreview::render() {
    const DWORD start = GetTickCount();
    short_text_ = read_wide_text(short_pane_);
    full_text_ = read_wide_text(full_pane_);
    const bbcode::Post short_post = bbcode::parse_post(utf16(short_text_));
    const bbcode::Post full_post = bbcode::parse_post(utf16(full_text_));
    const bbcode::Section sections[] = {{u"Краткое описание", &short_post}, {u"Полное описание", &full_post}};
    static const std::wstring beyond_limit =
        L" — " + widen(pictures::reason_text({pictures::Failure::TooManyInPreview, {}}));
    bbcode::Rendering rendering =
        bbcode::write_rtf(sections, theme(), {pictures::kMaxPerPreview, utf16(beyond_limit)});
    links_ = std::move(rendering.links);
    pictures_ = std::move(rendering.pictures);

    // Shown means filled, whether or not the window is open.
    HWND old = GetWindowLongW(RichEdit1, GWL_STYLE) & WS_VISIBLE ? new_rich_edit() : nullptr;
    stream_in(rendering.rtf);
    mark_links();
    pictures_in_place_->rendered(RichEdit1, pictures_, post_width(), dpi_);
    SendMessageW(RichEdit1, EM_SETSEL, 0, 0);
    SendMessageW(RichEdit1, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scrolled_));
    ShowWindow(RichEdit1, SW_SHOWNA);
    if (old) {
        if (GetFocus() == old) SetFocus(RichEdit1);
        DestroyWindow(old);
    }
    stale_ = false;
    last_render_ms_ = GetTickCount() - start;
}

// One pass over the whole text: the control builds its paragraphs once.
void TFPreview::stream_in(const std::string& rtf) {
    StreamSource source{rtf.data(), rtf.size()};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, read_stream};
    SendMessageW(RichEdit1, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
}

// Each costs the control a walk to its place; the parser keeps their number
// bounded.
void TFPreview::mark_links() {
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_LINK;
    format.dwEffects = CFE_LINK;
    for (const bbcode::Span& link : links_) {
        CHARRANGE range{link.start, link.start + link.length};
        SendMessageW(RichEdit1, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        SendMessageW(RichEdit1, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    }
}

const bbcode::Span* TFPreview::link_at(LONG position) const {
    const auto after = std::upper_bound(links_.begin(), links_.end(), position,
                                        [](LONG p, const bbcode::Span& link) { return p < link.start; });
    if (after == links_.begin()) return nullptr;
    const bbcode::Span& link = *std::prev(after);
    return position < link.start + link.length ? &link : nullptr;
}

// The control reports neighbouring links as one range: the character under
// the mouse tells which, found in our own table, never in the text.
void TFPreview::on_link(UINT mouse_message, LPARAM mouse_position, LONG first_char) {
    POINTL point{GET_X_LPARAM(mouse_position), GET_Y_LPARAM(mouse_position)};
    const auto under = static_cast<LONG>(SendMessageW(RichEdit1, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&point)));
    // Pictures that arrived moved the text: the table's places are the rendering's.
    const bbcode::Span* link = link_at(pictures_in_place_->rendering_position(under));
    if (!link) link = link_at(pictures_in_place_->rendering_position(first_char));
    if (!link) return;
    const std::wstring address(link->address.begin(), link->address.end());
    if (mouse_message == WM_MOUSEMOVE) show_status(address);
    if (mouse_message != WM_LBUTTONUP) return;
    CHARRANGE selected{};
    SendMessageW(RichEdit1, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selected));
    if (selected.cpMin == selected.cpMax) open_web_address(window_, address);  // not the end of a drag
}

void TFPreview::show_status(const std::wstring& text) {
    if (text == status_) return;
    status_ = text;
    SendMessageW(StatusBar1, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(status_.c_str()));
}

LRESULT TFPreview::on_notify(const NMHDR& header) {
    if (header.hwndFrom != RichEdit1) return 0;
    if (header.code == EN_LINK) {
        const auto& link = reinterpret_cast<const ENLINK&>(header);
        on_link(link.msg, link.lParam, link.chrg.cpMin);
    } else if (header.code == EN_MSGFILTER) {
        const auto& filter = reinterpret_cast<const MSGFILTER&>(header);
        // Comes before the control's own handling: a link under the mouse sets it again.
        if (filter.msg == WM_MOUSEMOVE) show_status(L"");
        if (filter.msg == WM_KEYDOWN && filter.wParam == VK_ESCAPE) {
            hide();
            return 1;
        }
    }
    return 0;
}

LRESULT TFPreview::on_message(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_SIZE:
            if (RichEdit1) lay_out();
            return 0;
        case WM_NOTIFY:
            return on_notify(*reinterpret_cast<const NMHDR*>(lparam));
        case WM_TIMER:
            if (wparam != kFollowTimer) break;
            KillTimer(window_, kFollowTimer);
            timer_pending_ = false;
            if (IsWindowVisible(window_)) render();
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wparam) != WA_INACTIVE && RichEdit1) SetFocus(RichEdit1);
            return 0;
        case WM_DPICHANGED: {
            const RECT& suggested = *reinterpret_cast<const RECT*>(lparam);
            take_density(LOWORD(wparam));
            SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                         suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
            lay_out();
            return 0;
        }
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE:  // high contrast on or off: the headings' colours
            if (IsWindowVisible(window_)) render();
            else stale_ = true;
            break;
        case WM_KEYDOWN:
            if (wparam != VK_ESCAPE) break;
            [[fallthrough]];
        case WM_CLOSE:  // hidden, never destroyed: it opens again where the user left it
            hide();
            return 0;
        case kPictureArrived:
            if (pictures_in_place_) pictures_in_place_->arrived(lparam);
            else take_picture_result(lparam);
            return 0;
        case WM_DESTROY:  // the main window's end takes this one along
            pictures_in_place_.reset();
            break;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wparam, lparam);
}

}  // namespace tessivar
