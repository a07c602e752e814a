#include "preview/rich_edit_picture.h"

#include <objbase.h>
#include <ole2.h>
#include <richedit.h>
#include <richole.h>

#include <atomic>
#include <cstring>

#include "win32/com.h"
#include "win32/window_kit.h"

namespace tessivar {
namespace {

// As the SDK's headers give them; written here so that no GUID library is linked.
constexpr GUID kIUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kIDataObject = {0x0000010e, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kIOleObject = {0x00000112, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct Ole {
    decltype(&OleCreateStaticFromData) create_static = nullptr;
    decltype(&CreateILockBytesOnHGlobal) bytes_on_memory = nullptr;
    decltype(&StgCreateDocfileOnILockBytes) storage_on_bytes = nullptr;
    decltype(&OleSetContainedObject) set_contained = nullptr;
};

// ole32 is in the process already: the rich edit brought it.
const Ole& ole() {
    static const Ole found = [] {
        Ole ole;
        if (HMODULE dll = system_library(L"ole32.dll")) {
            ole.create_static = system_function<decltype(OleCreateStaticFromData)>(dll, "OleCreateStaticFromData");
            ole.bytes_on_memory =
                system_function<decltype(CreateILockBytesOnHGlobal)>(dll, "CreateILockBytesOnHGlobal");
            ole.storage_on_bytes =
                system_function<decltype(StgCreateDocfileOnILockBytes)>(dll, "StgCreateDocfileOnILockBytes");
            ole.set_contained = system_function<decltype(OleSetContainedObject)>(dll, "OleSetContainedObject");
        }
        return ole;
    }();
    return found;
}

// The picture as a packed DIB, rows bottom-up as every reader of one expects.
HGLOBAL packed_dib(const Picture& picture) {
    const std::size_t row = std::size_t{picture.size.width} * 4;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof(BITMAPINFOHEADER) + picture.pixels.size());
    auto* header = memory ? static_cast<BITMAPINFOHEADER*>(GlobalLock(memory)) : nullptr;
    if (!header) {
        if (memory) GlobalFree(memory);
        return nullptr;
    }
    *header = {};
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = static_cast<LONG>(picture.size.width);
    header->biHeight = static_cast<LONG>(picture.size.height);
    header->biPlanes = 1;
    header->biBitCount = 32;
    header->biCompression = BI_RGB;
    header->biSizeImage = static_cast<DWORD>(picture.pixels.size());
    auto* bits = reinterpret_cast<std::uint8_t*>(header + 1);
    for (std::uint32_t y = 0; y < picture.size.height; ++y) {
        std::memcpy(bits + (picture.size.height - 1 - y) * row, picture.pixels.data() + y * row, row);
    }
    GlobalUnlock(memory);
    return memory;
}

// The one format the static object is made from: the picture as CF_DIB.
class DibData final : public IDataObject {
public:
    explicit DibData(const Picture& picture) : picture_(picture) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (!object) return E_POINTER;
        *object = IsEqualGUID(id, kIUnknown) || IsEqualGUID(id, kIDataObject) ? this : nullptr;
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = packed_dib(picture_);
        medium->pUnkForRelease = nullptr;
        return medium->hGlobal ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        return format && format->cfFormat == CF_DIB && (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        if (out) out->ptd = nullptr;
        return DATA_S_SAMEFORMATETC;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    ~DibData() = default;
    const Picture& picture_;  // lives through the object's making, which copies it
    std::atomic<ULONG> references_{1};
};

// A storage in memory for the object: the control never saves it anywhere.
ComPtr<IStorage> storage_in_memory(const Ole& api) {
    ILockBytes* raw_bytes = nullptr;
    if (FAILED(api.bytes_on_memory(nullptr, TRUE, &raw_bytes))) return nullptr;
    const ComPtr<ILockBytes> bytes(raw_bytes);
    IStorage* storage = nullptr;
    const DWORD mode = STGM_SHARE_EXCLUSIVE | STGM_CREATE | STGM_READWRITE;
    if (FAILED(api.storage_on_bytes(bytes.get(), mode, 0, &storage))) return nullptr;
    return ComPtr<IStorage>(storage);
}

LONG himetric(LONG pixels, int dpi) { return MulDiv(pixels, 2540, dpi); }

}  // namespace

bool place_picture(HWND rich_edit, CHARRANGE placeholder, const Picture& picture, SIZE shown, int dpi) {
    const Ole& api = ole();
    IRichEditOle* raw_document = nullptr;
    SendMessageW(rich_edit, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(&raw_document));
    if (!raw_document || !api.create_static || !api.bytes_on_memory || !api.storage_on_bytes) return false;
    const ComPtr<IRichEditOle> document(raw_document);
    IOleClientSite* raw_site = nullptr;
    if (FAILED(document->GetClientSite(&raw_site))) return false;
    const ComPtr<IOleClientSite> site(raw_site);
    const ComPtr<IStorage> storage = storage_in_memory(api);
    if (!storage) return false;

    const ComPtr<DibData> data(new DibData(picture));
    FORMATETC format{CF_DIB, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    IOleObject* raw_object = nullptr;
    if (FAILED(api.create_static(data.get(), kIOleObject, OLERENDER_FORMAT, &format, site.get(), storage.get(),
                                 reinterpret_cast<void**>(&raw_object)))) {
        return false;
    }
    const ComPtr<IOleObject> object(raw_object);
    if (api.set_contained) api.set_contained(object.get(), TRUE);

    REOBJECT inserted{};
    inserted.cbStruct = sizeof inserted;
    inserted.cp = REO_CP_SELECTION;
    object->GetUserClassID(&inserted.clsid);
    inserted.poleobj = object.get();
    inserted.pstg = storage.get();
    inserted.polesite = site.get();
    inserted.sizel = {himetric(shown.cx, dpi), himetric(shown.cy, dpi)};
    inserted.dvaspect = DVASPECT_CONTENT;
    // Inserted after the placeholder with nothing selected, then the
    // placeholder removed: the same steps on every system, and the text
    // stays where the object could not be made.
    CHARRANGE after{placeholder.cpMax, placeholder.cpMax};
    SendMessageW(rich_edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&after));
    if (FAILED(document->InsertObject(&inserted))) return false;
    SendMessageW(rich_edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&placeholder));
    SendMessageW(rich_edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
    return true;
}

}  // namespace tessivar
