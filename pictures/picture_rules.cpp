#include "pictures/picture_rules.h"

#include <algorithm>
#include <limits>

namespace tessivar::pictures {
namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool starts_with_nocase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) { return lower(a) == lower(b); });
}

bool is_visible_ascii(char c) { return c > ' ' && c < 0x7F; }

bool is_host_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-';
}

bool is_ipv6_char(char c) { return (c >= '0' && c <= '9') || (lower(c) >= 'a' && lower(c) <= 'f') || c == ':' || c == '.'; }

std::optional<std::uint16_t> port_number(std::string_view digits) {
    if (digits.empty() || digits.size() > 5) return std::nullopt;
    unsigned value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535) return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

// Host and port from the authority; nothing where it names a user or is malformed.
std::optional<AddressParts> read_authority(std::string_view authority, bool secure) {
    AddressParts parts;
    parts.secure = secure;
    parts.port = secure ? 443 : 80;
    std::string_view host = authority, port;  // the port with its ':', if any
    if (host.starts_with('[')) {
        const auto close = host.find(']');
        if (close == std::string_view::npos || close == 1) return std::nullopt;
        port = host.substr(close + 1);
        host = host.substr(1, close - 1);  // WinHTTP takes the literal without brackets
        if (!std::all_of(host.begin(), host.end(), is_ipv6_char)) return std::nullopt;
        if (!port.empty() && !port.starts_with(':')) return std::nullopt;
    } else {
        port = host.substr(std::min(host.find(':'), host.size()));
        host = host.substr(0, host.size() - port.size());
        if (host.empty() || !std::all_of(host.begin(), host.end(), is_host_char)) return std::nullopt;
    }
    if (!port.empty()) {
        const auto number = port_number(port.substr(1));
        if (!number) return std::nullopt;
        parts.port = *number;
    }
    parts.host = std::string(host);
    return parts;
}

// The request target: rooted at "/", anything beyond ASCII percent-encoded.
// Built by appending into one reserved string: GCC 12 at -O3 misreads
// `"/" + string` as an overlapping copy (-Wrestrict).
std::string request_target(std::string_view path_and_query) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(path_and_query.size() + 1);
    if (!path_and_query.starts_with('/')) out += '/';
    for (char c : path_and_query) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out;
}

std::string origin_of(const AddressParts& parts) {
    std::string origin = parts.secure ? "https://" : "http://";
    origin += parts.host.find(':') != std::string::npos ? "[" + parts.host + "]" : parts.host;
    return origin + ":" + std::to_string(parts.port);
}

std::uint32_t big_endian(std::span<const std::uint8_t> bytes, std::size_t at, std::size_t count) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < count; ++i) value = value << 8 | bytes[at + i];
    return value;
}

std::uint32_t little_endian(std::span<const std::uint8_t> bytes, std::size_t at, std::size_t count) {
    std::uint32_t value = 0;
    for (std::size_t i = count; i-- > 0;) value = value << 8 | bytes[at + i];
    return value;
}

bool fits(std::span<const std::uint8_t> head, std::size_t at, std::size_t count) {
    return at <= head.size() && count <= head.size() - at;
}

