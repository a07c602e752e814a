#pragma once
// The five actions the menu bar offers, as the form designer numbered them.
#include <span>
#include <string>

namespace tessivar {

class TFMain;

struct Action {
    std::wstring caption;
    void (TFMain::*execute)() = nullptr;  // none: shown greyed, does nothing
};

// Action1 to Action5: the action numbered n is at index n - 1.
std::span<const Action> actions();

}  // namespace tessivar
