# What the Linux packages install, and the Debian and RPM packages built from a build tree
# with `cpack -G DEB` or `cpack -G RPM`: the program where every screen-saver daemon looks for
# it, xscreensaver's settings file, the desktop entry that mate-screensaver and
# xfce4-screensaver list, an autostart entry for the idle watch that a user may copy to
# ~/.config/autostart (it runs for nobody by itself), the manual page and the documentation each
# distribution requires.
# packaging/arch/PKGBUILD installs the same files for Arch Linux.
set(VORTHANE_PACKAGING ${CMAKE_SOURCE_DIR}/packaging)
set(VORTHANE_PACKAGED ${CMAKE_BINARY_DIR}/packaged)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The daemons run savers from the folder of their distribution's xscreensaver: Debian and Fedora
# use /usr/libexec/xscreensaver, Arch /usr/lib/xscreensaver.
set(VORTHANE_SAVER_DIR libexec/xscreensaver CACHE STRING
    "Folder, under /usr, of the screen-saver daemons' programs, where vorthane is installed")
# Debian and Fedora keep the copyright with the documentation, Arch in /usr/share/licenses;
# the manual page names it there.
set(VORTHANE_COPYRIGHT_DIR share/doc/vorthane CACHE STRING
    "Folder, under /usr, of vorthane's copyright file")
foreach(dir VORTHANE_SAVER_DIR VORTHANE_COPYRIGHT_DIR)
  if(IS_ABSOLUTE "${${dir}}" OR "${${dir}}" MATCHES "(^|/)\\.\\.(/|$)")
    message(FATAL_ERROR "${dir} must be a folder under /usr, such as lib/xscreensaver")
  endif()
endforeach()
# The packages install under /usr (the daemons look nowhere else); the desktop entry and the
# manual page name the program there.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(VORTHANE_SAVER_PATH ${CPACK_PACKAGING_INSTALL_PREFIX}/${VORTHANE_SAVER_DIR}/vorthane)
set(VORTHANE_COPYRIGHT_PATH ${CPACK_PACKAGING_INSTALL_PREFIX}/${VORTHANE_COPYRIGHT_DIR}/copyright)

# The desktop entry and the manual page are written for Debian's folders; a build for others
# names its own.
foreach(file vorthane.desktop vorthane-idle-watch.desktop vorthane-gnome.desktop vorthane.6x)
  file(READ ${VORTHANE_PACKAGING}/${file} text)
  string(REPLACE "/usr/libexec/xscreensaver/vorthane" "${VORTHANE_SAVER_PATH}" text "${text}")
  string(REPLACE "/usr/share/doc/vorthane/copyright" "${VORTHANE_COPYRIGHT_PATH}" text "${text}")
  file(WRITE ${VORTHANE_PACKAGED}/${file}.in "${text}")
  configure_file(${VORTHANE_PACKAGED}/${file}.in ${VORTHANE_PACKAGED}/${file} COPYONLY)
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${VORTHANE_PACKAGING}/vorthane.desktop ${VORTHANE_PACKAGING}/vorthane-idle-watch.desktop
             ${VORTHANE_PACKAGING}/vorthane-gnome.desktop
             ${VORTHANE_PACKAGING}/vorthane.6x)

# Debian compresses manual pages and changelogs with gzip -9n (no name, no time stamp).
set(VORTHANE_COMPRESSED)
foreach(pair ${VORTHANE_PACKAGED}/vorthane.6x:vorthane.6x.gz
             ${VORTHANE_PACKAGING}/changelog:changelog.Debian.gz)
  string(REPLACE ":" ";" parts ${pair})
  list(GET parts 0 in)
  list(GET parts 1 out)
  add_custom_command(
    OUTPUT ${VORTHANE_PACKAGED}/${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VORTHANE_PACKAGED}
    COMMAND gzip -9n -c ${in} > ${VORTHANE_PACKAGED}/${out}
    DEPENDS ${in}
    COMMENT "Compressing ${out}")
  list(APPEND VORTHANE_COMPRESSED ${VORTHANE_PACKAGED}/${out})