bool has_bytes(std::span<const std::uint8_t> head, std::size_t at, std::string_view bytes) {
    return fits(head, at, bytes.size()) &&
           std::equal(bytes.begin(), bytes.end(), head.begin() + static_cast<std::ptrdiff_t>(at),
                      [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

void widen_to(Announced& picture, std::uint32_t width, std::uint32_t height) {
    picture.width = std::max(picture.width, width);
    picture.height = std::max(picture.height, height);
}

// A bitmap's height field, negative for rows stored top-down.
std::uint32_t rows_of(std::uint32_t field) {
    const auto rows = static_cast<std::int32_t>(field);
    return rows < 0 ? 0u - field : field;
}

bool is_start_of_frame(std::uint8_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Markers without a length: TEM, RST0..7; a 0x00 after 0xFF is stuffed data.
bool stands_alone(std::uint8_t marker) { return marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7); }

// The frame's size, markers read as the decoders read them: bytes other than
// 0xFF before a marker skipped, fill bytes 0xFF too, every other marker but
// SOI, EOI and SOS by its length. Image data, an end or a second SOI before
// any frame leaves the size unread.
Announced jpeg_size(std::span<const std::uint8_t> head) {
    Announced jpeg{"JPEG"};
    std::size_t at = 2;
    for (;;) {
        while (at < head.size() && head[at] != 0xFF) ++at;
        while (at < head.size() && head[at] == 0xFF) ++at;
        if (at >= head.size()) return jpeg;
        const std::uint8_t marker = head[at++];
        if (stands_alone(marker)) continue;
        if (marker == 0xD8 || marker == 0xD9 || marker == 0xDA || !fits(head, at, 2)) return jpeg;
        const std::uint32_t length = big_endian(head, at, 2);
        if (is_start_of_frame(marker)) {
            if (length >= 8 && fits(head, at, 7)) widen_to(jpeg, big_endian(head, at + 5, 2), big_endian(head, at + 3, 2));
            return jpeg;
        }
        if (length < 2) return jpeg;
        at += length;
    }
}

bool is_png(std::span<const std::uint8_t> head) { return has_bytes(head, 0, "\x89PNG\r\n\x1a\n"); }

// From the IHDR chunk, which comes first.
Announced png_size(std::span<const std::uint8_t> head) {
    Announced png{"PNG"};
    if (has_bytes(head, 12, "IHDR") && fits(head, 16, 8)) widen_to(png, big_endian(head, 16, 4), big_endian(head, 20, 4));
    return png;
}

std::size_t gif_colour_table_bytes(std::uint8_t flags) { return flags & 0x80 ? 3u << ((flags & 7) + 1) : 0; }

// Past a run of data sub-blocks, each led by its length, the last empty.
std::size_t past_sub_blocks(std::span<const std::uint8_t> head, std::size_t at) {
    while (at < head.size() && head[at] != 0) at += 1 + head[at];
    return at + 1;
}

// The screen and every image in it: decoders make each image at its own
// size, whatever the screen says. Blocks are read until the trailer or
// anything else, where decoders stop too.
Announced gif_size(std::span<const std::uint8_t> head) {
    Announced gif{"GIF"};
    if (!fits(head, 6, 4)) return gif;
    Announced seen{"GIF", little_endian(head, 6, 2), little_endian(head, 8, 2)};
    std::size_t at = fits(head, 10, 1) ? 13 + gif_colour_table_bytes(head[10]) : head.size();
    while (at < head.size() && (head[at] == 0x2C || head[at] == 0x21)) {
        if (head[at] == 0x21) {
            at = past_sub_blocks(head, at + 2);
            continue;
        }
        if (!fits(head, at, 10)) break;
        widen_to(seen, little_endian(head, at + 5, 2), little_endian(head, at + 7, 2));
        at = past_sub_blocks(head, at + 11 + gif_colour_table_bytes(head[at + 9]));
    }
    return seen.width && seen.height ? seen : gif;
}

// Each entry's image, as decoders read it: a PNG by its IHDR, else a bitmap
// by its header, whose height counts the mask too. One unread entry leaves
// the whole unread.
Announced ico_size(std::span<const std::uint8_t> head) {
    Announced ico{"ICO"};
    const std::size_t count = fits(head, 4, 2) ? little_endian(head, 4, 2) : 0;
    Announced largest{"ICO"};
    for (std::size_t entry = 6; entry < 6 + 16 * count; entry += 16) {
        if (!fits(head, entry, 16) || little_endian(head, entry + 12, 4) >= head.size()) return ico;
        const auto image = head.subspan(little_endian(head, entry + 12, 4));
        Announced one = is_png(image) ? png_size(image) : Announced{"ICO"};
        if (!is_png(image) && fits(image, 0, 12)) {
            const std::uint32_t header = little_endian(image, 0, 4);
            if (header == 12) widen_to(one, little_endian(image, 4, 2), little_endian(image, 6, 2) / 2);
            if (header >= 40) widen_to(one, little_endian(image, 4, 4), rows_of(little_endian(image, 8, 4)) / 2);
        }
        if (!one.width || !one.height) return ico;
        widen_to(largest, one.width, one.height);
    }
    return largest;
}

// The first page's ImageWidth (256) and ImageLength (257) from the first IFD,
// each one SHORT or LONG, in either byte order.
Announced tiff_size(std::span<const std::uint8_t> head) {
    Announced tiff{"TIFF"};
    const bool motorola = head[0] == 'M';
    const auto read = [&](std::size_t at, std::size_t count) -> std::optional<std::uint32_t> {
        if (!fits(head, at, count)) return std::nullopt;
        return motorola ? big_endian(head, at, count) : little_endian(head, at, count);
    };
    const std::size_t directory = read(4, 4).value_or(0);
    const std::size_t entries = directory ? read(directory, 2).value_or(0) : 0;
    std::optional<std::uint32_t> width, height;
    for (std::size_t entry = directory + 2; entry < directory + 2 + 12 * entries; entry += 12) {
        const auto tag = read(entry, 2), type = read(entry + 2, 2), count = read(entry + 4, 4);
        if (!count || (tag != 256u && tag != 257u)) continue;
        if (*count != 1 || (type != 3u && type != 4u)) return tiff;
        (tag == 256u ? width : height) = read(entry + 8, type == 3u ? 2 : 4);
    }
    if (width && height) widen_to(tiff, *width, *height);
    return tiff;
}

// From the first chunk: lossy, lossless, or the extended format's canvas.
Announced webp_size(std::span<const std::uint8_t> head) {
    Announced webp{"WebP"};
    if (has_bytes(head, 12, "VP8 ") && has_bytes(head, 23, "\x9D\x01\x2A") && fits(head, 26, 4)) {
        widen_to(webp, little_endian(head, 26, 2) & 0x3FFF, little_endian(head, 28, 2) & 0x3FFF);
    } else if (has_bytes(head, 12, "VP8L") && has_bytes(head, 20, "\x2F") && fits(head, 21, 4)) {
        const std::uint32_t bits = little_endian(head, 21, 4);
        widen_to(webp, (bits & 0x3FFF) + 1, ((bits >> 14) & 0x3FFF) + 1);
    } else if (has_bytes(head, 12, "VP8X") && fits(head, 24, 6)) {
        widen_to(webp, little_endian(head, 24, 3) + 1, little_endian(head, 27, 3) + 1);
    }
    return webp;
}

// "BM" alone begins many a text: a BMP names one of its header sizes too.
bool is_bmp(std::span<const std::uint8_t> head) {
    if (!has_bytes(head, 0, "BM") || head.size() < 26) return false;
    const std::uint32_t header = little_endian(head, 14, 4);
    return header == 12 || header == 40 || header == 52 || header == 56 || header == 108 || header == 124;
}

Announced bmp_size(std::span<const std::uint8_t> head) {
    Announced bmp{"BMP"};
    if (little_endian(head, 14, 4) == 12) {
        bmp.width = little_endian(head, 18, 2);
        bmp.height = little_endian(head, 20, 2);
    } else {
        bmp.width = little_endian(head, 18, 4);
        bmp.height = rows_of(little_endian(head, 22, 4));
    }
    return bmp;
}

}  // namespace

std::string reason_text(const Refusal& refusal) {
    const std::string in_brackets = refusal.detail.empty() ? "" : " (" + refusal.detail + ")";
    switch (refusal.kind) {
    case Failure::RefusedAddress: return "адрес отклонён: загружаются только адреса http:// и https://";
    case Failure::TooManyInPreview: return "не загружена: в просмотре не больше 50 картинок";
    case Failure::TooManyRedirects: return "не загружена: больше 5 перенаправлений";
    case Failure::NotFound: return "не найдена" + in_brackets;
    case Failure::HttpStatus: return "сервер отказал" + in_brackets;
    case Failure::NotAPicture: return "не картинка" + in_brackets;
    case Failure::UnreadableFormat: return "формат не читается системой" + in_brackets;
    case Failure::TooManyBytes: return "слишком большая: больше 16 МиБ";
    case Failure::TooManyPixels: return "слишком большая: " + refusal.detail + " точек, можно до 10000×10000";
    case Failure::TooMuchHeld: return "не загружена: картинки просмотра заняли 128 МиБ";
    case Failure::NoAnswer: return "нет ответа за 10 секунд";
    case Failure::NetworkError: return "нет ответа: сервер недоступен" + in_brackets;
    }
    return {};
}

std::optional<AddressParts> split_address(std::string_view address) {
    const bool secure = starts_with_nocase(address, "https://");
    if (!secure && !starts_with_nocase(address, "http://")) return std::nullopt;
    address.remove_prefix(secure ? 8 : 7);
    const bool visible = std::all_of(address.begin(), address.end(), [](char c) {
        return is_visible_ascii(c) || static_cast<unsigned char>(c) >= 0x80;
    });
    if (!visible) return std::nullopt;
    const auto authority_end = std::min(address.find_first_of("/?#"), address.size());
    auto parts = read_authority(address.substr(0, authority_end), secure);
    if (!parts) return std::nullopt;
    std::string_view target = address.substr(authority_end);
    target = target.substr(0, target.find('#'));
    parts->target = request_target(target);
    return parts;
}

std::optional<AddressParts> follow_location(const AddressParts& from, std::string_view location) {
    const auto scheme_end = location.find(':');
    const auto first_path_char = location.find_first_of("/?#");
    if (scheme_end != std::string_view::npos && scheme_end < first_path_char) return split_address(location);
    if (location.starts_with("//")) return split_address((from.secure ? "https:" : "http:") + std::string(location));
    const std::string origin = origin_of(from);
    if (location.starts_with('/')) return split_address(origin + std::string(location));
    const std::string_view path = std::string_view(from.target).substr(0, from.target.find('?'));
    if (location.starts_with('?')) return split_address(origin + std::string(path) + std::string(location));
    return split_address(origin + std::string(path.substr(0, path.rfind('/') + 1)) + std::string(location));
}

std::optional<Announced> announced_picture(std::span<const std::uint8_t> head) {
    if (is_png(head)) return png_size(head);
    if (has_bytes(head, 0, "GIF87a") || has_bytes(head, 0, "GIF89a")) return gif_size(head);
    if (has_bytes(head, 0, "\xFF\xD8\xFF")) return jpeg_size(head);
    if (is_bmp(head)) return bmp_size(head);
    if (has_bytes(head, 0, "RIFF") && has_bytes(head, 8, "WEBP")) return webp_size(head);
    if (has_bytes(head, 0, std::string_view("II*\0", 4)) || has_bytes(head, 0, std::string_view("MM\0*", 4))) {
        return tiff_size(head);
    }
    if (has_bytes(head, 0, std::string_view("\0\0\1\0", 4))) return ico_size(head);
    return std::nullopt;
}

std::optional<Refusal> judge_announced(const Announced& picture) {
    if (picture.width == 0 || picture.height == 0) return Refusal{Failure::UnreadableFormat, std::string(picture.format)};
    return judge_size(picture.width, picture.height);
}

bool announces_too_many_bytes(std::string_view content_length) {
    std::uint64_t bytes = 0;
    for (char c : content_length) {
        if (c < '0' || c > '9') return false;  // unreadable: the count while reading still holds
        bytes = bytes * 10 + static_cast<unsigned>(c - '0');
        if (bytes > kMaxDownloadBytes) return true;
    }
    return false;
}

std::optional<Refusal> judge_size(std::uint32_t width, std::uint32_t height) {
    if (width <= kMaxSide && height <= kMaxSide) return std::nullopt;
    return Refusal{Failure::TooManyPixels, std::to_string(width) + "×" + std::to_string(height)};
}

std::optional<Refusal> judge_response(int status, std::string_view content_type, std::span<const std::uint8_t> body) {
    const std::string http = "HTTP " + std::to_string(status);
    if (status == 404 || status == 410) return Refusal{Failure::NotFound, http};
    if (status < 200 || status > 299) return Refusal{Failure::HttpStatus, http};
    if (const auto picture = announced_picture(body)) return judge_announced(*picture);
    // No decoder is handed what was not recognised: its size would be unknown.
    const std::string type(content_type.substr(0, content_type.find(';')));
    if (starts_with_nocase(type, "image/")) return Refusal{Failure::UnreadableFormat, type};
    return Refusal{Failure::NotAPicture, type.empty() ? "тип не назван" : type};
}

PixelSize fitted_size(PixelSize picture, std::uint32_t max_width) {
    if (picture.width <= max_width || picture.width == 0) return picture;
    const std::uint64_t height = (std::uint64_t{picture.height} * max_width + picture.width / 2) / picture.width;
    return {max_width, static_cast<std::uint32_t>(std::max<std::uint64_t>(height, 1))};
}

std::optional<std::size_t> pixel_bytes(PixelSize size) {
    const std::uint64_t bytes = std::uint64_t{size.width} * size.height * 4;  // checked by dividing back
    if (size.width != 0 && bytes / size.width / 4 != size.height) return std::nullopt;
    if (bytes > std::numeric_limits<std::size_t>::max()) return std::nullopt;
    return static_cast<std::size_t>(bytes);
}

bool HeldBytes::try_hold(std::size_t bytes) {
    std::size_t now = held_.load();
    do {
        if (bytes > limit_ - now) return false;
    } while (!held_.compare_exchange_weak(now, now + bytes));
    return true;
}

void HeldBytes::release(std::size_t bytes) { held_ -= bytes; }

}  // namespace tessivar::pictures
