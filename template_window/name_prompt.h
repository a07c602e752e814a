#pragma once
// The small window that asks a template's name: one box, Enter confirms,
// Esc or closing cancels. Modal over its owner.
#include <windows.h>

#include <optional>
#include <string>

namespace tessivar {

inline constexpr wchar_t kNamePromptClass[] = L"TFTemplateName";

// The name typed; none where the user cancelled.
std::optional<std::string> ask_template_name(HWND owner, const wchar_t* title, const std::string& suggested, int dpi);

}  // namespace tessivar
