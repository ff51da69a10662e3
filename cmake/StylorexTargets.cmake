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

# Collects every library `target` links, directly or through others, into `out`.
function(stylorex_link_closure target out)
    set(seen ${${out}})
    foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
        get_target_property(libs ${target} ${property})
        if(NOT libs)
            continue()
        endif()
        foreach(lib IN LISTS libs)
            string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" lib "${lib}")
            if(lib IN_LIST seen OR NOT TARGET ${lib})
                continue()
            endif()
            list(APPEND seen ${lib})
            stylorex_link_closure(${lib} seen)
        endforeach()
    endforeach()
    set(${out} ${seen} PARENT_SCOPE)
endfunction()

# The engine and the settings run without widgets (the command line and the unit tests need no
# widget application): configuring fails when such a library links Qt Widgets, even indirectly.
# Checked once every target is defined.
function(stylorex_without_widgets target)
    set_property(GLOBAL APPEND PROPERTY STYLOREX_WITHOUT_WIDGETS ${target})
endfunction()

function(stylorex_check_without_widgets)
    get_property(targets GLOBAL PROPERTY STYLOREX_WITHOUT_WIDGETS)
    foreach(target IN LISTS targets)
        set(closure "")
        stylorex_link_closure(${target} closure)
        if("Qt6::Widgets" IN_LIST closure OR "Qt::Widgets" IN_LIST closure)
            message(FATAL_ERROR "${target} must not link Qt Widgets; it links: ${closure}")
        endif()
    endforeach()
endfunction()
