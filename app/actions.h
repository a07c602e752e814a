#pragma once
// The program's menu: its actions under the titles the bar shows.
#include <span>

#include "form/menu_bar.h"

namespace tessivar {

// Lives as long as the program.
std::span<const MenuTitle> main_menu();

}  // namespace tessivar
