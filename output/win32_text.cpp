#include "output/win32_text.h"

#include <algorithm>

namespace tessivar {
namespace {

// Text the user pastes may hold a surrogate without its partner. The system's
// UTF-8 converters turn one into U+FFFD, and what went in would not come out,
// so both directions are written here: such a code unit is carried in the
// core's UTF-8 as its three-byte form (WTF-8) and given back unchanged.
constexpr wchar_t kReplacement = 0xFFFD;

bool is_high_surrogate(unsigned unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool is_low_surrogate(unsigned unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

char* put_utf8(char* out, char32_t code) {
    if (code < 0x80) {
        *out++ = static_cast<char>(code);
    } else if (code < 0x800) {
        *out++ = static_cast<char>(0xC0 | (code >> 6));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (code >> 12));
        *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (code >> 18));
        *out++ = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

void put_utf16(std::wstring& out, char32_t code) {
    if (code < 0x10000) {
        out += static_cast<wchar_t>(code);
        return;
    }
    code -= 0x10000;
    out += static_cast<wchar_t>(0xD800 | (code >> 10));
    out += static_cast<wchar_t>(0xDC00 | (code & 0x3FF));
}

// One sequence at `at`: its code point and length, or U+FFFD for one byte
// that starts no sequence. The lowest second byte keeps out overlong forms.
struct Decoded {
    char32_t code;
    std::size_t length;
};

Decoded decode(std::string_view utf8, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(utf8[at + i]); };
    const unsigned lead = byte(0);
    std::size_t length = 0;
    char32_t code = 0;
    unsigned low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0F, low = lead == 0xE0 ? 0xA0 : 0x80;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07, low = lead == 0xF0 ? 0x90 : 0x80, high = lead == 0xF4 ? 0x8F : 0xBF;
    }
    if (length == 0 || at + length > utf8.size() || byte(1) < low || byte(1) > high) return {kReplacement, 1};
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return {kReplacement, 1};
        code = (code << 6) | (byte(i) & 0x3F);
    }
    return {code, length};
}

}  // namespace

std::wstring widen(std::string_view utf8) {
    std::wstring wide;
    wide.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[at]);
        if (c < 0x80) {
            wide += static_cast<wchar_t>(c);
            ++at;
            continue;
        }
        const Decoded d = decode(utf8, at);
        put_utf16(wide, d.code);
        at += d.length;
    }
    return wide;
}

// Measured first and written in place: a box of megabytes is read at every
// save, and a string grown byte by byte costs several times the copy.
std::string narrow(std::wstring_view utf16) {
    const auto code_at = [&](std::size_t& i) -> char32_t {
        const auto unit = static_cast<unsigned>(utf16[i]);
        if (is_high_surrogate(unit) && i + 1 < utf16.size() && is_low_surrogate(utf16[i + 1])) {
            return 0x10000 + ((unit - 0xD800) << 10) + (static_cast<unsigned>(utf16[++i]) - 0xDC00);
        }
        return unit;  // a lone surrogate too, in its three-byte form
    };
    std::size_t size = 0;
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        if (utf16[i] < 0x80) {
            ++size;
            continue;
        }
        const char32_t code = code_at(i);
        size += code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
    }
    std::string utf8(size, '\0');
    char* out = utf8.data();
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        if (utf16[i] < 0x80) {
            *out++ = static_cast<char>(utf16[i]);
            continue;
        }
        out = put_utf8(out, code_at(i));
    }
    return utf8;
}

std::wstring as_wide(std::u16string_view units) { return {units.begin(), units.end()}; }

std::u16string as_units(std::wstring_view wide) { return {wide.begin(), wide.end()}; }

std::wstring read_wide_text(HWND control, std::size_t most) {
    const auto whole = static_cast<std::size_t>(std::max(0, GetWindowTextLengthW(control)));
    const int length = static_cast<int>(std::min(whole, most));
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

std::string read_text(HWND control) { return narrow(read_wide_text(control)); }

void write_text(HWND control, std::string_view utf8) { SetWindowTextW(control, widen(utf8).c_str()); }

}  // namespace tessivar
