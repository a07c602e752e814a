// The system's autocomplete sorts what it is given and folds case for A to
// Z alone, so it is told to show every suggestion and the program gives
// only those that match, compared by the user's locale. It also keeps the
// list until told to start again, which each change of the text does.
#include "form/quick_fill.h"

#include <commctrl.h>
#include <shldisp.h>
#include <shobjidl.h>

#include <algorithm>

#include "win32/com.h"
#include "form/main_window.h"
#include "output/win32_text.h"
#include "tabs/fields.h"

namespace tessivar {
namespace {

using history::Meaning;

// As shlguid.h gives it; written here, as the library holding it brings
// many other GUIDs along.
constexpr GUID kAutoCompleteClass = {0x00bb2763, 0x6a77, 0x11d0, {0xa5, 0x35, 0x00, 0xc0, 0x4f, 0xd7, 0xd0, 0x62}};
// Offered as the user types and on Up or Down; never filled in unasked.
constexpr DWORD kOptions = ACO_AUTOSUGGEST | ACO_UPDOWNKEYDROPSLIST | ACO_NOPREFIXFILTERING;

// Boxes of one meaning share a history, whichever tab they are on.
std::vector<QuickFillBox> all_boxes() {
    std::vector<QuickFillBox> boxes;
    for (Tab tab : kTabs) {
        for (const TabField& field : fields_of(tab)) {
            if (field.history) boxes.push_back({field.control, *field.history});
        }
    }
    return boxes;
}

bool begins_by_locale(std::u16string_view text, std::u16string_view prefix) {
    if (prefix.size() > text.size()) return false;
    const std::wstring head = as_wide(text.substr(0, prefix.size())), wanted = as_wide(prefix);
    const int length = static_cast<int>(wanted.size());
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, head.c_str(), length, wanted.c_str(), length) ==
           CSTR_EQUAL;
}

std::u16string box_text(HWND box) { return as_units(read_wide_text(box)); }

// The suggestions the autocomplete shows, handed out a copy at a time. The
// system may enumerate on a thread of its own, hence the lock.
class Suggestions final : public IEnumString {
public:
    void set(history::Values values) {
        AcquireSRWLockExclusive(&lock_);
        values_ = std::move(values);
        next_ = 0;
        ReleaseSRWLockExclusive(&lock_);
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (!object) return E_POINTER;
        *object = id == __uuidof(IUnknown) || id == __uuidof(IEnumString) ? this : nullptr;
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG wanted, LPOLESTR* strings, ULONG* fetched) override {
        if (fetched) *fetched = 0;
        if (!strings || (wanted > 1 && !fetched)) return E_POINTER;
        const Com* const system = com();
        ULONG given = 0;
        AcquireSRWLockExclusive(&lock_);
        for (; given < wanted && next_ < values_.size(); ++given, ++next_) {
            const std::u16string& value = values_[next_];
            const std::size_t bytes = (value.size() + 1) * sizeof(wchar_t);
            auto* copy = static_cast<wchar_t*>(system ? system->task_alloc(bytes) : nullptr);
            if (!copy) break;
            std::copy_n(value.c_str(), value.size() + 1, copy);  // with its terminator
            strings[given] = copy;
        }
        ReleaseSRWLockExclusive(&lock_);
        if (fetched) *fetched = given;
        return given == wanted ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        AcquireSRWLockExclusive(&lock_);
        next_ = std::min(values_.size(), next_ + count);
        const bool all = next_ < values_.size();
        ReleaseSRWLockExclusive(&lock_);
        return all ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        AcquireSRWLockExclusive(&lock_);
        next_ = 0;
        ReleaseSRWLockExclusive(&lock_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumString** copy) override {
        if (copy) *copy = nullptr;
        return E_NOTIMPL;
    }

private:
    ~Suggestions() = default;

    LONG references_ = 1;
    SRWLOCK lock_ = SRWLOCK_INIT;
    history::Values values_;
    std::size_t next_ = 0;
};

}  // namespace

std::span<const QuickFillBox> quick_fill_boxes() {
    static const std::vector<QuickFillBox> boxes = all_boxes();
    return boxes;
}

struct QuickFill::Attached {
    const QuickFill& owner;
    HWND box;
    Meaning meaning;
    const wchar_t* starting_text;
    ComPtr<IAutoComplete2> autocomplete{};
    ComPtr<IAutoCompleteDropDown> drop_down{};
    ComPtr<Suggestions> suggestions{new Suggestions};
    std::u16string shown_for{};  // the box's text the suggestions were chosen for

    // The suggestion highlighted in the open list, if any.
    std::u16string highlighted() const {
        DWORD flags = 0;
        LPWSTR chosen = nullptr;
        if (FAILED(drop_down->GetDropDownStatus(&flags, &chosen)) || !chosen) return {};
        std::u16string text = as_units(chosen);
        com()->task_free(chosen);
        return (flags & ACDD_VISIBLE) ? text : std::u16string{};
    }

    bool list_shown() const {
        DWORD flags = 0;
        return SUCCEEDED(drop_down->GetDropDownStatus(&flags, nullptr)) && (flags & ACDD_VISIBLE);
    }

