# The Debian package vexalin-ct_<version>-<revision>_<arch>.deb. The desktop's menu, MIME and icon
# caches are refreshed by the triggers of desktop-file-utils, shared-mime-info and the icon theme,
# so the package needs no scripts.

# The package's copyright file, changelog and lintian overrides belong to the package alone: `cmake --install` leaves
# them out, CPack installs their component besides everything else (below).
set(VXL_DEBIAN_SOURCE ${CMAKE_CURRENT_LIST_DIR}/debian)
set(VXL_DEBIAN_DIR ${CMAKE_BINARY_DIR}/debian)
file(MAKE_DIRECTORY ${VXL_DEBIAN_DIR})
add_custom_command(OUTPUT ${VXL_DEBIAN_DIR}/changelog.Debian.gz
                   COMMAND ${VXL_GZIP} -9nc ${VXL_DEBIAN_SOURCE}/changelog
                           > ${VXL_DEBIAN_DIR}/changelog.Debian.gz
                   DEPENDS ${VXL_DEBIAN_SOURCE}/changelog)
add_custom_target(debian_changelog ALL DEPENDS ${VXL_DEBIAN_DIR}/changelog.Debian.gz)
install(FILES ${VXL_DEBIAN_SOURCE}/copyright ${VXL_DEBIAN_DIR}/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vexalin-ct
        COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${VXL_DEBIAN_SOURCE}/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME vexalin-ct
        COMPONENT debian EXCLUDE_FROM_ALL)
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};ALL;/"
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};debian;/")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vexalin-ct)
set(CPACK_PACKAGE_VENDOR "VEXA-LIN CT developers")
# The project's address, no person's: the package is answered for by the project.
set(CPACK_PACKAGE_CONTACT "VEXA-LIN CT developers <vexalin-ct@norvel.example>")
# Upstream's version with a Debian revision: the changelog says which.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration tool for VEXA-LIN CAN/LIN gateway modules")
# One line of the control file each; lines indented by a blank are shown as they are. CPack strips
# the last line, so it is not one of those.
set(CPACK_PACKAGE_DESCRIPTION
    "VEXA-LIN CT configures VEXA-LIN CAN/LIN gateway modules over a serial line.
The package holds three programs:
 * vexalin-ct, the desktop tool: it reads, edits and sends the module's
   configuration as XML profiles, drives its LIN master scheduler and traces
   the messages the module forwards;
 * vexalin-cli, the same module operations from a terminal, for scripts,
   test benches and production lines;
 * vexalin-sim, an emulated module on a virtual serial port, for trying both
   without hardware.
The three share the user's settings and map of COM ports.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps names the libraries the programs are linked against (Qt, pugixml, the C and C++
# runtimes) with the versions they need. Qt's platform plugins are loaded at run time, so no linked
# library points to them; some distributions ship the X11 one in a package of its own.
find_program(VXL_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(VXL_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS
        "libqt6core6 (>= 6.2), libqt6gui6 (>= 6.2), libqt6widgets6 (>= 6.2), qt6-qpa-plugins, libpugixml1v5, libstdc++6, libc6")
endif()
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, xdg-utils")
include(CPack)
