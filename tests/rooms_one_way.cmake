# Fails when a source includes a header of a room above its own, or of
# another room on its floor: the arrows between rooms point down only.
# Run as cmake -DSOURCE_DIR=<repository> -P rooms_one_way.cmake.
cmake_minimum_required(VERSION 3.25)

# The floors, lowest first; a folder of sources on no floor fails too.
set(floors
    "output bbcode pictures history"
    "tabs"
    "templates snapshot"
    "win32"
    "store"
    "form"
    "preview journal template_window"
    "app")
set(not_rooms .ci .git build cmake docs resources scripts tests third_party)

set(floor 0)
foreach(rooms IN LISTS floors)
    separate_arguments(rooms)
    foreach(room IN LISTS rooms)
        set(floor_of_${room} ${floor})
    endforeach()
    math(EXPR floor "${floor} + 1")
endforeach()

set(faults "")
file(GLOB folders LIST_DIRECTORIES true RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*)
foreach(room IN LISTS folders)
    if(NOT IS_DIRECTORY ${SOURCE_DIR}/${room} OR room IN_LIST not_rooms OR room MATCHES "^build")
        continue()
    endif()
    file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${room}/*.h ${SOURCE_DIR}/${room}/*.cpp)
    if(NOT sources)
        continue()
    endif()
    if(NOT DEFINED floor_of_${room})
        list(APPEND faults "${room}/ is on no floor")
        continue()
    endif()
    foreach(source IN LISTS sources)
        file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^[^\"]*\"([^\"/]+)/.*$" "\\1" target "${line}")
            if(target STREQUAL room OR NOT DEFINED floor_of_${target})
                continue()
            endif()
            if(NOT floor_of_${target} LESS floor_of_${room})
                string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" header "${line}")
                list(APPEND faults "${source} includes ${header}")
            endif()
        endforeach()
    endforeach()
endforeach()

if(faults)
    list(JOIN faults "\n  " listed)
    message(FATAL_ERROR "Arrows up or across between rooms:\n  ${listed}")
endif()
