// The rules that read what a picture's server sends, on any bytes: a body's
// first bytes, a response, a Content-Length, a redirect's Location. Every
// input is handed over in a heap block of exactly its size, so that a read
// past it stops the run under AddressSanitizer.
//
// The first input byte picks the rule; the rest is the server's part.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "fuzz_checks.h"
#include "pictures/picture_rules.h"

namespace {

using namespace tessivar::pictures;

// A copy in a block of its own, exactly as long as the bytes.
class ExactCopy {
public:
    explicit ExactCopy(std::span<const std::uint8_t> bytes) : size_(bytes.size()), data_(new std::uint8_t[bytes.size()]) {
        std::copy(bytes.begin(), bytes.end(), data_.get());
    }
    std::span<const std::uint8_t> bytes() const { return {data_.get(), size_}; }
    std::string_view text() const { return {reinterpret_cast<const char*>(data_.get()), size_}; }

private:
    std::size_t size_;
    std::unique_ptr<std::uint8_t[]> data_;
};

std::uint32_t big_endian(std::span<const std::uint8_t> b, std::size_t at, std::size_t count) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < count; ++i) value = value << 8 | b[at + i];
    return value;
}

std::uint32_t little_endian(std::span<const std::uint8_t> b, std::size_t at, std::size_t count) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < count; ++i) value |= std::uint32_t{b[at + i]} << (8 * i);
    return value;
}

bool starts(std::span<const std::uint8_t> head, std::string_view signature) {
    return head.size() >= signature.size() &&
           std::equal(signature.begin(), signature.end(), head.begin(), [](char s, std::uint8_t b) { return static_cast<std::uint8_t>(s) == b; });
}

// Some start-of-frame marker lying wholly in the head gives exactly this size.
bool a_jpeg_frame_says(std::span<const std::uint8_t> head, std::uint32_t width, std::uint32_t height) {
    for (std::size_t at = 2; at + 9 <= head.size(); ++at) {
        const std::uint8_t marker = head[at + 1];
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (head[at] == 0xFF && frame && big_endian(head, at + 5, 2) == height && big_endian(head, at + 7, 2) == width) return true;
    }
    return false;
}

// The announced size is what the format's header fields hold (a GIF's
// images may widen its screen); 0 by 0 where the head ends before them.
bool header_says(std::span<const std::uint8_t> head, const Announced& a) {
    const auto size_is = [&](std::uint32_t w, std::uint32_t h) { return a.width == w && a.height == h; };
    const bool unread = size_is(0, 0);
    if (a.format == "PNG") {
        const bool has_header = head.size() >= 24 && big_endian(head, 12, 4) == 0x49484452;  // IHDR
        return starts(head, "\x89PNG\r\n\x1a\n") &&
               (has_header ? size_is(big_endian(head, 16, 4), big_endian(head, 20, 4)) : unread);
    }
    if (a.format == "GIF") {
        return starts(head, "GIF8") &&
               (head.size() < 10 ? unread
                                 : unread || (a.width >= little_endian(head, 6, 2) && a.height >= little_endian(head, 8, 2)));
    }
    if (a.format == "JPEG") return starts(head, "\xFF\xD8\xFF") && (unread || a_jpeg_frame_says(head, a.width, a.height));
    if (a.format == "BMP") {
        if (!starts(head, "BM") || head.size() < 26) return false;
        if (little_endian(head, 14, 4) == 12) return size_is(little_endian(head, 18, 2), little_endian(head, 20, 2));
        const auto height = static_cast<std::int32_t>(little_endian(head, 22, 4));
        const std::uint32_t rows = height < 0 ? 0u - static_cast<std::uint32_t>(height) : static_cast<std::uint32_t>(height);
        return size_is(little_endian(head, 18, 4), rows);
    }
    if (a.format == "WebP") return starts(head, "RIFF") && head.size() >= 12 && big_endian(head, 8, 4) == 0x57454250;
    if (a.format == "TIFF") return starts(head, std::string_view("II*\0", 4)) || starts(head, std::string_view("MM\0*", 4));
    return a.format == "ICO" && starts(head, std::string_view("\0\0\1\0", 4));
}

