#pragma once
// What the application keeps for the boxes that remember.
#include <string_view>

#include "history/history.h"

namespace tessivar {

class Histories {
public:
    virtual ~Histories() = default;
    virtual history::Values values(history::Meaning meaning) = 0;
    virtual void record(history::Meaning meaning, std::u16string_view value) = 0;
    virtual void forget(history::Meaning meaning, std::u16string_view value) = 0;
    // Whether presses record. Turned off, what was typed is forgotten:
    // every history and the form kept.
    virtual bool remembering() = 0;
    // Whether the file has it. A switch the file could not take yet holds
    // for this run all the same, and turning it again tries again.
    [[nodiscard]] virtual bool set_remembering(bool on) = 0;
};

}  // namespace tessivar
