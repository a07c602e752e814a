# Windows side: test programs run under Wine with private prefixes in the
# build tree, and hardened images (ASLR with high entropy, DEP).
enable_language(RC)
# Each test program takes one of a few copies of the prefix, with a display
# of its own, so that ctest may run as many at once.
set(TESSIVAR_WINE_SLOTS 3 CACHE STRING "Windows tests run at once, each in a copy of the prefix")
if(CMAKE_CROSSCOMPILING)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_COMMAND} -E env TESSIVAR_WINE_SLOTS=${TESSIVAR_WINE_SLOTS}
        ${CMAKE_SOURCE_DIR}/cmake/wine-run ${CMAKE_BINARY_DIR}/wineprefix)
endif()
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
if(MINGW)
    add_link_options(-Wl,--dynamicbase -Wl,--high-entropy-va -Wl,--nxcompat)
    # No link time in the PE header: the same commit gives the same exe
    # whenever it is built (the build folders are kept out in CMakeLists.txt).
    add_link_options(-Wl,--no-insert-timestamp)
endif()

# The windows, their kit and the Win32 side of the panes, shared by the
# program and its tests; the text conversions come with tessivar_store.
add_library(tessivar_ui STATIC
    app/About.cpp
    app/actions.cpp
    app/application.cpp
    preview/picture_decode.cpp
    preview/picture_loader.cpp
    preview/preview_pictures.cpp
    preview/rich_edit_picture.cpp
    preview/preview.cpp
    win32/beside.cpp
    win32/browser.cpp
    win32/centred.cpp
    form/accessible_name.cpp
    form/clearing.cpp
    win32/com.cpp
    form/date_toggles_and_hints.cpp
    form/form_create.cpp
    form/generator_buttons.cpp
    form/main_window.cpp
    form/main_window_build.cpp
    form/main_window_layout.cpp
    form/form_keeping.cpp
    journal/journal_window.cpp
    form/menu_bar.cpp
    form/menu_commands.cpp
    form/quick_fill.cpp
    win32/window.cpp
    win32/window_kit.cpp
    output/date_text.cpp
    output/pane.cpp
    template_window/file_dialogs.cpp
    template_window/name_prompt.cpp
    template_window/template_window.cpp
    store/location.cpp
    store/registry_import.cpp
)
target_link_libraries(tessivar_ui PUBLIC tessivar_core tessivar_store comctl32 shell32 gdi32 user32 kernel32)
# The loader's User-Agent names the version.
target_include_directories(tessivar_ui PRIVATE ${CMAKE_BINARY_DIR}/generated)

# The version block takes its numbers from project(... VERSION), the one place
# the version is written; parts left out count as 0.
foreach(part MAJOR MINOR PATCH TWEAK)
    if("${PROJECT_VERSION_${part}}" STREQUAL "")
        set(TESSIVAR_VERSION_${part} 0)
    else()
        set(TESSIVAR_VERSION_${part} ${PROJECT_VERSION_${part}})
    endif()
endforeach()
configure_file(resources/tessivar_version.h.in generated/tessivar_version.h @ONLY)

# Manifest, icon and version block; the tests link them too, so they run on
# the same common controls as the program.
add_library(tessivar_resources OBJECT resources/tessivar.rc)
target_include_directories(tessivar_resources PRIVATE ${CMAKE_BINARY_DIR}/generated)
set_source_files_properties(resources/tessivar.rc PROPERTIES
    OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/resources/tessivar.manifest;${CMAKE_SOURCE_DIR}/resources/tessivar.ico;${CMAKE_BINARY_DIR}/generated/tessivar_version.h")

add_executable(Tessivar WIN32 app/main.cpp $<TARGET_OBJECTS:tessivar_resources>)
target_link_libraries(Tessivar PRIVATE tessivar_ui)
if(MINGW)
    target_link_options(Tessivar PRIVATE -municode -s)  # wWinMain; no symbols in the shipped exe
endif()
