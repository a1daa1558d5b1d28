# The Debian package, built from a build tree with `cpack -G DEB`: the program where every
# screen-saver daemon looks for it, xscreensaver's settings file, the desktop entry that
# mate-screensaver and xfce4-screensaver list, the manual page and the documentation Debian
# requires.
set(VORTHANE_PACKAGING ${CMAKE_SOURCE_DIR}/packaging)
set(VORTHANE_PACKAGED ${CMAKE_BINARY_DIR}/packaged)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Debian compresses manual pages and changelogs with gzip -9n (no name, no time stamp).
set(VORTHANE_COMPRESSED)
foreach(pair vorthane.6x:vorthane.6x.gz changelog:changelog.Debian.gz)
  string(REPLACE ":" ";" parts ${pair})
  list(GET parts 0 in)
  list(GET parts 1 out)
  add_custom_command(
    OUTPUT ${VORTHANE_PACKAGED}/${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VORTHANE_PACKAGED}
    COMMAND gzip -9n -c ${VORTHANE_PACKAGING}/${in} > ${VORTHANE_PACKAGED}/${out}
    DEPENDS ${VORTHANE_PACKAGING}/${in}
    COMMENT "Compressing ${in}")
  list(APPEND VORTHANE_COMPRESSED ${VORTHANE_PACKAGED}/${out})
endforeach()
add_custom_target(vorthane_package_files ALL DEPENDS ${VORTHANE_COMPRESSED})

install(FILES ${VORTHANE_PACKAGING}/vorthane.xml DESTINATION share/xscreensaver/config)
install(FILES ${VORTHANE_PACKAGING}/vorthane.desktop DESTINATION share/applications/screensavers)
install(FILES ${VORTHANE_PACKAGED}/vorthane.6x.gz DESTINATION share/man/man6)
install(FILES ${VORTHANE_PACKAGING}/copyright ${VORTHANE_PACKAGED}/changelog.Debian.gz
        DESTINATION share/doc/vorthane)

set(CPACK_PACKAGE_NAME vorthane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
configure_file(${CMAKE_SOURCE_DIR}/cmake/PackageVersion.cmake.in
               ${CMAKE_BINARY_DIR}/PackageVersion.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/PackageVersion.cmake)
set(CPACK_PACKAGE_CONTACT
    "Seed 46dfdce7 maintainers <maintainers@users.noreply.c-seed-46dfdce7.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-linuxlibertine)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver | mate-screensaver | xsecurelock | swayidle")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "screen saver with a banner and sliding captions")
# The first line of the control file's description is the summary; CPack indents these lines.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "A black screen, a banner picture and five caption lines that slide down one
after another in an endless 42-second cycle.

The saver runs under xscreensaver, mate-screensaver and xsecurelock in an
X11 or XWayland session, and natively on Wayland compositors that offer
layer-shell (sway, Hyprland, KDE Plasma and others), started by swayidle,
hypridle or swaylock-plugin.")
include(CPack)
