// Tessivar.exe: the application window, the main window, the message loop.
#include <windows.h>

#include "app/application.h"
#include "form/main_window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
    tessivar::init_common_controls();
    tessivar::Application application(L"Tessivar");
    tessivar::TFMain main_window(application.handle());
    return application.run(main_window.handle(), show);
}
