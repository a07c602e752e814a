// Tessivar.exe: the application window, the main, About and preview windows, the message loop.
#include <windows.h>

#include "app/About.h"
#include "app/actions.h"
#include "app/application.h"
#include "app/registry_histories.h"
#include "app/preview.h"
#include "form/main_window.h"
#include "form/window_kit.h"
#include "template_window/template_window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
    tessivar::declare_dpi_awareness();
    tessivar::init_common_controls();
    tessivar::Application application(L"Tessivar");
    tessivar::TFMain main_window(application.handle(), tessivar::main_menu());
    tessivar::TFAbout about(application.handle());
    main_window.set_about(&about);
    tessivar::RegistryHistories histories;
    main_window.set_histories(&histories);
    tessivar::TFPreview preview(main_window.handle(), main_window.Disc1, main_window.Disc2);
    main_window.set_preview(&preview);
    tessivar::TFTemplates templates(main_window, nullptr);
    main_window.set_templates(nullptr, &templates);
    application.show_main_window(main_window.handle(), show);
    return application.run();
}
