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
    // Whether presses record. Turned off, every history is forgotten.
    virtual bool remembering() = 0;
    virtual void set_remembering(bool on) = 0;
};

}  // namespace tessivar
