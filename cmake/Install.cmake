# Installation into any prefix, and a Debian package made by CPack.
include(GNUInstallDirs)

set(PLUMARK_DATA_DIR ${CMAKE_INSTALL_DATADIR}/plumark)

install(TARGETS plumark RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The program's own files, found through the program-folder rule.
install(FILES ${CMAKE_BINARY_DIR}/HAND-M.CUR ${CMAKE_BINARY_DIR}/drag.ico
        DESTINATION ${PLUMARK_DATA_DIR} OPTIONAL)
install(DIRECTORY ${CMAKE_BINARY_DIR}/x DESTINATION ${PLUMARK_DATA_DIR} OPTIONAL)
install(DIRECTORY ${CMAKE_BINARY_DIR}/Samples DESTINATION ${PLUMARK_DATA_DIR} OPTIONAL)

install(FILES packaging/com.kestrova.Plumark.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/com.kestrova.Plumark.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES packaging/plumark.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES assets/plumark.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps OPTIONAL)
foreach(size 16 24 32 48 64 128 256)
    install(FILES assets/icons/plumark-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME plumark.png OPTIONAL)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME plumark)
set(CPACK_PACKAGE_VENDOR Kestrova)
set(CPACK_PACKAGE_CONTACT "Kestrova <support@kestrova.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Convert batches of M4A audio files to AC3")
set(CPACK_PACKAGE_INSTALL_DIRECTORY /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "ffmpeg, libimage-exiftool-perl, fonts-liberation")
include(CPack)

if(PLUMARK_TESTS)
    add_test(NAME InstalledProgram
             COMMAND ${CMAKE_SOURCE_DIR}/tests/install/check.sh ${CMAKE_BINARY_DIR})
endif()