endforeach()
add_custom_target(vorthane_package_files ALL DEPENDS ${VORTHANE_COMPRESSED})
# Building the program alone builds what its installation needs too.
add_dependencies(vorthane vorthane_package_files)

# Components: `saver` and `copyright` are what every package installs; `debian` is Debian's own.
install(TARGETS vorthane RUNTIME DESTINATION ${VORTHANE_SAVER_DIR} COMPONENT saver)
install(FILES ${VORTHANE_PACKAGING}/vorthane.xml DESTINATION share/xscreensaver/config
        COMPONENT saver)
install(FILES ${VORTHANE_PACKAGED}/vorthane.desktop DESTINATION share/applications/screensavers
        COMPONENT saver)
install(FILES ${VORTHANE_PACKAGED}/vorthane-idle-watch.desktop DESTINATION share/vorthane
        COMPONENT saver)
# GNOME knows the saver's windows (app id "vorthane") by this entry, and remembers by it whether
# their user let them hold back the shell's shortcuts.
install(FILES ${VORTHANE_PACKAGED}/vorthane-gnome.desktop DESTINATION share/applications
        RENAME vorthane.desktop COMPONENT saver)
install(FILES ${VORTHANE_PACKAGED}/vorthane.6x.gz DESTINATION share/man/man6 COMPONENT saver)
install(FILES ${VORTHANE_PACKAGING}/copyright DESTINATION ${VORTHANE_COPYRIGHT_DIR}
        COMPONENT copyright)
install(FILES ${VORTHANE_PACKAGED}/changelog.Debian.gz DESTINATION share/doc/vorthane
        COMPONENT debian)

set(CPACK_PACKAGE_NAME vorthane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
configure_file(${CMAKE_SOURCE_DIR}/cmake/PackageVersion.cmake.in
               ${CMAKE_BINARY_DIR}/PackageVersion.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/PackageVersion.cmake)
set(CPACK_PACKAGE_CONTACT
    "Seed 46dfdce7 maintainers <maintainers@users.noreply.c-seed-46dfdce7.example>")
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

# The RPM package, for Fedora and its relatives, named name-version-release.arch.rpm as
# rpmbuild names it. It has the Debian package's files but its changelog (PackageVersion.cmake
# leaves that component out), and owns only its own folders: not those of the file system
# (/usr/libexec, the manual's, the applications'), but those of xscreensaver that it fills
# without requiring xscreensaver, as RPM packages co-own such folders.
set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
set(CPACK_PACKAGE_RELOCATABLE OFF)  # the desktop entry names the program under /usr
set(CPACK_RPM_PACKAGE_RELEASE 1)
set(CPACK_RPM_PACKAGE_LICENSE LicenseRef-all-rights-reserved)  # packaging/copyright's
set(CPACK_RPM_PACKAGE_GROUP Amusements/Graphics)
set(CPACK_RPM_PACKAGE_REQUIRES linux-libertine-fonts)
set(CPACK_RPM_PACKAGE_SUMMARY "Screen saver with a banner and sliding captions")
set(CPACK_RPM_PACKAGE_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
set(CPACK_RPM_PACKAGE_VENDOR "The vorthane authors")
set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION /usr/libexec /usr/share/applications
    /usr/share/man /usr/share/man/man6)
set(CPACK_RPM_USER_FILELIST "%license ${VORTHANE_COPYRIGHT_PATH}")
# The maintainers as the packager; no links under /usr/lib/.build-id (there is no debug
# package for them to lead to); the time of the commit (SOURCE_DATE_EPOCH) as the build time
# and every file's, so that two builds of one commit are the same package.
set(CPACK_RPM_SPEC_MORE_DEFINE "%define packager ${CPACK_PACKAGE_CONTACT}
%define _build_id_links none
%define use_source_date_epoch_as_buildtime 1
%define clamp_mtime_to_source_date_epoch 1
%define _buildhost reproducible")
include(CPack)
