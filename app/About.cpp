#include "app/About.h"

#include <commctrl.h>

#include "app/about_window.h"
#include "win32/dialog_keys.h"

namespace tessivar {
namespace {

constexpr int kMemoId = 100;

constexpr wchar_t kText[] =
    L"Программа предназначена для быстрого формирования кода для описания контента сайта.\r\n"
    L"\r\n"
    L"В след версии будет:\r\n"
    L"- Файл базы данных: \r\n"
    L"Он будет хранить настройки, а так же некоторую \r\n"
    L"информацию для быстрого заполнения данных. \r\n"
    L"Так же будет хранить информацию о прошлом \r\n"
    L"заполнении полей.\r\n"
    L"- Предварительный просмотр кода\r\n"
    L"- Оформление карт CS по просьбе.\r\n"
    L"- Автоматическая проверка новой версии.\r\n"
    L"\r\n"
    L"Ver 1.2 (1.0.1.4): \r\n"
    L"- В картах можно указывать источник откуда она была взята.\r\n"
    L"- Кнопка \"Очистить\" для очистки данных на форме\r\n"
    L"- В подробном описании вставляется информационная программная строка.\r\n"
    L"- Кнопки для быстрого копирования сформированного текста.\r\n"
    L"\r\n"
    L"Ver 1.3 (1.0.2.5): \r\n"
    L"- Добавлена форма оформления звуковых файлов\r\n"
    L"- Добавлено вверхнее меню.\r\n"
    L"- \"О программе\" теперь в отдельной форме.\r\n"
    L"- Главную форму теперь можно разворачивать на полный экран.\r\n";

}  // namespace

const wchar_t* about_text() { return kText; }

TFAbout::TFAbout(HWND owner) {
    register_window_class(kAboutClass, object_window_procedure<TFAbout>, GetSysColorBrush(COLOR_BTNFACE),
                          main_icon());
    const int dpi = window_dpi(nullptr);
    scale_ = {dpi, dpi};
    const SIZE outer = outer_size(scale_.size(kAboutDesignClient), kAboutStyle, 0, dpi);
    CreateWindowExW(0, kAboutClass, kAboutTitle, kAboutStyle, scale_.x(kAboutPlace.x), scale_.y(kAboutPlace.y),
                    outer.cx, outer.cy, owner, nullptr, instance(), this);
    font_ = create_ui_font(kFormFace, dpi);
    create_memo();
}

void TFAbout::attach(HWND window) {
    window_ = window;
    take_dialog_keys(window);
}

void TFAbout::detach() {
    let_go_dialog_keys(window_);
    window_ = nullptr;
}

TFAbout::~TFAbout() {
    if (window_) DestroyWindow(window_);
    if (font_) DeleteObject(font_);
}

// Made at its place at once, as a memo moved later wraps its text again.
void TFAbout::create_memo() {
    const Bounds b = lay_out_memo();
    Memo6 = CreateWindowExW(0, WC_EDITW, kText, kAboutMemoStyle, b.left, b.top, b.width, b.height, window_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kMemoId)), instance(), nullptr);
    SendMessageW(Memo6, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    anchors_.add(Memo6, b, kAllEdges);
}

// The memo's bounds at the window's density, for the client size they were
// designed for; the anchoring starts again from them.
Bounds TFAbout::lay_out_memo() {
    anchors_.reset(scale_.size(kAboutDesignClient));
    return scale_.bounds(kAboutMemoBounds);
}

// Dragged to a monitor of another density: the system's rectangle, a new
// font, the memo laid out again.
void TFAbout::on_dpi_changed(int dpi, const RECT& suggested) {
    HFONT previous = font_;
    scale_ = {dpi, dpi};
    font_ = create_ui_font(kFormFace, dpi);
    SendMessageW(Memo6, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    DeleteObject(previous);
    anchors_.add(Memo6, lay_out_memo(), kAllEdges);
    take_suggested_rectangle(window_, suggested);
    anchors_.apply(client_size(window_));
}

void TFAbout::show_modal(HWND caller) {
    if (modal_) return;
    focus_before_ = GetFocus();  // lost as the caller is disabled
    for (HWND window = caller; window; window = GetWindow(window, GW_OWNER)) {
        if (!IsWindowEnabled(window)) continue;
        EnableWindow(window, FALSE);
        disabled_.push_back(window);
    }
    caller_ = caller;
    modal_ = true;
    ShowWindow(window_, SW_SHOW);
    run_modal_loop();
}

void TFAbout::run_modal_loop() {
    MSG msg{};
    while (modal_) {
        if (!GetMessageW(&msg, nullptr, 0, 0)) {
            // The program is ending: the main loop must see the quit too.
            PostQuitMessage(static_cast<int>(msg.wParam));
            close();
            return;
        }
        dispatch_message(msg);
    }
}

void TFAbout::close() {
    for (HWND window : disabled_) EnableWindow(window, TRUE);
    disabled_.clear();
    // The activation goes back to the caller before this window hides: left
    // to the system it would pass to the owner, the application window.
    if (modal_ && caller_) SetActiveWindow(caller_);
    ShowWindow(window_, SW_HIDE);
    if (modal_ && IsWindow(focus_before_)) SetFocus(focus_before_);
    modal_ = false;
    caller_ = nullptr;
    focus_before_ = nullptr;
}

LRESULT TFAbout::on_message(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_SIZE:
            anchors_.apply(client_size(window_));
            return 0;
        case WM_DPICHANGED:
            on_dpi_changed(LOWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wparam) != WA_INACTIVE && Memo6) SetFocus(Memo6);
            return 0;
        case WM_CTLCOLORSTATIC:  // a read-only edit asks for the static colours
            if (reinterpret_cast<HWND>(lparam) == Memo6) {
                HDC dc = reinterpret_cast<HDC>(wparam);
                SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
                SetBkColor(dc, GetSysColor(COLOR_MENUBAR));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_MENUBAR));
            }
            break;
        case WM_CLOSE:  // hidden, never destroyed: the next showing keeps its place
            close();
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wparam, lparam);
}

}  // namespace tessivar
