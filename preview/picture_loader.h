#pragma once
// Pictures fetched from the web for the preview, one worker thread beside
// the window's: WinHTTP (loaded the first time a picture is asked for), the
// system's proxy, the limits of pictures/picture_rules.h, decoding by the
// system's imaging component. Each outcome reaches the window as a posted
// message; the window never waits on the network.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "pictures/picture_rules.h"

namespace tessivar {

// A decoded picture at the size it is shown: 32-bit BGRX rows, top row
// first, already laid on the post's background where it was transparent.
// Its bytes count against the limit on pictures held until it is gone.
struct Picture {
    pictures::PixelSize size;
    std::vector<std::uint8_t> pixels;
    std::shared_ptr<pictures::HeldBytes> held;  // given back on destruction
    Picture() = default;
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    ~Picture();
};

// One address's outcome: the picture, or why there is none.
struct PictureResult {
    std::string address;
    std::shared_ptr<const Picture> picture;
    std::optional<pictures::Refusal> refusal;
};

// The result a posted message carries; the receiver owns it from then on.
std::unique_ptr<PictureResult> take_picture_result(LPARAM lparam);

// Frees the results still queued for a window that is going away.
void discard_posted_pictures(HWND window, UINT message);

class PictureLoader {
public:
    // Results go to `window` as `message`, lparam a PictureResult*.
    // Transparent parts are laid on `background`.
    PictureLoader(HWND window, UINT message, COLORREF background);
    // Cancels every load and lets the worker go; waits half a second at
    // most, so that closing never hangs on a decoder.
    ~PictureLoader();
    PictureLoader(const PictureLoader&) = delete;
    PictureLoader& operator=(const PictureLoader&) = delete;

    // Starts loading `address`, shown at most `max_width` pixels wide,
    // unless it is loading already. An address that may not be loaded is
    // answered at once, with its refusal.
    void load(const std::string& address, std::uint32_t max_width);
    // Cancels each load whose address is not among `addresses`.
    void keep_only(std::span<const std::string> addresses);

    struct Shared;  // what the worker and WinHTTP's callbacks share

private:
    std::shared_ptr<Shared> shared_;
    HANDLE worker_ = nullptr;
};

}  // namespace tessivar
