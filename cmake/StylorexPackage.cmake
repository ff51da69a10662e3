# The Debian package (scripts/package): CPack's DEB generator, with dpkg-shlibdeps for the
# libraries' packages. Its files are the install component `deb`, left out of a plain
# `cmake --install` (scripts/install's layout under ~/.local stays as it is):
#   /usr/bin/stylorex                          the program itself, not a link: KWin compares
#                                              the running program's path with Exec=
#   /usr/share/applications/stylorex.desktop   and every other entry of STYLOREX_DESKTOP_ENTRIES
#   /usr/share/applications/stylorex-kwin.desktop
#   /usr/share/icons/hicolor/<N>x<N>/apps/stylorex.png
#   /usr/share/metainfo/<id>.metainfo.xml      what software centres show (AppStream)
#   /usr/share/man/man1/stylorex.1.gz, /usr/share/man/ja/man1/stylorex.1.gz
#   /usr/share/bash-completion/completions/stylorex
#   /usr/share/doc/stylorex/copyright, changelog.gz
# /usr/bin cannot take the settings and the stored patterns, which then go to the per-user
# folders (os/program_folder.h).
set(STYLOREX_PACKAGE_PREFIX /usr)
set(STYLOREX_APPSTREAM_ID io.github.stylorex.stylorex)
set(packaged_program ${STYLOREX_PACKAGE_PREFIX}/bin/stylorex)
set(staged ${PROJECT_BINARY_DIR}/packaging)
set(packaging ${PROJECT_SOURCE_DIR}/packaging)

install(TARGETS stylorex RUNTIME DESTINATION bin COMPONENT deb EXCLUDE_FROM_ALL)
install(DIRECTORY ${PROJECT_BINARY_DIR}/icons/ DESTINATION share/icons COMPONENT deb
        EXCLUDE_FROM_ALL)

set(STYLOREX_INSTALLED_PROGRAM ${packaged_program})
foreach(entry ${STYLOREX_DESKTOP_ENTRIES})
    get_filename_component(name ${entry} NAME_WLE)
    configure_file(${entry} ${staged}/${name} @ONLY)
    install(FILES ${staged}/${name} DESTINATION share/applications COMPONENT deb
            EXCLUDE_FROM_ALL)
endforeach()
set(EXEC ${packaged_program})
configure_file(${PROJECT_SOURCE_DIR}/os/kde/stylorex-kwin.desktop.in
               ${staged}/stylorex-kwin.desktop @ONLY)
unset(EXEC)
install(FILES ${staged}/stylorex-kwin.desktop DESTINATION share/applications COMPONENT deb
        EXCLUDE_FROM_ALL)

# The release date is that of the newest changelog entry, so the metadata and the package
# speak of the same release.
file(STRINGS ${packaging}/changelog changelog_lines)
list(GET changelog_lines 0 changelog_head)
string(REGEX MATCH "^stylorex \\(([^)]+)\\)" _ "${changelog_head}")
set(STYLOREX_CHANGELOG_VERSION ${CMAKE_MATCH_1})
foreach(line ${changelog_lines})
    if(line MATCHES "^ -- .*  [A-Z][a-z][a-z], ([0-9]+) ([A-Z][a-z][a-z]) ([0-9]+) ")
        set(day ${CMAKE_MATCH_1})
        set(month_name ${CMAKE_MATCH_2})
        set(year ${CMAKE_MATCH_3})
        break()
    endif()
endforeach()
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND months ${month_name} month)
math(EXPR month "${month} + 1")
string(LENGTH "${month}" month_digits)
string(LENGTH "${day}" day_digits)
if(month_digits EQUAL 1)
    set(month 0${month})
endif()
if(day_digits EQUAL 1)
    set(day 0${day})
endif()
set(STYLOREX_RELEASE_DATE ${year}-${month}-${day})
configure_file(${packaging}/stylorex.metainfo.xml.in
               ${staged}/${STYLOREX_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${staged}/${STYLOREX_APPSTREAM_ID}.metainfo.xml DESTINATION share/metainfo
        COMPONENT deb EXCLUDE_FROM_ALL)

# Manual pages and the changelog go compressed, as Debian keeps them.
set(VERSION ${PROJECT_VERSION})
configure_file(${packaging}/stylorex.1 ${staged}/man/stylorex.1 @ONLY)
configure_file(${packaging}/stylorex.ja.1 ${staged}/man/ja/stylorex.1 @ONLY)
unset(VERSION)
set(compressed)
foreach(file man/stylorex.1 man/ja/stylorex.1 changelog)
    if(file STREQUAL changelog)
        set(source ${packaging}/changelog)
    else()
        set(source ${staged}/${file})
    endif()
    add_custom_command(OUTPUT ${staged}/${file}.gz
        COMMAND gzip -9 -n -c ${source} > ${staged}/${file}.gz
        DEPENDS ${source}
        VERBATIM)
    list(APPEND compressed ${staged}/${file}.gz)
endforeach()
add_custom_target(stylorex_package_files ALL DEPENDS ${compressed})
install(FILES ${staged}/man/stylorex.1.gz DESTINATION share/man/man1 COMPONENT deb
        EXCLUDE_FROM_ALL)
install(FILES ${staged}/man/ja/stylorex.1.gz DESTINATION share/man/ja/man1 COMPONENT deb
        EXCLUDE_FROM_ALL)
install(FILES ${packaging}/stylorex.bash-completion DESTINATION share/bash-completion/completions
        RENAME stylorex COMPONENT deb EXCLUDE_FROM_ALL)
install(FILES ${packaging}/copyright ${staged}/changelog.gz DESTINATION share/doc/stylorex
        COMPONENT deb EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME stylorex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX ${STYLOREX_PACKAGE_PREFIX})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL deb)
set(CPACK_DEBIAN_DEB_PACKAGE_NAME stylorex)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Without these the window shows no text (a Japanese face) or does not open at all (the X11
# and Wayland platform plugins); the Qt dialogs speak Japanese with the translations.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic, qt6-wayland, qt6-translations-l10n")
# slurp: the point pick on sway and other wlroots compositors.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "slurp")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER
    "Stylorex maintainers <maintainers@users.noreply.c-seed-a8956abe.example>")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "draw a picture into another program with the mouse pointer
Stylorex draws a small picture into another program (a paint program, a
whiteboard, a form with a signature field) by driving the real mouse pointer:
every line pixel of the picture is replayed as a stroke with the left button
held down, at the point on the screen chosen. It works in X11 sessions, on
sway and other wlroots compositors, on KDE Plasma and on GNOME.
.
The window is in Japanese; stylorex draw draws a picture file from the
command line.")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
