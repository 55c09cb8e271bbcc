# cmake/package.cmake: what an installed Quorvel holds, and its Debian package (scripts/package).
#
#   /usr/bin/quorvel, /usr/bin/qrvl-tool
#   /usr/share/quorvel/    the shipped airport table, airport zones, flag folder and demo; the
#                          program copies the first three into the user's program folder
#   the menu entry, the icon (SVG and PNGs rendered from it), the AppStream metainfo, the
#   manual pages, and the copyright and changelog in /usr/share/doc/quorvel

set(QRVL_APP_ID org.quorvel.Quorvel)
set(QRVL_PACKAGE_RELEASE 1)
set(packaging ${CMAKE_SOURCE_DIR}/packaging)
set(staged ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${staged})

find_program(QRVL_RSVG_CONVERT rsvg-convert)
find_program(QRVL_GZIP gzip)
if(NOT QRVL_RSVG_CONVERT OR NOT QRVL_GZIP)
    message(STATUS "Packaging left out: rsvg-convert (librsvg2-bin) or gzip is missing")
    return()
endif()

# Files made from the sources: the icon's PNGs, the gzipped manual pages and changelog.
set(made)
foreach(size 48 256)
    set(png ${staged}/icon-${size}.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${QRVL_RSVG_CONVERT} -w ${size} -h ${size} ${packaging}/${QRVL_APP_ID}.svg -o ${png}
        DEPENDS ${packaging}/${QRVL_APP_ID}.svg
        COMMENT "Rendering the ${size} px icon"
        VERBATIM)
    list(APPEND made ${png})
endforeach()

set(VERSION ${PROJECT_VERSION})
set(RELEASE ${QRVL_PACKAGE_RELEASE})
configure_file(${packaging}/${QRVL_APP_ID}.metainfo.xml ${staged}/${QRVL_APP_ID}.metainfo.xml @ONLY)
foreach(page quorvel.1 qrvl-tool.1 changelog.Debian)
    if(page STREQUAL "changelog.Debian")
        configure_file(${packaging}/changelog.Debian.in ${staged}/${page} @ONLY)
    else()
        configure_file(${packaging}/${page} ${staged}/${page} @ONLY)
    endif()
    # -n: no name or time stamp inside, so the same sources give the same bytes.
    add_custom_command(OUTPUT ${staged}/${page}.gz
        COMMAND ${QRVL_GZIP} -9 -n -c ${staged}/${page} > ${staged}/${page}.gz
        DEPENDS ${staged}/${page}
        COMMENT "Compressing ${page}")
    list(APPEND made ${staged}/${page}.gz)
endforeach()
add_custom_target(quorvel_package_files ALL DEPENDS ${made})

install(TARGETS quorvel qrvl-tool RUNTIME DESTINATION bin)
install(FILES ${QRVL_PROGRAM_DIR}/airport.cds ${CMAKE_SOURCE_DIR}/data/airport-zones.csv DESTINATION share/quorvel)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/flag ${CMAKE_SOURCE_DIR}/data/demo DESTINATION share/quorvel)
install(FILES ${packaging}/${QRVL_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${staged}/${QRVL_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${packaging}/${QRVL_APP_ID}.svg DESTINATION share/icons/hicolor/scalable/apps)
foreach(size 48 256)
    install(FILES ${staged}/icon-${size}.png DESTINATION share/icons/hicolor/${size}x${size}/apps
            RENAME ${QRVL_APP_ID}.png)
endforeach()
install(FILES ${staged}/quorvel.1.gz ${staged}/qrvl-tool.1.gz DESTINATION share/man/man1)
install(FILES ${packaging}/copyright ${staged}/changelog.Debian.gz DESTINATION share/doc/quorvel)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quorvel developers")
set(CPACK_PACKAGE_CONTACT "Quorvel developers <quorvel@quorvel.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "departures and arrivals boards for flight simulator AI traffic")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${QRVL_PACKAGE_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://quorvel.org/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The zone offsets come from the system's time-zone database, which no library link names.
set(CPACK_DEBIAN_PACKAGE_DEPENDS tzdata)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The summary above comes first; this is the long description below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Quorvel converts the flight plan file of Microsoft Flight Simulator 2002's
computer-controlled airline traffic into its own flight table, and shows an
airport's departures or arrivals board for any moment, in computer time, the
airport's own time or UTC. It prints the board as a timetable, shows airline
flags, and keeps an editable table of the world's airports.
.
qrvl-tool, the command-line companion, writes the tables and boards as CSV,
converts flight plans and checks traffic files before a conversion.")
include(CPack)

# The package as a user gets it: packed from this build, checked, unpacked into a temporary root
# and started there (tests/package/installed_copy.sh). A sanitizer build has nothing to add to it.
if(NOT CMAKE_CXX_FLAGS MATCHES "-fsanitize")
    add_test(NAME InstalledCopy.PackedUnpackedAndStarted
             COMMAND ${CMAKE_SOURCE_DIR}/tests/package/installed_copy.sh ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR}
                     ${PROJECT_VERSION})
    set_tests_properties(InstalledCopy.PackedUnpackedAndStarted PROPERTIES LABELS slow TIMEOUT 900)
endif()
