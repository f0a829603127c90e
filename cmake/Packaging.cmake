# SPDX-License-Identifier: MIT
# Installation, laid out as Debian lays out a package named ekzamo, and the
# package itself.
include(GNUInstallDirs)
set(EKZAMO_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/ekzamo)
set(EKZAMO_APP_ID io.github.ekzamo.Ekzamo)
set(EKZAMO_EDITOR_ID io.github.ekzamo.Ekzamo.Editor)
set(EKZAMO_HOMEPAGE "https://github.com/ekzamo/ekzamo" CACHE STRING "Where the program is published")
set(EKZAMO_SCREENSHOTS "https://raw.githubusercontent.com/ekzamo/ekzamo/main/docs" CACHE STRING
    "Where the README's screenshots are published")
# Started from the menu, the program opens in the samples' folder, where its
# instructions (F1) are.
set(EKZAMO_EXAMPLES_DIR ${CMAKE_INSTALL_PREFIX}/${EKZAMO_DOCDIR}/examples)

# The program's picture under a tool's icon name, at every size the desktop
# looks for.
function(ekzamo_install_icons id)
    foreach(size 16 32 48 64 128 256)
        install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/ekzamo-${size}.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${id}.png)
    endforeach()
    install(FILES ${PROJECT_SOURCE_DIR}/assets/ekzamo.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
            RENAME ${id}.svg)
endfunction()

install(TARGETS Ekzamo ekzamo-check ekzamo-convert ekzamo-journal ekzamo-editor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The program: its menu entry, its AppStream data and its icons.
configure_file(${PROJECT_SOURCE_DIR}/assets/${EKZAMO_APP_ID}.desktop.in ${EKZAMO_APP_ID}.desktop @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/assets/${EKZAMO_APP_ID}.metainfo.xml.in ${EKZAMO_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${EKZAMO_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${EKZAMO_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
ekzamo_install_icons(${EKZAMO_APP_ID})

# The journal: a desktop entry of its own that asks for the folder of results.
install(FILES ${PROJECT_SOURCE_DIR}/assets/io.github.ekzamo.Journal.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The editor: its own menu entry and its own icon name, the program's picture.
configure_file(${PROJECT_SOURCE_DIR}/assets/${EKZAMO_EDITOR_ID}.desktop.in ${EKZAMO_EDITOR_ID}.desktop @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${EKZAMO_EDITOR_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
ekzamo_install_icons(${EKZAMO_EDITOR_ID})

install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${EKZAMO_DOCDIR})
# Beside it as in the repository, so that the README's links lead to them.
install(FILES ${PROJECT_SOURCE_DIR}/docs/formats.md ${PROJECT_SOURCE_DIR}/docs/performance.md ${PROJECT_SOURCE_DIR}/docs/development.md
    DESTINATION ${EKZAMO_DOCDIR}/docs)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${EKZAMO_DOCDIR}/examples)

# A .deb: the libraries it needs are found by dpkg-shlibdeps; what the program
# loads by name, Qt's display plugin, its Russian texts and the fonts with the
# classic metrics, is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_PACKAGE_NAME ekzamo)
set(CPACK_PACKAGE_VENDOR "The Ekzamo developers")
set(CPACK_PACKAGE_CONTACT "The Ekzamo developers <ekzamo@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "computer-based knowledge testing")
set(CPACK_PACKAGE_DESCRIPTION "A teacher writes a test as a plain Windows-1251 text file of
multiple-choice questions; a student opens it, sets the time allowed and
answers the questions one at a time in random order, with the options
shuffled. At the end the score is shown and a results file is written
beside the test. Also contains ekzamo-check, which reports a test file's
faults with their lines before the test is taken, ekzamo-convert, which
converts tests to and from Moodle's GIFT and Aiken formats, and
ekzamo-journal, which turns a class's results files into grades, an analysis
of every question, a printable report, a spreadsheet and CSV.")
set(CPACK_PACKAGE_HOMEPAGE_URL ${EKZAMO_HOMEPAGE})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-liberation2, xdg-utils")
# Native on Wayland desktops: sharp at any scale (README, "On Wayland").
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_STRIP_FILES ON)
include(CPack)
