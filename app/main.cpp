// Tessivar.exe: the application window, the main and About windows, the message loop.
#include <windows.h>

#include "app/About.h"
#include "app/actions.h"
#include "app/application.h"
#include "app/registry_histories.h"
#include "form/main_window.h"
#include "form/window_kit.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
    tessivar::declare_dpi_awareness();
    tessivar::init_common_controls();
    tessivar::Application application(L"Tessivar");
    tessivar::TFMain main_window(application.handle(), tessivar::main_menu());
    tessivar::TFAbout about(application.handle());
    main_window.set_about(&about);
    tessivar::RegistryHistories histories;
    main_window.set_histories(&histories);
    application.show_main_window(main_window.handle(), show);
    return application.run();
}
