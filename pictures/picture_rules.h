#pragma once
// The rules for pictures fetched from the web: which addresses may be
// loaded, where a redirect leads, what a response's first bytes announce,
// the limits, the size a picture is shown at, and the reason given in place
// of a picture that cannot be shown.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tessivar::pictures {

// Limits on what a stranger's server can make the program hold or wait for.
inline constexpr std::size_t kMaxDownloadBytes = std::size_t{16} << 20;
inline constexpr std::uint32_t kMaxSide = 10'000;
inline constexpr unsigned kTimeLimitMs = 10'000;
inline constexpr int kMaxRedirects = 5;
inline constexpr std::size_t kMaxPerPreview = 50;
inline constexpr std::size_t kMaxHeldBytes = std::size_t{128} << 20;

enum class Failure {
    RefusedAddress,
    TooManyInPreview,
    TooManyRedirects,
    NotFound,
    HttpStatus,
    NotAPicture,
    UnreadableFormat,
    TooManyBytes,
    TooManyPixels,
    TooMuchHeld,
    NoAnswer,
    NetworkError,
};

// Why a picture is not shown; `detail` is a status, a content type, a format
// or a size, as the kind needs.
struct Refusal {
    Failure kind;
    std::string detail;
    friend bool operator==(const Refusal&, const Refusal&) = default;
};

// The short Russian line shown under the picture's placeholder.
std::string reason_text(const Refusal& refusal);

// An address split for the network: absolute http or https, a host of
// letters, digits, dots and dashes (or a bracketed IPv6 literal), no user
// name or password, nothing the user cannot see (controls, blanks). The
// target is the path and query with anything beyond ASCII percent-encoded;
// the fragment never leaves the program.
struct AddressParts {
    bool secure = false;
    std::string host;
    std::uint16_t port = 0;
    std::string target;
    friend bool operator==(const AddressParts&, const AddressParts&) = default;
};
std::optional<AddressParts> split_address(std::string_view address);

// Where a redirect's Location leads from `from`, or nothing where it leads
// off the web (another scheme) or cannot be read.
std::optional<AddressParts> follow_location(const AddressParts& from, std::string_view location);

// What a body's bytes say it is, and how large, read as its decoders read
// it (0 by 0 where they do not tell): sizes are read here because some
// decoders take all of a picture's pixels as soon as they are handed it.
// Where a format holds several images, the largest width and height of any.
struct Announced {
    std::string_view format;
    std::uint32_t width = 0, height = 0;
};
std::optional<Announced> announced_picture(std::span<const std::uint8_t> head);

// Refused where the size is unread or past the limits: no decoder sees it.
std::optional<Refusal> judge_announced(const Announced& picture);

// The refusal for a complete response, or nothing where it is worth decoding.
std::optional<Refusal> judge_response(int status, std::string_view content_type, std::span<const std::uint8_t> body);

// Whether a Content-Length header announces more than kMaxDownloadBytes.
bool announces_too_many_bytes(std::string_view content_length);

// Refused where either side passes kMaxSide.
std::optional<Refusal> judge_size(std::uint32_t width, std::uint32_t height);

struct PixelSize {
    std::uint32_t width = 0, height = 0;
    friend bool operator==(const PixelSize&, const PixelSize&) = default;
};
// Shown at most `max_width` wide, keeping its proportions; never enlarged.
PixelSize fitted_size(PixelSize picture, std::uint32_t max_width);

// Bytes of 32-bit pixels, or nothing where the count would overflow.
std::optional<std::size_t> pixel_bytes(PixelSize size);

// The decoded pixels held at once, across threads, never beyond the limit.
class HeldBytes {
public:
    explicit HeldBytes(std::size_t limit = kMaxHeldBytes) : limit_(limit) {}
    bool try_hold(std::size_t bytes);
    void release(std::size_t bytes);
    std::size_t held() const { return held_.load(); }

private:
    std::size_t limit_;
    std::atomic<std::size_t> held_{0};
};

}  // namespace tessivar::pictures
