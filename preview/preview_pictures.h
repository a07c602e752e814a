#pragma once
// The preview's pictures: each placeholder of the last rendering given its
// picture, or its reason after its address, as the loads come in. Every
// address is fetched once a run; what was fetched is shown again at once.
// An arrival changes the control in place, never renders the post again.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "preview/picture_loader.h"
#include "bbcode/rtf.h"
#include "pictures/text_shifts.h"
#include "win32/messages.h"

namespace tessivar {

// What a run remembers of the addresses no longer shown: a post typed and
// retyped all day holds no more.
inline constexpr std::size_t kRememberedAddresses = 256;
// Set on the preview window: a new address in a rendering that followed a
// change is fetched once it has stood this long, so that an address being
// typed is never fetched half typed.
inline constexpr UINT_PTR kPictureSettleTimer = 3;
inline constexpr UINT kPictureSettleMs = 1000;

class PreviewPictures {
public:
    // Results reach `window` as kPictureArrived; transparency shows `background`.
    PreviewPictures(HWND window, COLORREF background);
    ~PreviewPictures();
    PreviewPictures(const PreviewPictures&) = delete;
    PreviewPictures& operator=(const PreviewPictures&) = delete;

    // `rich_edit` was just filled with a rendering holding these
    // placeholders; pictures are shown at most `max_width` pixels wide at `dpi`.
    // Loads that no longer appear are cancelled.
    void rendered(HWND rich_edit, std::span<const bbcode::Span> placeholders, std::uint32_t max_width, int dpi);
    // kPictureSettleTimer's: the addresses that stood are fetched.
    void settled();
    // A kPictureArrived message's lparam.
    void arrived(LPARAM lparam);
    // Nothing more is shown: every load is cancelled.
    void cancel();

    // The rendering's position of a character of the control, and back.
    long rendering_position(long control) const { return shifts_.to_rendering(control); }
    long control_position(long rendering) const { return shifts_.to_control(rendering); }

private:
    struct Placeholder {
        long start, length;
        std::string address;
        bool done = false;
    };

    void show(Placeholder& placeholder, const PictureResult& outcome);
    void add_note(const Placeholder& placeholder, const std::wstring& note);
    bool make_room_for(const std::string& address);
    void fetch(const std::vector<std::string>& addresses);
    bool shown_now(const std::string& address) const;
    PictureLoader& loader();

    HWND window_;
    COLORREF background_;
    std::unique_ptr<PictureLoader> loader_;  // made for the first picture
    HWND rich_edit_ = nullptr;
    std::uint32_t max_width_ = 0;
    int dpi_ = 96;
    std::vector<Placeholder> placeholders_;
    pictures::TextShifts shifts_;
    std::vector<std::string> standing_;  // to fetch once they have stood
    bool following_ = false;              // since the first rendering of a showing
    // Each at most kRememberedAddresses, beyond those shown now.
    std::unordered_map<std::string, PictureResult> known_;
    std::set<std::string> loaded_again_;  // once each, after room was made
};

}  // namespace tessivar
