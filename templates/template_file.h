#pragma once
// One template as a text file a user can share: UTF-8, a first line that
// says what the file is, the short description's text, a line that parts
// it from the full description's text, and that text to the end.
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "templates/template.h"

namespace tessivar {

inline constexpr std::string_view kTemplateFileMarker = "Tessivar: оформление описания";
// A template without errors never holds this line: {…} around anything but
// a field's name or a control word is an error of the language.
inline constexpr std::string_view kTemplateFileSeparator = "{----- полное описание -----}";
// Beyond any description a user writes by hand; a bigger file is not one of ours.
inline constexpr std::size_t kMaxTemplateFileBytes = 4 << 20;

// A template's lines end with LF; a Windows box's and file's with CR LF.
// CR LF, a lone CR and a lone LF each end a line, as in the multi-line boxes.
std::string lines_with_crlf(std::string_view text);
std::string lines_with_lf(std::string_view text);

// The file's bytes, lines ended by CR LF as Windows' editors write them.
std::string write_template_file(const TemplateText& text);

// Why a file of `bytes` bytes is refused before it is read, in Russian,
// its size named; none, it is not too big.
std::optional<std::string> template_file_size_problem(unsigned long long bytes);

// The template a file holds, its lines ended by LF; or why the file is no
// template file, in Russian, for the user. Whether the template itself
// holds errors is for check_template to say.
using TemplateFileRead = std::variant<TemplateText, std::string>;
TemplateFileRead read_template_file(std::string_view bytes);

}  // namespace tessivar
