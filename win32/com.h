#pragma once
// COM for the window thread, reached through ole32 loaded by name at first
// use: the program imports nothing of it, so a session that never needs it
// never loads it.
#include <windows.h>
#include <objbase.h>

#include <memory>

namespace tessivar {

struct Com {
    decltype(&CoCreateInstance) create;
    decltype(&CoTaskMemAlloc) task_alloc;
    decltype(&CoTaskMemFree) task_free;
};

// Null where ole32 is missing or the thread cannot use COM. The window
// thread then stays in its apartment until the process ends.
const Com* com();

struct ComRelease {
    void operator()(IUnknown* object) const { object->Release(); }
};
template <class Interface>
using ComPtr = std::unique_ptr<Interface, ComRelease>;

}  // namespace tessivar
