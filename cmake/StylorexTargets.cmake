# Shared settings for every target of our own.

option(STYLOREX_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)
option(STYLOREX_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

if(STYLOREX_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

function(stylorex_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow)
    if(STYLOREX_WARNINGS_AS_ERRORS)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# stylorex_library(name SOURCES ... LIBS ...): one static library per folder.
function(stylorex_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    stylorex_warnings(${name})
endfunction()