    // The box's starting text offers everything, as an empty box does.
    void offer_for_text() {
        shown_for = box_text(box);
        const std::u16string_view typed = shown_for == as_units(starting_text) ? std::u16string_view{} : shown_for;
        Histories* const histories = owner.histories();
        suggestions->set(histories ? history::matching(histories->values(meaning), typed, begins_by_locale)
                                   : history::Values{});
        drop_down->ResetEnumerator();
    }

    // Up and Down put the highlighted suggestion into the box: no new typing.
    void on_change() {
        const std::u16string text = box_text(box);
        if (text == shown_for || (!text.empty() && text == highlighted())) return;
        offer_for_text();
    }

    // Shift+Delete on a highlighted suggestion forgets it; the box gets back
    // what was typed, with the rest of the list.
    bool forget_highlighted() {
        const std::u16string chosen = highlighted();
        Histories* const histories = owner.histories();
        if (chosen.empty() || !histories) return false;
        histories->forget(meaning, chosen);
        const std::wstring typed = as_wide(shown_for);
        SetWindowTextW(box, typed.c_str());
        SendMessageW(box, EM_SETSEL, typed.size(), static_cast<LPARAM>(typed.size()));
        offer_for_text();
        return true;
    }
};

namespace {

// Our keys come before the autocomplete's: Shift+Delete, and Enter and Esc
// for the open list rather than for the window's dialog keys.
LRESULT CALLBACK quick_fill_keys(HWND box, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                 DWORD_PTR data) {
    auto& attached = *reinterpret_cast<QuickFill::Attached*>(data);
    switch (message) {
        case WM_KEYDOWN:
            if (wparam == VK_DELETE && GetKeyState(VK_SHIFT) < 0 && attached.forget_highlighted()) {
                // Down on a closed list opens it with what is left.
                DefSubclassProc(box, WM_KEYDOWN, VK_DOWN, 0);
                return 0;
            }
            break;
        case WM_GETDLGCODE: {
            const auto* key = reinterpret_cast<const MSG*>(lparam);
            const bool list_key = key && key->message == WM_KEYDOWN &&
                                  (key->wParam == VK_RETURN || key->wParam == VK_ESCAPE);
            const LRESULT code = DefSubclassProc(box, message, wparam, lparam);
            return list_key && attached.list_shown() ? code | DLGC_WANTMESSAGE : code;
        }
        case WM_NCDESTROY:
            RemoveWindowSubclass(box, quick_fill_keys, 0);
            break;
        default:
            break;
    }
    return DefSubclassProc(box, message, wparam, lparam);
}

}  // namespace

QuickFill::QuickFill(const TFMain& form) : form_(form) {}

QuickFill::~QuickFill() = default;

QuickFill::Attached* QuickFill::attached(HWND box) const {
    for (const auto& one : attached_) {
        if (one->box == box) return one.get();
    }
    return nullptr;
}

void QuickFill::on_focus(HWND box, const ControlRow& row) {
    if (!histories_) return;
    if (Attached* known = attached(box)) {
        // What was pressed since, here or in another window, is offered too.
        if (known->autocomplete) known->offer_for_text();
        return;
    }
    for (const QuickFillBox& one : quick_fill_boxes()) {
        if (one.control == row.name) attach(box, one.meaning, row.text);
    }
}

void QuickFill::attach(HWND box, Meaning meaning, const wchar_t* starting_text) {
    // Kept whatever the result: a box is tried once.
    Attached& made = *attached_.emplace_back(std::make_unique<Attached>(
        Attached{.owner = *this, .box = box, .meaning = meaning, .starting_text = starting_text}));
    const Com* const system = com();
    IAutoComplete2* autocomplete = nullptr;
    if (!system || FAILED(system->create(kAutoCompleteClass, nullptr, CLSCTX_INPROC_SERVER,
                                         __uuidof(IAutoComplete2), reinterpret_cast<void**>(&autocomplete)))) {
        return;
    }
    ComPtr<IAutoComplete2> owned(autocomplete);
    IAutoCompleteDropDown* drop_down = nullptr;
    if (FAILED(autocomplete->QueryInterface(__uuidof(IAutoCompleteDropDown), reinterpret_cast<void**>(&drop_down)))) {
        return;
    }
    made.drop_down.reset(drop_down);
    if (FAILED(autocomplete->Init(box, made.suggestions.get(), nullptr, nullptr)) ||
        FAILED(autocomplete->SetOptions(kOptions))) {
        return;
    }
    made.autocomplete = std::move(owned);
    made.offer_for_text();
    SetWindowSubclass(box, quick_fill_keys, 0, reinterpret_cast<DWORD_PTR>(&made));
}

void QuickFill::on_change(HWND box) {
    if (Attached* known = attached(box); known && known->autocomplete) known->on_change();
}

void QuickFill::record(Tab tab) {
    if (!histories_) return;
    for (const TabField& field : fields_of(tab)) {
        if (!field.history) continue;
        HWND box = form_.control(field.control);
        // A pasted book is not read again just to be refused.
        if (GetWindowTextLengthW(box) > static_cast<int>(2 * history::kMaxLength)) continue;
        const std::u16string value = box_text(box);
        if (history::worth_keeping(value, as_units(field.text))) histories_->record(*field.history, value);
    }
}

}  // namespace tessivar
