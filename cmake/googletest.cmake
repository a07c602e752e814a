# GoogleTest from the distribution's sources, built with this project's
# compiler so that the same tests run natively and as Windows programs.
set(GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
include(GoogleTest)

# One test program: discovered case by case natively; under Wine one process
# per program, since each process start there costs a good fraction of a
# second, or one per suite named after SUITES, so that long suites run side
# by side.
function(tessivar_test name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SUITES")
    add_executable(${name} ${arg_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
    # GCC 12 optimising takes `"literal" + std::string` for an overlapping
    # copy (GCC bug 105329), which tests write freely; the program's own
    # code is written around it and keeps the warning.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        target_compile_options(${name} PRIVATE -Wno-restrict)
    endif()
    if(CMAKE_CROSSCOMPILING AND arg_SUITES)
        foreach(suite ${arg_SUITES})
            add_test(NAME ${name}.${suite} COMMAND ${name} --gtest_filter=${suite}.*)
        endforeach()
    elseif(CMAKE_CROSSCOMPILING)
        add_test(NAME ${name} COMMAND ${name})
    else()
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30)
    endif()
endfunction()
