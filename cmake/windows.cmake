# Windows side: test programs run under Wine with a private prefix in the
# build tree, and hardened images (ASLR with high entropy, DEP).
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_SOURCE_DIR}/cmake/wine-run ${CMAKE_BINARY_DIR}/wineprefix)
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
add_link_options(-Wl,--dynamicbase -Wl,--high-entropy-va -Wl,--nxcompat)
