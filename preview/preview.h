#pragma once
// The preview: both panes as the forum will show them, in the system's rich
// edit, following what the panes hold. Modeless, owned by the main window;
// made the first time it is asked for, never at start-up.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "preview/preview_pictures.h"
#include "bbcode/markup_check.h"
#include "bbcode/rtf.h"
#include "win32/window.h"

namespace tessivar {

inline constexpr wchar_t kPreviewClass[] = L"TFPreview";
inline constexpr wchar_t kPreviewTitle[] = L"Предварительный просмотр";
inline constexpr SIZE kPreviewDesignClient = {520, 589};
// A few lines of the post, and the status bar whole.
inline constexpr SIZE kPreviewLeastClient = {320, 200};
// Read-only, wrapped, scrolled up and down; shown once filled.
inline constexpr DWORD kPreviewRichEditStyle =
    WS_CHILD | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;
// Changes shown at most this long after they happen, however fast they come.
inline constexpr UINT kFollowDelayMs = 100;
// A rendering fills its control in steps between messages, each ending
// before this much time would pass: the windows answer throughout.
inline constexpr double kRenderStepMs = 30;
// The list of what the forum will not show as written, under the post, at
// 96 dpi: at most half of the room the post and it share.
inline constexpr int kFindingsDesignHeight = 88;

class TFPreview : public OpenedWindow {
public:
    // Reads the two panes; nothing is made until the first show().
    TFPreview(HWND main_window, HWND short_pane, HWND full_pane);
    ~TFPreview() override;

    // Shows the panes as they are now, and brings the window to the front.
    void show() override;
    // A pane changed: shown a moment later if the window is open; a
    // rendering under way is given up.
    void follow();

    // Made anew for each rendering, shown once filled.
    HWND RichEdit1{};
    // One line a finding of the rendering shown, hidden when it has none;
    // Enter or a double click selects the place in its pane.
    HWND ListView1{};
    HWND StatusBar1{};

    // Where each link and picture placeholder stands in the rich edit's
    // text, as last shown; addresses point into the panes' texts kept here.
    const std::vector<bbcode::Span>& links() const { return shown_->rendering.links; }
    const std::vector<bbcode::Span>& pictures() const { return shown_->rendering.pictures; }
    // A rendering is still filling its control.
    bool rendering() const { return filling_ != nullptr; }
    // The longest step of the last rendering, in milliseconds.
    double longest_step_ms() const { return longest_step_ms_; }
    // Where a rendering's position stands in the rich edit now that pictures
    // and reasons arrived in place.
    LONG shown_at(LONG rendering_position) const;

private:
    LRESULT on_message(UINT message, WPARAM wparam, LPARAM lparam) override;
    void lay_out() override;
    void close() override { hide(); }

    // A rendering's texts and what points into them.
    struct Panes {
        std::wstring short_text, full_text;
        bbcode::Rendering rendering;
        std::vector<bbcode::Finding> short_findings, full_findings;
        std::size_t findings() const { return short_findings.size() + full_findings.size(); }
        // The list's rows: the short pane's findings, then the full one's.
        bool in_short(std::size_t row) const { return row < short_findings.size(); }
        const bbcode::Finding& finding(std::size_t row) const {
            return in_short(row) ? short_findings[row] : full_findings[row - short_findings.size()];
        }
    };
    struct Filling;

    bool create();
    void hide();
    std::uint32_t post_width() const;
    HWND new_rich_edit(bool with_findings);
    void fit_to_client();
    void fit_to_client(HWND rich_edit, bool with_findings) const;
    bool with_findings() const { return shown_->findings() != 0; }  // the rendering shown has some
    int post_and_findings_height() const;
    int findings_height(bool with_findings) const;
    void make_findings_list();
    void show_findings();
    void place_findings();
    std::wstring finding_line(std::size_t row) const;
    void go_to_finding(int row) const;
    LRESULT on_findings_notify(const NMHDR& header);
    void render();
    void fill_for_a_while();
    void step();
    bool fill_one(Filling& filling) const;
    void next_step();
    void abandon();
    void finish();
    LRESULT on_notify(const NMHDR& header);
    void on_link(UINT mouse_message, LPARAM mouse_position, LONG first_char);
    const bbcode::Span* link_at(LONG position) const;
    void show_status(const std::wstring& text);
    static LRESULT CALLBACK on_rich_edit_message(HWND rich_edit, UINT message, WPARAM wparam, LPARAM lparam,
                                                 UINT_PTR, DWORD_PTR self);

    HWND main_;
    HWND short_pane_;
    HWND full_pane_;
    bool stale_ = true;        // the panes changed while nothing was shown
    bool timer_pending_ = false;
    std::unique_ptr<Panes> shown_;
    std::unique_ptr<Filling> filling_;
    double longest_step_ms_ = 0;
    double finish_ms_ = kRenderStepMs / 2;  // the last showing's time; guessed before the first
    std::unique_ptr<PreviewPictures> pictures_in_place_;  // lives as long as the window
    std::wstring status_;
    POINT scrolled_{};  // where the reader was, kept across renderings
    bool maximize_at_first_show_ = false;  // left maximised in an earlier run
};

}  // namespace tessivar
