#pragma once
// A downloaded picture decoded by the system's imaging component
// (windowscodecs.dll, loaded on first use) and scaled down to its width.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <span>
#include <variant>

#include "preview/picture_loader.h"

namespace tessivar {

// Takes the first frame; checks the size its bytes announce before any
// decoder is made, the decoder's before any pixel is copied, and holds its
// bytes in `held` before they are made. Call on a thread that has joined COM.
std::variant<std::unique_ptr<Picture>, pictures::Refusal> decode_picture(
    std::span<const std::uint8_t> body, std::uint32_t max_width, COLORREF background,
    const std::shared_ptr<pictures::HeldBytes>& held);

}  // namespace tessivar
