#pragma once
// The main window's four tabs, in their order.
#include <cstddef>
#include <iterator>

namespace tessivar {

enum class Tab { Maps, Sounds, Models, Textures };

inline constexpr Tab kTabs[] = {Tab::Maps, Tab::Sounds, Tab::Models, Tab::Textures};
inline constexpr std::size_t kTabCount = std::size(kTabs);

constexpr std::size_t index_of(Tab tab) { return static_cast<std::size_t>(tab); }

}  // namespace tessivar
