#pragma once
// Fixed lines every description shares, spelled out in full so that a test
// catches any drift in the code that builds them.
#include <string>

namespace tessivar::expected {

inline const std::string credit =
    "[r][color=Grey]Описание сформировано [url=https://varnhold.example/programs/quillmark]"
    "генератором Quillmark ver 1.3[/url] от [url=https://rts-content.example/users/Varnhold]"
    "Varnhold[/url][/color][/r]";

}  // namespace tessivar::expected
