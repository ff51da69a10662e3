# Wayland client code generated from protocol descriptions with wayland-scanner.

find_package(PkgConfig REQUIRED)
pkg_check_modules(WaylandClient REQUIRED IMPORTED_TARGET GLOBAL wayland-client)
pkg_get_variable(STYLOREX_WAYLAND_SCANNER wayland-scanner wayland_scanner)
pkg_get_variable(STYLOREX_WAYLAND_PROTOCOLS wayland-protocols pkgdatadir)
if(NOT STYLOREX_WAYLAND_SCANNER OR NOT STYLOREX_WAYLAND_PROTOCOLS)
    message(FATAL_ERROR "wayland-scanner and wayland-protocols are needed "
                        "(scripts/install-deps installs them)")
endif()
enable_language(C)

# stylorex_wayland_protocols(name XML ...): a static library with the client header
# (<protocol file name>-client.h, included by that name) and the glue code of each protocol.
function(stylorex_wayland_protocols name)
    cmake_parse_arguments(ARG "" "" "XML" ${ARGN})
    set(dir ${CMAKE_CURRENT_BINARY_DIR}/${name})
    file(MAKE_DIRECTORY ${dir})
    set(sources "")
    foreach(xml IN LISTS ARG_XML)
        get_filename_component(base ${xml} NAME_WE)
        add_custom_command(
            OUTPUT ${dir}/${base}-client.h ${dir}/${base}-protocol.c
            COMMAND ${STYLOREX_WAYLAND_SCANNER} client-header ${xml} ${dir}/${base}-client.h
            COMMAND ${STYLOREX_WAYLAND_SCANNER} private-code ${xml} ${dir}/${base}-protocol.c
            DEPENDS ${xml}
            VERBATIM)
        list(APPEND sources ${dir}/${base}-client.h ${dir}/${base}-protocol.c)
    endforeach()
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${dir})
    target_link_libraries(${name} PUBLIC PkgConfig::WaylandClient)
endfunction()
