// Tessivar.exe: the application window, the main, About, preview and templates windows, the message loop.
#include <windows.h>

#include <utility>

#include "app/About.h"
#include "app/actions.h"
#include "app/application.h"
#include "journal/journal_window.h"
#include "preview/preview.h"
#include "form/main_window.h"
#include "win32/window_kit.h"
#include "output/win32_text.h"
#include "store/histories.h"
#include "store/location.h"
#include "store/registry_import.h"
#include "store/store.h"
#include "store/templates.h"
#include "template_window/template_window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
    tessivar::declare_dpi_awareness();
    tessivar::init_common_controls();
    tessivar::Application application(L"Tessivar");
    tessivar::TFMain main_window(application.handle(), tessivar::main_menu());
    tessivar::TFAbout about(application.handle());
    main_window.set_about(&about);
    // The file is opened where it exists; a first start makes nothing.
    const tessivar::store::Location location = tessivar::store::database_location();
    // A file beside the exe is most often on a stick, which may be pulled
    // out while the program runs: each commit waits until it is on it.
    tessivar::store::StoreOptions options;
    options.flush_each_commit = location.portable;
    tessivar::store::Store store(tessivar::narrow(location.path), std::move(options));
    if (!location.portable) store.on_opened([](tessivar::store::Database& database) { tessivar::store::import_registry(database); });
    store.on_fault([&main_window](tessivar::store::Fault fault, const std::string& text) {
        main_window.keeping().told(fault, text);
    });
    store.open_existing();
    tessivar::store::StoreHistories histories(store);
    main_window.set_histories(&histories);
    tessivar::TFPreview preview(main_window.handle(), main_window.Disc1, main_window.Disc2);
    main_window.set_preview(&preview);
    tessivar::TFJournal journal(main_window, &store);
    main_window.set_journal(&journal);
    tessivar::store::TemplateStore template_store(store);
    tessivar::TFTemplates templates(main_window, &template_store);
    main_window.set_templates(&template_store, &templates);
    main_window.keeping().set_store(&store);
    const bool maximized = main_window.keeping().restore();
    application.show_main_window(main_window.handle(), maximized && show != SW_SHOWMINNOACTIVE ? SW_SHOWMAXIMIZED : show);
    const int exit_code = application.run();
    main_window.keeping().save();  // however the loop ended
    return exit_code;
}
