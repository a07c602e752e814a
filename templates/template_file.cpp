#include "templates/template_file.h"

#include <algorithm>

namespace tessivar {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr unsigned long long kMebibyte = 1 << 20;

}  // namespace

std::string lines_with_crlf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

std::string lines_with_lf(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool cr = text[i] == '\r';
        out += cr ? '\n' : text[i];
        if (cr && text.substr(i + 1).starts_with('\n')) ++i;
    }
    return out;
}

namespace {

// UTF-8 as the program writes it: a surrogate without its partner keeps its
// three-byte form, so that whatever a box held comes back. No NUL: no
// editor's text holds one.
bool is_program_utf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead == 0) return false;
        int extra = 0;
        unsigned code = lead, least = 0;
        if (lead < 0x80) extra = 0;
        else if ((lead & 0xE0) == 0xC0) extra = 1, code = lead & 0x1F, least = 0x80;
        else if ((lead & 0xF0) == 0xE0) extra = 2, code = lead & 0x0F, least = 0x800;
        else if ((lead & 0xF8) == 0xF0) extra = 3, code = lead & 0x07, least = 0x10000;
        else return false;
        if (i + static_cast<std::size_t>(extra) >= bytes.size()) return false;
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) return false;
            code = code << 6 | (next & 0x3F);
        }
        if (code < least || code > 0x10FFFF) return false;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

// Megabytes to a tenth, rounded up: a file over the limit never reads as at it.
std::string megabytes(unsigned long long bytes) {
    unsigned long long whole = bytes / kMebibyte;
    unsigned long long tenths = (bytes % kMebibyte * 10 + kMebibyte - 1) / kMebibyte;
    if (tenths == 10) ++whole, tenths = 0;
    return std::to_string(whole) + "," + std::to_string(tenths) + " МБ";
}

// Where the first line that is the separator starts; npos, none. The last
// line counts with or without a line break after it.
std::size_t separator_line(std::string_view body) {
    for (std::size_t start = 0;;) {
        const std::size_t end = std::min(body.find('\n', start), body.size());
        if (body.substr(start, end - start) == kTemplateFileSeparator) return start;
        if (end == body.size()) return std::string_view::npos;
        start = end + 1;
    }
}

}  // namespace

std::string write_template_file(const TemplateText& text) {
    std::string out(kTemplateFileMarker);
    out += "\r\n" + lines_with_crlf(text.short_text) + "\r\n";
    out += kTemplateFileSeparator;
    out += "\r\n" + lines_with_crlf(text.full_text);
    return out;
}

std::optional<std::string> template_file_size_problem(unsigned long long bytes) {
    if (bytes <= kMaxTemplateFileBytes) return std::nullopt;
    return "Файл размером " + megabytes(bytes) + " больше 4 МБ: это не файл оформления.";
}

TemplateFileRead read_template_file(std::string_view bytes) {
    if (auto too_big = template_file_size_problem(bytes.size())) return *std::move(too_big);
    if (bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
    if (!is_program_utf8(bytes)) return std::string("Файл не в кодировке UTF-8: это не файл оформления.");
    const std::string text = lines_with_lf(bytes);
    const std::string first_line = text.substr(0, text.find('\n'));
    if (first_line != kTemplateFileMarker) {
        return "Это не файл оформления: его первая строка не «" + std::string(kTemplateFileMarker) + "».";
    }
    const std::string body = first_line.size() < text.size() ? text.substr(first_line.size() + 1) : "";
    const std::size_t at = separator_line(body);
    if (at == std::string::npos) {
        return "В файле нет строки «" + std::string(kTemplateFileSeparator) + "» перед полным описанием.";
    }
    const std::size_t full_at = at + kTemplateFileSeparator.size() + 1;
    TemplateText result;
    result.short_text = body.substr(0, at == 0 ? 0 : at - 1);
    result.full_text = full_at < body.size() ? body.substr(full_at) : std::string();
    return result;
}

}  // namespace tessivar