// A decoder is handed only what was recognised, with both sides read, within the limits.
void check_picture_head(std::span<const std::uint8_t> head) {
    const auto announced = announced_picture(head);
    if (announced) FUZZ_CHECK(header_says(head, *announced));
    const auto refusal = judge_response(200, "", head);
    if (!announced) return FUZZ_CHECK(refusal && refusal->kind == Failure::NotAPicture);
    const bool unread = announced->width == 0 || announced->height == 0;
    const bool too_large = !unread && (announced->width > kMaxSide || announced->height > kMaxSide);
    FUZZ_CHECK(unread == (refusal && refusal->kind == Failure::UnreadableFormat));
    FUZZ_CHECK(too_large == (refusal && refusal->kind == Failure::TooManyPixels));
    FUZZ_CHECK(too_large || unread || !refusal);
}

void check_response(FuzzedDataProvider& in) {
    const int status = in.ConsumeIntegral<int>();
    const ExactCopy content_type(in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<std::size_t>(0, 64)));
    const ExactCopy body(in.ConsumeRemainingBytes<std::uint8_t>());
    const auto refusal = judge_response(status, content_type.text(), body.bytes());
    if (status < 200 || status > 299) FUZZ_CHECK(refusal && refusal->detail == "HTTP " + std::to_string(status));
}

// Decimal digits alone are compared as a number of any length.
void check_content_length(std::string_view header) {
    const bool too_many = announces_too_many_bytes(header);
    if (!std::all_of(header.begin(), header.end(), [](char c) { return c >= '0' && c <= '9'; })) return;
    std::string_view digits = header.substr(std::min(header.find_first_not_of('0'), header.size()));
    const std::string limit = std::to_string(kMaxDownloadBytes);
    const bool over = digits.size() != limit.size() ? digits.size() > limit.size() : digits > limit;
    FUZZ_CHECK(too_many == over);
}

bool is_host_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-'; }
bool is_ipv6_char(char c) { return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.'; }

std::string written(const AddressParts& p) {
    const bool ipv6 = p.host.find(':') != std::string::npos;
    return (p.secure ? "https://" : "http://") + (ipv6 ? "[" + p.host + "]" : p.host) + ":" + std::to_string(p.port) + p.target;
}

// Absolute http(s), ready for the network, and read back the same.
void check_address(const AddressParts& p) {
    const bool ipv6 = p.host.find(':') != std::string::npos;
    FUZZ_CHECK(!p.host.empty() && std::all_of(p.host.begin(), p.host.end(), ipv6 ? is_ipv6_char : is_host_char));
    FUZZ_CHECK(p.port != 0 && p.target.starts_with('/'));
    FUZZ_CHECK(std::all_of(p.target.begin(), p.target.end(), [](char c) { return c > ' ' && c < 0x7F && c != '#'; }));
    FUZZ_CHECK(split_address(written(p)) == p);
}

// A scheme as the standard spells it: a letter, then letters, digits, + - .
bool has_scheme(std::string_view reference) {
    const auto colon = reference.find(':');
    if (colon == std::string_view::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(reference[0]))) return false;
    return std::all_of(reference.begin(), reference.begin() + static_cast<std::ptrdiff_t>(colon), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
    });
}

void check_redirect(FuzzedDataProvider& in) {
    const ExactCopy address(in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<std::size_t>(0, 128)));
    const ExactCopy location(in.ConsumeRemainingBytes<std::uint8_t>());
    const auto parsed = split_address(address.text());
    if (parsed) check_address(*parsed);
    const AddressParts from = parsed.value_or(AddressParts{true, "img.example", 8443, "/dir/a.png?s=1"});
    const auto to = follow_location(from, location.text());
    if (!to) return;
    check_address(*to);
    if (has_scheme(location.text())) return FUZZ_CHECK(to == split_address(location.text()));
    FUZZ_CHECK(to->secure == from.secure);
    if (!location.text().starts_with("//")) FUZZ_CHECK(to->host == from.host && to->port == from.port);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::span<const std::uint8_t> rest(data + 1, size - 1);
    FuzzedDataProvider in(rest.data(), rest.size());  // copies what it hands out
    const ExactCopy server_part(rest);
    switch (data[0] % 4) {
    case 0: check_picture_head(server_part.bytes()); break;
    case 1: check_response(in); break;
    case 2: check_content_length(server_part.text()); break;
    case 3: check_redirect(in); break;
    }
    return 0;
}
