#include "pictures/picture_rules.h"

#include <algorithm>
#include <array>
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
    std::string_view host = authority, port;
    if (host.starts_with('[')) {
        const auto close = host.find(']');
        if (close == std::string_view::npos || close == 1) return std::nullopt;
        if (!std::all_of(host.begin() + 1, host.begin() + static_cast<std::ptrdiff_t>(close), is_ipv6_char)) return std::nullopt;
        const std::string_view rest = host.substr(close + 1);
        if (!rest.empty() && !rest.starts_with(':')) return std::nullopt;
        port = rest.empty() ? rest : rest.substr(1);
        host = host.substr(1, close - 1);  // WinHTTP takes the literal without brackets
        if (!rest.empty()) {
            if (auto number = port_number(port)) parts.port = *number; else return std::nullopt;
        }
    } else {
        const auto colon = host.find(':');
        if (colon != std::string_view::npos) {
            if (auto number = port_number(host.substr(colon + 1))) parts.port = *number; else return std::nullopt;
            host = host.substr(0, colon);
        }
        if (host.empty() || !std::all_of(host.begin(), host.end(), is_host_char)) return std::nullopt;
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

bool has_bytes(std::span<const std::uint8_t> head, std::size_t at, std::string_view bytes) {
    return head.size() >= at + bytes.size() &&
           std::equal(bytes.begin(), bytes.end(), head.begin() + static_cast<std::ptrdiff_t>(at),
                      [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

// The first frame's size from the start-of-frame marker; markers before it
// are skipped by their lengths.
Announced jpeg_size(std::span<const std::uint8_t> head) {
    Announced jpeg{"JPEG"};
    std::size_t at = 2;
    while (at + 4 <= head.size()) {
        if (head[at] != 0xFF) break;
        const std::uint8_t marker = head[at + 1];
        if (marker == 0xFF) { ++at; continue; }  // fill byte
        const bool start_of_frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (start_of_frame && at + 9 <= head.size()) {
            jpeg.height = big_endian(head, at + 5, 2);
            jpeg.width = big_endian(head, at + 7, 2);
            break;
        }
        at += 2 + big_endian(head, at + 2, 2);
    }
    return jpeg;
}

// "BM" alone begins many a text: a BMP names one of its header sizes too.
bool is_bmp(std::span<const std::uint8_t> head) {
    if (!has_bytes(head, 0, "BM") || head.size() < 26) return false;
    const std::uint32_t header = little_endian(head, 14, 4);
    return header == 12 || header == 40 || header == 52 || header == 56 || header == 108 || header == 124;
}

// A BMP's height is negative for rows stored top-down.
Announced bmp_size(std::span<const std::uint8_t> head) {
    Announced bmp{"BMP"};
    if (little_endian(head, 14, 4) == 12) {
        bmp.width = little_endian(head, 18, 2);
        bmp.height = little_endian(head, 20, 2);
    } else {
        bmp.width = little_endian(head, 18, 4);
        const auto height = static_cast<std::int32_t>(little_endian(head, 22, 4));
        bmp.height = height < 0 ? 0u - static_cast<std::uint32_t>(height) : static_cast<std::uint32_t>(height);
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
    bool secure = false;
    if (starts_with_nocase(address, "https://")) {
        secure = true;
        address.remove_prefix(8);
    } else if (starts_with_nocase(address, "http://")) {
        address.remove_prefix(7);
    } else {
        return std::nullopt;
    }
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
    if (has_bytes(head, 0, "\x89PNG\r\n\x1a\n")) {
        if (head.size() < 24) return Announced{"PNG"};
        return Announced{"PNG", big_endian(head, 16, 4), big_endian(head, 20, 4)};
    }
    if (has_bytes(head, 0, "GIF87a") || has_bytes(head, 0, "GIF89a")) {
        if (head.size() < 10) return Announced{"GIF"};
        return Announced{"GIF", little_endian(head, 6, 2), little_endian(head, 8, 2)};
    }
    if (has_bytes(head, 0, "\xFF\xD8\xFF")) return jpeg_size(head);
    if (is_bmp(head)) return bmp_size(head);
    if (has_bytes(head, 0, "RIFF") && has_bytes(head, 8, "WEBP")) return Announced{"WebP"};
    if (has_bytes(head, 0, "II*") || has_bytes(head, 0, "MM\0*")) return Announced{"TIFF"};
    if (has_bytes(head, 0, std::string_view("\0\0\1\0", 4))) return Announced{"ICO"};
    return std::nullopt;
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
    if (const auto picture = announced_picture(body)) return judge_size(picture->width, picture->height);
    // A server may name a format this program does not sniff; the decoder has the last word.
    if (starts_with_nocase(content_type, "image/")) return std::nullopt;
    const std::string type(content_type.substr(0, content_type.find(';')));
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
