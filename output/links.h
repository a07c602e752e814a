#pragma once
// Every web address the program writes or opens. Reserved .example hosts, so
// that no stranger's site is ever linked.
#include <string_view>

namespace tessivar::links {

inline constexpr std::string_view maker_forum = "https://varnhold.example/forum/66";
inline constexpr std::string_view program_page = "https://varnhold.example/programs/quillmark";
inline constexpr std::string_view content_site = "https://rts-content.example";
inline constexpr std::string_view content_site_name = "RTS Content";
inline constexpr std::string_view maker_profile = "https://rts-content.example/users/Varnhold";
inline constexpr std::string_view patch_help_topic = "https://rts-content.example/forum/3-3407-1";
inline constexpr std::string_view other_help_topic = "https://rts-content.example/forum/3-6425-1";

}  // namespace tessivar::links
