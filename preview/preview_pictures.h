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
    PictureLoader& loader();

    HWND window_;
    COLORREF background_;
    std::unique_ptr<PictureLoader> loader_;  // made for the first picture
    HWND rich_edit_ = nullptr;
    std::uint32_t max_width_ = 0;
    int dpi_ = 96;
    std::vector<Placeholder> placeholders_;
    pictures::TextShifts shifts_;
    std::unordered_map<std::string, PictureResult> known_;
    std::set<std::string> loaded_again_;  // once each, after room was made
};

}  // namespace tessivar
