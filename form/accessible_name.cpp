// Names go to the system through its annotation service, a COM object.
// The program imports nothing of COM: ole32 is loaded only once a screen
// reader asks for a control, so a session without one never loads it.
#include "form/accessible_name.h"

#include <commctrl.h>
#include <oleacc.h>

#include <memory>

#include "form/window_kit.h"

namespace tessivar {
namespace {

// CoCreateInstance, or null where ole32 is missing. The window thread then
// stays in its apartment until the process ends.
decltype(&CoCreateInstance) com_create() {
    static const auto create = []() -> decltype(&CoCreateInstance) {
        HMODULE ole32 = LoadLibraryW(L"ole32.dll");
        const auto initialize = ole32 ? system_function<decltype(CoInitializeEx)>(ole32, "CoInitializeEx") : nullptr;
        if (!initialize) return nullptr;
        // A thread already in the multithreaded apartment can use COM as it is.
        const HRESULT joined = initialize(nullptr, COINIT_APARTMENTTHREADED);
        if (FAILED(joined) && joined != RPC_E_CHANGED_MODE) return nullptr;
        return system_function<decltype(CoCreateInstance)>(ole32, "CoCreateInstance");
    }();
    return create;
}

struct Release {
    void operator()(IUnknown* object) const { object->Release(); }
};
using Annotations = std::unique_ptr<IAccPropServices, Release>;

// Made anew for each use: a control is annotated once and cleared once.
Annotations annotations() {
    const auto create = com_create();
    IAccPropServices* service = nullptr;
    if (!create || FAILED(create(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                 reinterpret_cast<void**>(&service)))) {
        return nullptr;
    }
    return Annotations(service);
}

constexpr DWORD kClient = static_cast<DWORD>(OBJID_CLIENT);

// The system keeps an annotation past the window: a later window given the
// same handle would inherit the name.
LRESULT CALLBACK clear_name_on_destroy(HWND control, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                       DWORD_PTR) {
    if (message == WM_DESTROY) {
        if (const Annotations service = annotations()) {
            MSAAPROPID name = PROPID_ACC_NAME;
            service->ClearHwndProps(control, kClient, CHILDID_SELF, &name, 1);
        }
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(control, clear_name_on_destroy, 0);
    }
    return DefSubclassProc(control, message, wparam, lparam);
}

bool annotate(HWND control, const wchar_t* name) {
    const Annotations service = annotations();
    return service && SUCCEEDED(service->SetHwndPropStr(control, kClient, CHILDID_SELF, PROPID_ACC_NAME, name));
}

// On any WM_GETOBJECT the name is set before the message is answered, so
// the system's proxy, made after, finds it. Tried once, whatever the result.
LRESULT CALLBACK name_on_first_request(HWND control, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                       DWORD_PTR name) {
    if (message == WM_GETOBJECT || message == WM_NCDESTROY) {
        RemoveWindowSubclass(control, name_on_first_request, 0);
    }
    if (message == WM_GETOBJECT && annotate(control, reinterpret_cast<const wchar_t*>(name))) {
        SetWindowSubclass(control, clear_name_on_destroy, 0, 0);
    }
    return DefSubclassProc(control, message, wparam, lparam);
}

}  // namespace

void name_when_asked(HWND control, const wchar_t* name) {
    SetWindowSubclass(control, name_on_first_request, 0, reinterpret_cast<DWORD_PTR>(name));
}

}  // namespace tessivar
