#pragma once
// The four descriptions as they were written before templates: line by line
// in code. The built-in templates must give the same bytes for any snapshot.
#include "tests/host/tab_snapshots.h"

namespace tessivar::oracle {

Description describe_map(MapTab tab);
Description describe_sound(SoundTab tab);
Description describe_model(ModelTab tab);
Description describe_texture(TextureTab tab);

}  // namespace tessivar::oracle
