# What `cmake --install` and the Debian package put on the machine: the programs in bin/, the user
# guide where the program looks for it (share/doc/vexalin-ct beside its bin/ folder), the menu
# entry with its icon, and the MIME type that opens .vxlin profiles in the tool.

include(GNUInstallDirs)

foreach(program vexalin-ct vexalin-sim vexalin-cli)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endforeach()

install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vexalin-ct
        FILES_MATCHING PATTERN "*.html" PATTERN "*.css" PATTERN "*.png")
install(FILES ${CMAKE_CURRENT_LIST_DIR}/vexalin-ct.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/vexalin-ct.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/vexalin-ct.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/mimetypes
        RENAME application-x-vexalin-profile.svg)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/vexalin-ct-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME vexalin-ct.xml)

# The Debian package. The desktop's menu, MIME and icon caches are refreshed by the triggers of
# desktop-file-utils, shared-mime-info and the icon theme, so the package needs no scripts.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vexalin-ct)
set(CPACK_PACKAGE_VENDOR "VEXA-LIN CT developers")
set(CPACK_PACKAGE_CONTACT "VEXA-LIN CT developers <vexalin-ct@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configuration tool for VEXA-LIN CAN/LIN gateway modules")
set(CPACK_PACKAGE_DESCRIPTION
    "VEXA-LIN CT connects to a VEXA-LIN CAN/LIN gateway module over a serial line, reads, edits
and sends its configuration as XML profiles, drives its LIN master scheduler and traces the
messages it forwards. vexalin-sim emulates a module on a virtual serial port.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
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
