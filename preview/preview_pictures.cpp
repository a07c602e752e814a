#include "preview/preview_pictures.h"

#include <richedit.h>

#include <algorithm>
#include <utility>

#include "preview/rich_edit_picture.h"
#include "win32/window_kit.h"
#include "output/win32_text.h"

namespace tessivar {
namespace {

using pictures::Failure;

bool is_out_of_room(const PictureResult& result) {
    return result.refusal && result.refusal->kind == Failure::TooMuchHeld;
}

}  // namespace

PreviewPictures::PreviewPictures(HWND window, COLORREF background) : window_(window), background_(background) {}

PreviewPictures::~PreviewPictures() {
    loader_.reset();
    discard_posted_pictures(window_, kPictureArrived);
}

PictureLoader& PreviewPictures::loader() {
    if (!loader_) loader_ = std::make_unique<PictureLoader>(window_, kPictureArrived, background_);
    return *loader_;
}

void PreviewPictures::rendered(HWND rich_edit, std::span<const bbcode::Span> placeholders, std::uint32_t max_width,
                               int dpi) {
    rich_edit_ = rich_edit;
    max_width_ = max_width;
    dpi_ = dpi;
    shifts_.clear();
    placeholders_.clear();
    for (const bbcode::Span& span : placeholders) {
        placeholders_.push_back({span.start, span.length, narrow(as_wide(span.address))});
    }
    std::vector<std::string> wanted;
    for (Placeholder& placeholder : placeholders_) {
        if (const auto known = known_.find(placeholder.address); known != known_.end()) {
            // As if it arrived again: each in a message of its own, so that
            // a post of many pictures never holds the window at once.
            auto again = std::make_unique<PictureResult>(known->second);
            if (PostMessageW(window_, kPictureArrived, 0, reinterpret_cast<LPARAM>(again.get()))) again.release();
        } else if (std::find(wanted.begin(), wanted.end(), placeholder.address) == wanted.end()) {
            wanted.push_back(placeholder.address);
        }
    }
    standing_.clear();
    KillTimer(window_, kPictureSettleTimer);
    const bool follows = std::exchange(following_, true);
    if (!loader_ && wanted.empty()) return;  // no picture yet: WinHTTP stays unloaded
    if (!follows) return fetch(wanted);
    if (loader_) loader_->keep_only(wanted);  // what loads already and stays goes on
    standing_ = std::move(wanted);
    if (!standing_.empty()) SetTimer(window_, kPictureSettleTimer, kPictureSettleMs, nullptr);
}

void PreviewPictures::settled() {
    KillTimer(window_, kPictureSettleTimer);
    fetch(std::exchange(standing_, {}));
}

void PreviewPictures::fetch(const std::vector<std::string>& addresses) {
    loader().keep_only(addresses);
    for (const std::string& address : addresses) loader_->load(address, max_width_);
}

void PreviewPictures::cancel() {
    KillTimer(window_, kPictureSettleTimer);
    standing_.clear();
    following_ = false;
    if (loader_) loader_->keep_only({});
}

bool PreviewPictures::shown_now(const std::string& address) const {
    return std::any_of(placeholders_.begin(), placeholders_.end(),
                       [&](const Placeholder& p) { return p.address == address; });
}

void PreviewPictures::arrived(LPARAM lparam) {
    const auto result = take_picture_result(lparam);
    if (is_out_of_room(*result) && make_room_for(result->address)) return;
    if (!is_out_of_room(*result)) known_[result->address] = *result;
    if (known_.size() > kRememberedAddresses) {
        std::erase_if(known_, [&](const auto& entry) { return !shown_now(entry.first); });
    }
    const auto waiting = [&](const Placeholder& p) { return !p.done && p.address == result->address; };
    if (!rich_edit_ || std::none_of(placeholders_.begin(), placeholders_.end(), waiting)) return;

    // The reader's selection and place in the post stay as they were.
    CHARRANGE selection{};
    SendMessageW(rich_edit_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    const long from = shifts_.to_rendering(selection.cpMin), to = shifts_.to_rendering(selection.cpMax);
    POINT scrolled{};
    SendMessageW(rich_edit_, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scrolled));
    SendMessageW(rich_edit_, WM_SETREDRAW, FALSE, 0);
    for (Placeholder& placeholder : placeholders_) {
        if (waiting(placeholder)) show(placeholder, *result);
    }
    selection = {shifts_.to_control(from), shifts_.to_control(to)};
    SendMessageW(rich_edit_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    SendMessageW(rich_edit_, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scrolled));
    SendMessageW(rich_edit_, WM_SETREDRAW, TRUE, 0);
    redraw_all_of(rich_edit_);
}

void PreviewPictures::show(Placeholder& placeholder, const PictureResult& outcome) {
    placeholder.done = true;
    if (outcome.picture) {
        const pictures::PixelSize fitted = pictures::fitted_size(outcome.picture->size, max_width_);
        const long start = shifts_.to_control(placeholder.start);
        const SIZE shown{static_cast<LONG>(fitted.width), static_cast<LONG>(fitted.height)};
        if (place_picture(rich_edit_, {start, start + placeholder.length}, *outcome.picture, shown, dpi_)) {
            shifts_.replaced(placeholder.start, placeholder.length, 1);
            return;
        }
    }
    add_note(placeholder, outcome.refusal ? widen(pictures::reason_text(*outcome.refusal)) : L"не удалось показать");
}

// The reason follows the address inside the placeholder's frame.
void PreviewPictures::add_note(const Placeholder& placeholder, const std::wstring& note) {
    const std::wstring text = L" — " + note;
    const long end = shifts_.to_control(placeholder.start + placeholder.length);
    CHARRANGE at{end, end};
    SendMessageW(rich_edit_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&at));
    SendMessageW(rich_edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    shifts_.replaced(placeholder.start + placeholder.length, 0, static_cast<long>(text.size()));
}

// Out of room: the pictures fetched for earlier renderings and not shown now
// make way, and this one is fetched once more.
bool PreviewPictures::make_room_for(const std::string& address) {
    if (loaded_again_.size() >= kRememberedAddresses) loaded_again_.clear();
    if (!loaded_again_.insert(address).second) return false;
    const auto erased = std::erase_if(known_, [&](const auto& entry) { return entry.second.picture && !shown_now(entry.first); });
    if (erased == 0) return false;
    loader().load(address, max_width_);
    return true;
}

}  // namespace tessivar
