# The manual pages, built with the programs and installed compressed. vexalin-cli(1) and
# vexalin-sim(1) are made by help2man from the programs' own --help, so that every option they
# take is on the page; vexalin-ct(1), whose program takes one argument, is written by hand.

find_program(VXL_HELP2MAN help2man REQUIRED)
find_program(VXL_GZIP gzip REQUIRED)

set(VXL_MAN_SOURCE ${CMAKE_CURRENT_LIST_DIR}/man)
set(VXL_MAN_DIR ${CMAKE_BINARY_DIR}/man)
file(MAKE_DIRECTORY ${VXL_MAN_DIR})
# The programs print their help without a display or a leak report of a sanitizer build.
set(VXL_MAN_RUN ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen)

configure_file(${VXL_MAN_SOURCE}/vexalin-ct.1.in ${VXL_MAN_DIR}/vexalin-ct.1 @ONLY)

set(VXL_MAN_PAGES ${VXL_MAN_DIR}/vexalin-ct.1)
if(TARGET vexalin-cli)
    add_custom_command(
        OUTPUT ${VXL_MAN_DIR}/vexalin-cli.1
        COMMAND ${VXL_MAN_RUN} bash ${VXL_MAN_SOURCE}/cli_commands_section.sh
                $<TARGET_FILE:vexalin-cli> ${VXL_MAN_DIR}/vexalin-cli-commands.h2m
        COMMAND ${VXL_MAN_RUN} ${VXL_HELP2MAN} --no-info --section=1
                "--name=the module operations of VEXA-LIN CT from a terminal"
                --include=${VXL_MAN_SOURCE}/vexalin-cli.h2m
                --include=${VXL_MAN_DIR}/vexalin-cli-commands.h2m
                --output=${VXL_MAN_DIR}/vexalin-cli.1 $<TARGET_FILE:vexalin-cli>
        DEPENDS vexalin-cli ${VXL_MAN_SOURCE}/cli_commands_section.sh
                ${VXL_MAN_SOURCE}/vexalin-cli.h2m
        COMMENT "Manual page vexalin-cli(1)"
        VERBATIM)
    list(APPEND VXL_MAN_PAGES ${VXL_MAN_DIR}/vexalin-cli.1)
endif()
if(TARGET vexalin-sim)
    add_custom_command(
        OUTPUT ${VXL_MAN_DIR}/vexalin-sim.1
        COMMAND ${VXL_MAN_RUN} ${VXL_HELP2MAN} --no-info --section=1
                "--name=a VEXA-LIN module emulated on a virtual COM port"
                --include=${VXL_MAN_SOURCE}/vexalin-sim.h2m
                --output=${VXL_MAN_DIR}/vexalin-sim.1 $<TARGET_FILE:vexalin-sim>
        DEPENDS vexalin-sim ${VXL_MAN_SOURCE}/vexalin-sim.h2m
        COMMENT "Manual page vexalin-sim(1)"
        VERBATIM)
    list(APPEND VXL_MAN_PAGES ${VXL_MAN_DIR}/vexalin-sim.1)
endif()

# gzip -n leaves out the name and time, so that the same page compresses to the same bytes.
set(VXL_MAN_COMPRESSED)
foreach(page ${VXL_MAN_PAGES})
    add_custom_command(OUTPUT ${page}.gz
                       COMMAND ${VXL_GZIP} -9nkf ${page}
                       DEPENDS ${page}
                       VERBATIM)
    list(APPEND VXL_MAN_COMPRESSED ${page}.gz)
endforeach()
add_custom_target(manual_pages ALL DEPENDS ${VXL_MAN_COMPRESSED})

install(FILES ${VXL_MAN_COMPRESSED} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
