# What `cmake --install` and the Debian package put on the machine: the programs in bin/ with
# their manual pages, the user guide where the program looks for it (share/doc/vexalin-ct beside
# its bin/ folder), the menu entry with its icon and AppStream metadata, the MIME type that opens
# .vxlin profiles in the tool, and the bash completion of vexalin-cli.

include(GNUInstallDirs)

# The desktop file, the metainfo and the MIME package are named after the application's id.
set(VXL_APP_ID example.norvel.VexalinCT)

foreach(program vexalin-ct vexalin-sim vexalin-cli)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endforeach()

include(${CMAKE_CURRENT_LIST_DIR}/manual_pages.cmake)

install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vexalin-ct
        FILES_MATCHING PATTERN "*.html" PATTERN "*.css" PATTERN "*.png")
install(FILES ${CMAKE_CURRENT_LIST_DIR}/${VXL_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/${VXL_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/vexalin-ct.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/vexalin-ct.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/mimetypes
        RENAME application-x-vexalin-profile.svg)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/${VXL_APP_ID}.mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME ${VXL_APP_ID}.xml)
# bash-completion loads a command's completion on first use from a file named after it.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/vexalin-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME vexalin-cli)

include(${CMAKE_CURRENT_LIST_DIR}/debian_package.cmake)
