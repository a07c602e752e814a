#include "win32/com.h"

#include "win32/window_kit.h"

namespace tessivar {

const Com* com() {
    static const Com functions = [] {
        HMODULE ole32 = system_library(L"ole32.dll");
        const auto initialize = ole32 ? system_function<decltype(CoInitializeEx)>(ole32, "CoInitializeEx") : nullptr;
        if (!initialize) return Com{};
        // A thread already in the multithreaded apartment can use COM as it is.
        const HRESULT joined = initialize(nullptr, COINIT_APARTMENTTHREADED);
        if (FAILED(joined) && joined != RPC_E_CHANGED_MODE) return Com{};
        return Com{system_function<decltype(CoCreateInstance)>(ole32, "CoCreateInstance"),
                   system_function<decltype(CoTaskMemAlloc)>(ole32, "CoTaskMemAlloc"),
                   system_function<decltype(CoTaskMemFree)>(ole32, "CoTaskMemFree")};
    }();
    return functions.create && functions.task_alloc && functions.task_free ? &functions : nullptr;
}

}  // namespace tessivar
