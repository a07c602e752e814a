// Names go to the system through its annotation service, a COM object,
// made only once a screen reader asks for a control.
#include "form/accessible_name.h"

#include <commctrl.h>
#include <oleacc.h>

#include <memory>

#include "win32/com.h"

namespace tessivar {
namespace {

using Annotations = ComPtr<IAccPropServices>;

// The service's class, its interface and the name property, as oleacc.h
// gives them. Written here: the library that holds them brings 40 KiB of
// other GUIDs along.
constexpr GUID kServiceClass = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr GUID kServiceInterface = {0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr MSAAPROPID kNameProperty = {0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};

// Made anew for each use: a control is annotated once and cleared once.
Annotations annotations() {
    const Com* const system = com();
    IAccPropServices* service = nullptr;
    if (!system || FAILED(system->create(kServiceClass, nullptr, CLSCTX_INPROC_SERVER, kServiceInterface,
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
            MSAAPROPID name = kNameProperty;
            service->ClearHwndProps(control, kClient, CHILDID_SELF, &name, 1);
        }
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(control, clear_name_on_destroy, 0);
    }
    return DefSubclassProc(control, message, wparam, lparam);
}

bool annotate(HWND control, const wchar_t* name) {
    const Annotations service = annotations();
    return service && SUCCEEDED(service->SetHwndPropStr(control, kClient, CHILDID_SELF, kNameProperty, name));
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
