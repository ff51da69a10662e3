# `cmake --install` (scripts/install calls it): the program, its desktop entry and its icon under
# the prefix, as a desktop finds them under ~/.local:
#   lib/stylorex/stylorex          the program; its settings file and stored patterns go beside
#                                  it, as the program keeps them
#   bin/stylorex                   a link to it, for the PATH
#   share/applications/stylorex.desktop
#   share/icons/hicolor/<N>x<N>/apps/stylorex.png
#   share/applications/stylorex-kwin.desktop
#                                  names the installed program to KWin, which lets only the
#                                  programs so named move the pointer and read the screen
#                                  (KDE Plasma on Wayland); scripts/kwin-authorise writes it
# More desktop entries (a desktop of its own) are added to STYLOREX_DESKTOP_ENTRIES: each is a
# template whose @STYLOREX_INSTALLED_PROGRAM@ becomes the installed program's path.
set(STYLOREX_DESKTOP_ENTRIES ${PROJECT_SOURCE_DIR}/cmake/stylorex.desktop.in)

install(TARGETS stylorex RUNTIME DESTINATION lib/stylorex)
install(DIRECTORY ${PROJECT_BINARY_DIR}/icons/ DESTINATION share/icons)
# The link and the entries name the prefix given at install time, not the configured one.
install(CODE "
    set(root \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
    file(MAKE_DIRECTORY \"\${root}/bin\" \"\${root}/share/applications\")
    file(CREATE_LINK ../lib/stylorex/stylorex \"\${root}/bin/stylorex\" SYMBOLIC)
    message(STATUS \"Installing: \${root}/bin/stylorex\")
    set(STYLOREX_INSTALLED_PROGRAM \"\${CMAKE_INSTALL_PREFIX}/lib/stylorex/stylorex\")
    foreach(entry ${STYLOREX_DESKTOP_ENTRIES})
        get_filename_component(name \"\${entry}\" NAME_WLE)
        configure_file(\"\${entry}\" \"\${root}/share/applications/\${name}\" @ONLY)
        message(STATUS \"Installing: \${root}/share/applications/\${name}\")
    endforeach()
    # KWin compares the path with the running program's: one staged under DESTDIR is not it.
    if(\"\$ENV{DESTDIR}\" STREQUAL \"\")
        execute_process(COMMAND \"${PROJECT_SOURCE_DIR}/scripts/kwin-authorise\"
                            \"\${root}/lib/stylorex/stylorex\" \"\${root}/share\"
                        COMMAND_ERROR_IS_FATAL ANY)
        message(STATUS \"Installing: \${root}/share/applications/stylorex-kwin.desktop\")
    endif()
")

# The Debian package's layout, which takes the same desktop entries.
include(StylorexPackage)
