#include "preview/preview.h"

#include <commctrl.h>
#include <richedit.h>
#include <windowsx.h>

#include <algorithm>
#include <chrono>
#include <utility>

#include "win32/browser.h"
#include "win32/messages.h"
#include "bbcode/pane_head.h"
#include "output/win32_text.h"
#include "pictures/picture_rules.h"

namespace tessivar {
namespace {

constexpr UINT_PTR kFollowTimer = 1;
constexpr UINT_PTR kStepTimer = 2;
constexpr int kPostMargin = 6;
constexpr std::u16string_view kShortHeading = u"Краткое описание";
constexpr std::u16string_view kFullHeading = u"Полное описание";
// Lines of the findings list measured for its column's width: past them a
// longer line is cut, and none costs a rendering more.
constexpr std::size_t kMeasuredFindings = 32;
constexpr int kFindingPadding = 12;
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
    static const bool loaded = system_library(L"msftedit.dll") != nullptr;
    return loaded;
}

std::u16string_view utf16(const std::wstring& text) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}

using Clock = std::chrono::steady_clock;

std::size_t pane_length(HWND pane) { return static_cast<std::size_t>(std::max(0, GetWindowTextLengthW(pane))); }

double ms_since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The control's own format is the post's: a run that states nothing
// still shows as the post's text, never in the control's bold System.
void take_post_format(HWND rich_edit, const bbcode::Theme& theme) {
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_FACE | CFM_SIZE | CFM_WEIGHT | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT |
                    CFM_COLOR | CFM_CHARSET;
    format.yHeight = theme.points * 20;
    format.wWeight = FW_NORMAL;
    format.crTextColor = RGB(theme.text >> 16, theme.text >> 8 & 0xFF, theme.text & 0xFF);
    format.bCharSet = RUSSIAN_CHARSET;
    std::copy(bbcode::kPostFace.begin(), bbcode::kPostFace.end(), format.szFaceName);
    SendMessageW(rich_edit, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
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

// Appends a piece of rich text at the end: one pass, the control builds
// the piece's paragraphs once. Gives the length of the control's text.
LONG stream_at_end(HWND rich_edit, const std::string& piece) {
    GETTEXTLENGTHEX length{GTL_NUMCHARS, 1200};
    const auto held = static_cast<LONG>(SendMessageW(rich_edit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0));
    CHARRANGE end{held, held};
    SendMessageW(rich_edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
    StreamSource source{piece.data(), piece.size()};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, read_stream};
    SendMessageW(rich_edit, EM_STREAMIN, SF_RTF | SFF_SELECTION, reinterpret_cast<LPARAM>(&stream));
    return static_cast<LONG>(SendMessageW(rich_edit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0));
}

// Each costs the control a walk to its place, and a scroll when the place is
// out of its sight: links are marked close behind the stream's end.
void mark_link(HWND rich_edit, const bbcode::Span& link) {
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_LINK;
    format.dwEffects = CFE_LINK;
    CHARRANGE range{link.start, link.start + link.length};
    SendMessageW(rich_edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    SendMessageW(rich_edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
}

}  // namespace

// A rendering under way: its control, hidden, takes the stream piece by
// piece, each followed by its links; the one shown stays until it is filled.
struct TFPreview::Filling {
    std::unique_ptr<Panes> panes;
    HWND control;
    std::size_t next_cut = 0;
    std::size_t next_link = 0;
    LONG held = 0;           // characters streamed so far
    double slowest_ms = 0;   // the longest a piece or link took
    bool filled = false;
};

// The status bar takes its own size, the findings their height above it;
// the post, made for each rendering, fills the rest.
constexpr WindowRow<TFPreview> kRows[] = {
    {&TFPreview::ListView1, WC_LISTVIEWW,
     WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA,
     WS_EX_CLIENTEDGE, {0, 0, 0, 0}},
    {&TFPreview::StatusBar1, STATUSCLASSNAMEW, SBARS_SIZEGRIP, 0, {0, 0, 0, 0}},
};

// Esc reaches the post as a key: no dialog keys here.
TFPreview::TFPreview(HWND main_window, HWND short_pane, HWND full_pane)
    : OpenedWindow({kPreviewClass, kPreviewTitle, kPreviewStyle, 0, kPreviewDesignClient, false, false, kPreviewLeastClient}),
      main_(main_window),
      short_pane_(short_pane),
      full_pane_(full_pane),
      shown_(std::make_unique<Panes>()) {}

TFPreview::~TFPreview() = default;

void TFPreview::show() {
    if (!window_ && !create()) return;
    if (stale_) render();
    if (!IsWindowVisible(window_)) {
        tell_owner_showing();
        ShowWindow(window_, std::exchange(maximize_at_first_show_, false) ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    }
    if (IsIconic(window_)) ShowWindow(window_, SW_RESTORE);
    SetForegroundWindow(window_);
    SetActiveWindow(window_);
    SetFocus(RichEdit1);
}

// Coalesced: however many changes come, one rendering follows them.
void TFPreview::follow() {
    stale_ = true;
    abandon();
    if (!window_ || !IsWindowVisible(window_) || timer_pending_) return;
    timer_pending_ = true;
    SetTimer(window_, kFollowTimer, kFollowDelayMs, nullptr);
}

bool TFPreview::create() {
    if (!load_rich_edit()) return false;
    if (!Window::create(main_, {CW_USEDEFAULT, CW_USEDEFAULT}, window_dpi(main_))) return false;
    make_controls<TFPreview>(*this, kRows);
    make_findings_list();
    fit_to_client();
    pictures_in_place_ = std::make_unique<PreviewPictures>(window_, kPostBackground);
    maximize_at_first_show_ = take_place() == kPlaceKeptMaximized;
    return true;
}

// Each rendering fills a new control, shown once filled: emptying a full
// one costs Wine's rich edit time that grows with the square of its
// paragraphs, where destroying it is linear.
HWND TFPreview::new_rich_edit(bool with_findings) {
    HWND made = CreateWindowExW(0, MSFTEDIT_CLASS, L"", kPreviewRichEditStyle, 0, 0, 0, 0, window_, nullptr,
                                instance(), nullptr);
    SetWindowSubclass(made, on_rich_edit_message, 0, reinterpret_cast<DWORD_PTR>(this));
    SendMessageW(made, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);  // as much as the panes hold
    // Read-only: an undo record of each piece and link only costs time, and
    // under Wine, after renderings that kept them, another rich edit of the
    // program filled up to three times slower.
    SendMessageW(made, EM_SETUNDOLIMIT, 0, 0);
    SendMessageW(made, EM_SETBKGNDCOLOR, 0, kPostBackground);
    take_post_format(made, theme());
    fit_to_client(made, with_findings);
    return made;
}

// Loads under way end with the window's showing; the next showing renders
// afresh and asks again for what was not in yet.
void TFPreview::hide() {
    ShowWindow(window_, SW_HIDE);
    abandon();
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

void TFPreview::lay_out() {
    lay_out_controls<TFPreview>(*this, kRows);
    fit_to_client();
}

void TFPreview::fit_to_client() {
    SendMessageW(StatusBar1, WM_SIZE, 0, 0);
    place_findings();
    if (RichEdit1) fit_to_client(RichEdit1, with_findings());
    if (filling_) fit_to_client(filling_->control, filling_->panes->findings() != 0);
}

// What the status bar leaves, at its own height for its font.
int TFPreview::post_and_findings_height() const {
    RECT bar;
    GetWindowRect(StatusBar1, &bar);
    return std::max<int>(0, client_size(window_).cy - (bar.bottom - bar.top));
}

int TFPreview::findings_height(bool with_findings) const {
    return with_findings ? std::min(scale_.y(kFindingsDesignHeight), post_and_findings_height() / 2) : 0;
}

// The post takes what the status bar and the findings leave: a control
// filled for a rendering with findings is made for the list it will show.
void TFPreview::fit_to_client(HWND rich_edit, bool with_findings) const {
    const SIZE client = client_size(window_);
    const int height = post_and_findings_height() - findings_height(with_findings);
    MoveWindow(rich_edit, 0, 0, client.cx, height, IsWindowVisible(rich_edit));
    // A margin, so that no line touches the frame; at the density like the rest.
    RECT text{scale_.x(kPostMargin), scale_.y(kPostMargin), client.cx - scale_.x(kPostMargin), height};
    SendMessageW(rich_edit, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&text));
}

// Reads the panes and writes their rich text at once (linear, milliseconds
// for what is shown), then fills a new control in steps of their own: no
// piece's time comes on top of this one's. Each pane is shown up to its
// head, with a line on what follows.
void TFPreview::render() {
    abandon();
    const Clock::time_point start = Clock::now();
    auto panes = std::make_unique<Panes>();
    panes->short_text = read_wide_text(short_pane_, bbcode::kShownUnits + 1);
    panes->full_text = read_wide_text(full_pane_, bbcode::kShownUnits + 1);
    bbcode::CheckedPane short_pane = bbcode::check_pane(utf16(panes->short_text), pane_length(short_pane_));
    bbcode::CheckedPane full_pane = bbcode::check_pane(utf16(panes->full_text), pane_length(full_pane_));
    const bbcode::Section sections[] = {{kShortHeading, &short_pane.post, short_pane.head.left_out},
                                        {kFullHeading, &full_pane.post, full_pane.head.left_out}};
    static const std::wstring beyond_limit =
        L" — " + widen(pictures::reason_text({pictures::Failure::TooManyInPreview, {}}));
    panes->rendering = bbcode::write_rtf(sections, theme(), {pictures::kMaxPerPreview, utf16(beyond_limit)});
    panes->short_findings = std::move(short_pane.findings);
    panes->full_findings = std::move(full_pane.findings);
    HWND control = new_rich_edit(panes->findings() != 0);
    filling_ = std::make_unique<Filling>(Filling{std::move(panes), control});
    stale_ = false;
    longest_step_ms_ = ms_since(start);
    next_step();
}

// Pieces and links while the next, as slow as the slowest yet, would end
// within the step's time; what is left waits behind the messages that came
// meanwhile. The showing too, as long as the last one took.
void TFPreview::fill_for_a_while() {
    const Clock::time_point start = Clock::now();
    do {
        const Clock::time_point one = Clock::now();
        filling_->filled = !fill_one(*filling_);
        filling_->slowest_ms = std::max(filling_->slowest_ms, ms_since(one));
    } while (!filling_->filled && ms_since(start) + filling_->slowest_ms < kRenderStepMs);
    // A showing that lays the findings' list out costs more than the last
    // one without: it takes a step of its own.
    const bool lists_findings = filling_->panes->findings() != 0 || with_findings();
    const bool in_time = filling_->filled && !lists_findings && ms_since(start) + finish_ms_ < kRenderStepMs;
    if (in_time) finish();
    else next_step();
    longest_step_ms_ = std::max(longest_step_ms_, ms_since(start));
}

void TFPreview::step() {
    if (!filling_) return;
    if (filling_->filled) finish();
    else fill_for_a_while();
}

// The next link if its text is in, else one piece of the stream; false
// when nothing is left.
bool TFPreview::fill_one(Filling& filling) const {
    const bbcode::Rendering& rendering = filling.panes->rendering;
    const bool link_in = filling.next_link < rendering.links.size() &&
                         rendering.links[filling.next_link].start + rendering.links[filling.next_link].length <=
                             filling.held;
    if (link_in) {
        mark_link(filling.control, rendering.links[filling.next_link++]);
    } else if (filling.next_cut + 1 < rendering.cuts.size()) {
        const std::size_t from = rendering.cuts[filling.next_cut], to = rendering.cuts[++filling.next_cut];
        std::string piece;
        piece.reserve(rendering.body_start + (to - from) + 1);
        piece.append(rendering.rtf, 0, rendering.body_start).append(rendering.rtf, from, to - from) += '}';
        filling.held = stream_at_end(filling.control, piece);
    }
    return filling.next_cut + 1 < rendering.cuts.size() || filling.next_link < rendering.links.size();
}

// Input and painting go first: a timer's message comes only after them.
void TFPreview::next_step() {
    if (HIWORD(GetQueueStatus(QS_INPUT | QS_PAINT))) SetTimer(window_, kStepTimer, USER_TIMER_MINIMUM, nullptr);
    else PostMessageW(window_, kRenderStep, 0, 0);
}

void TFPreview::abandon() {
    if (!filling_) return;
    KillTimer(window_, kStepTimer);
    DestroyWindow(filling_->control);
    filling_.reset();
}

// The filled control takes the shown one's place, scrolled where the
// reader was; the old one, hidden and destroyed, goes in a step of its own.
void TFPreview::finish() {
    const Clock::time_point start = Clock::now();
    HWND old = RichEdit1;
    if (old) SendMessageW(old, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scrolled_));
    RichEdit1 = filling_->control;
    shown_ = std::move(filling_->panes);
    filling_.reset();
    shown_->rendering.rtf = std::string();  // streamed: no longer needed
    show_findings();  // before the post shows: a sibling shown would be drawn again with it
    SendMessageW(RichEdit1, EM_SETEVENTMASK, 0, ENM_LINK | ENM_MOUSEEVENTS | ENM_KEYEVENTS);
    pictures_in_place_->rendered(RichEdit1, pictures(), post_width(), dpi_);
    SendMessageW(RichEdit1, EM_SETSEL, 0, 0);
    SendMessageW(RichEdit1, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scrolled_));
    ShowWindow(RichEdit1, SW_SHOWNA);
    if (old) {
        if (GetFocus() == old) SetFocus(RichEdit1);
        PostMessageW(window_, kRetire, 0, reinterpret_cast<LPARAM>(old));
    }
    finish_ms_ = ms_since(start);
    longest_step_ms_ = std::max(longest_step_ms_, ms_since(start));
    next_step();
}

const bbcode::Span* TFPreview::link_at(LONG position) const {
    const std::vector<bbcode::Span>& all = links();
    const auto after = std::upper_bound(all.begin(), all.end(), position,
                                        [](LONG p, const bbcode::Span& link) { return p < link.start; });
    if (after == all.begin()) return nullptr;
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
    const std::wstring address = as_wide(link->address);
    if (mouse_message == WM_MOUSEMOVE) show_status(address);
    if (mouse_message != WM_LBUTTONUP) return;
    CHARRANGE selected{};
    SendMessageW(RichEdit1, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selected));
    if (selected.cpMin == selected.cpMax) open_web_address(window_, address);  // not the end of a drag
}

// A link's address stays only while the mouse is over the post: the system
// says when it leaves, where no further move would come to clear it.
void TFPreview::show_status(const std::wstring& text) {
    if (text == status_) return;
    status_ = text;
    SendMessageW(StatusBar1, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(status_.c_str()));
    if (status_.empty()) return;
    TRACKMOUSEEVENT leave{sizeof leave, TME_LEAVE, RichEdit1, 0};
    TrackMouseEvent(&leave);
}

LRESULT CALLBACK TFPreview::on_rich_edit_message(HWND rich_edit, UINT message, WPARAM wparam, LPARAM lparam,
                                                 UINT_PTR, DWORD_PTR self) {
    if (message == WM_MOUSELEAVE) reinterpret_cast<TFPreview*>(self)->show_status(L"");
    if (message == WM_NCDESTROY) RemoveWindowSubclass(rich_edit, on_rich_edit_message, 0);
    return DefSubclassProc(rich_edit, message, wparam, lparam);
}

// One column, as wide as the list or its longest line measured.
void TFPreview::make_findings_list() {
    ShowWindow(ListView1, SW_HIDE);
    SendMessageW(ListView1, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    SendMessageW(ListView1, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
}

// The rendering just shown: its findings listed, the list shown only if it has some.
void TFPreview::show_findings() {
    // Its drawing held off, the list lays itself out once for the count and
    // the column's width, not once for each.
    SendMessageW(ListView1, WM_SETREDRAW, FALSE, 0);
    SendMessageW(ListView1, LVM_SETITEMCOUNT, shown_->findings(), 0);
    place_findings();
    SendMessageW(ListView1, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(ListView1, nullptr, TRUE);
    ShowWindow(ListView1, with_findings() ? SW_SHOWNA : SW_HIDE);
    if (!with_findings() && GetFocus() == ListView1) SetFocus(RichEdit1);
}

void TFPreview::place_findings() {
    const int bottom = post_and_findings_height(), height = findings_height(with_findings());
    MoveWindow(ListView1, 0, bottom - height, client_size(window_).cx, height, TRUE);
    RECT inside;
    GetClientRect(ListView1, &inside);
    int widest = inside.right;
    const TextMeasure measure(font_);
    for (std::size_t row = 0; row < std::min(shown_->findings(), kMeasuredFindings); ++row) {
        widest = std::max<int>(widest, measure.size(finding_line(row).c_str()).cx + scale_.x(kFindingPadding));
    }
    SendMessageW(ListView1, LVM_SETCOLUMNWIDTH, 0, widest);
}

// «Полное описание, строка 3, знак 7: …»
std::wstring TFPreview::finding_line(std::size_t row) const {
    const bbcode::Finding& f = shown_->finding(row);
    const std::u16string_view heading = shown_->in_short(row) ? kShortHeading : kFullHeading;
    return as_wide(heading) + L", строка " + std::to_wstring(f.line) + L", знак " + std::to_wstring(f.character) +
           L": " + as_wide(f.message);
}

// The place selected in the main window's pane, which comes to the front.
void TFPreview::go_to_finding(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= shown_->findings()) return;
    const bbcode::Finding& f = shown_->finding(static_cast<std::size_t>(row));
    HWND pane = shown_->in_short(static_cast<std::size_t>(row)) ? short_pane_ : full_pane_;
    if (IsIconic(main_)) ShowWindow(main_, SW_RESTORE);
    SetForegroundWindow(main_);
    SetFocus(pane);
    SendMessageW(pane, EM_SETSEL, f.offset, f.offset + f.length);
    SendMessageW(pane, EM_SCROLLCARET, 0, 0);
}

LRESULT TFPreview::on_findings_notify(const NMHDR& header) {
    switch (header.code) {
        case LVN_GETDISPINFOW: {
            LVITEMW& item = reinterpret_cast<NMLVDISPINFOW&>(const_cast<NMHDR&>(header)).item;
            if ((item.mask & LVIF_TEXT) && item.iItem >= 0 && static_cast<std::size_t>(item.iItem) < shown_->findings()) {
                lstrcpynW(item.pszText, finding_line(static_cast<std::size_t>(item.iItem)).c_str(), item.cchTextMax);
            }
            return 0;
        }
        case NM_RETURN:
            go_to_finding(static_cast<int>(SendMessageW(ListView1, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED)));
            return 0;
        case NM_DBLCLK:
            go_to_finding(reinterpret_cast<const NMITEMACTIVATE&>(header).iItem);
            return 0;
        case LVN_KEYDOWN: {
            const WORD key = reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey;
            if (key == VK_ESCAPE) hide();
            if (key == VK_TAB) SetFocus(RichEdit1);
            return 0;
        }
        default:
            return 0;
    }
}

LRESULT TFPreview::on_notify(const NMHDR& header) {
    if (header.hwndFrom == ListView1) return on_findings_notify(header);
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
        if (filter.msg == WM_KEYDOWN && filter.wParam == VK_TAB && with_findings()) {
            SetFocus(ListView1);
            return 1;
        }
    }
    return 0;
}

LRESULT TFPreview::on_message(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_SIZE:
            fit_to_client();
            [[fallthrough]];
        case WM_MOVE:  // the owner keeps where the window is
            if (IsWindowVisible(window_)) SendMessageW(main_, kOwnedWindowMoved, 0, reinterpret_cast<LPARAM>(window_));
            return 0;
        case WM_NOTIFY:
            return on_notify(*reinterpret_cast<const NMHDR*>(lparam));
        case WM_TIMER:
            if (wparam == kStepTimer) {
                KillTimer(window_, kStepTimer);
                step();
                return 0;
            }
            if (wparam == kPictureSettleTimer) {
                pictures_in_place_->settled();
                return 0;
            }
            if (wparam != kFollowTimer) break;
            KillTimer(window_, kFollowTimer);
            timer_pending_ = false;
            if (IsWindowVisible(window_)) render();
            return 0;
        case kPanesChanged:
            follow();
            return 0;
        case kRenderStep:
            step();
            return 0;
        case kRetire: {
            const Clock::time_point start = Clock::now();
            const auto old = reinterpret_cast<HWND>(lparam);
            if (IsChild(window_, old) && old != RichEdit1) DestroyWindow(old);
            longest_step_ms_ = std::max(longest_step_ms_, ms_since(start));
            return 0;
        }
        case WM_ACTIVATE:
            if (LOWORD(wparam) != WA_INACTIVE && RichEdit1) SetFocus(RichEdit1);
            return 0;
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE:  // high contrast on or off: the headings' colours
            if (IsWindowVisible(window_)) render();
            else stale_ = true;
            break;
        case WM_KEYDOWN:
            if (wparam != VK_ESCAPE) break;
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
    return OpenedWindow::on_message(message, wparam, lparam);
}

}  // namespace tessivar
