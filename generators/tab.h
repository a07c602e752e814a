#pragma once
// The main window's four tabs, in their order.
namespace tessivar {

enum class Tab { Maps, Sounds, Models, Textures };

}  // namespace tessivar
