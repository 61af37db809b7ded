# Installation into any prefix, and a Debian package made by CPack. Every file
# is installed by name, so nothing else that lies in the build folder (such as
# results converted there) reaches the package.
include(GNUInstallDirs)

# Folders get the usual modes whatever the builder's umask (0002 gives 0775).
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})

set(PLUMARK_DATA_DIR ${CMAKE_INSTALL_DATADIR}/plumark)
set(PLUMARK_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/plumark)

install(TARGETS plumark RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The program's own files, found through the program-folder rule.
foreach(asset ${PLUMARK_ASSET_FILES})
    get_filename_component(folder ${asset} DIRECTORY)
    install(FILES ${PLUMARK_ASSET_ROOT}/${asset} DESTINATION ${PLUMARK_DATA_DIR}/${folder})
endforeach()
install(FILES ${PLUMARK_SAMPLE_FILES} DESTINATION ${PLUMARK_DATA_DIR}/Samples)
install(FILES ${PLUMARK_QM_FILES} DESTINATION ${PLUMARK_DATA_DIR}/translations)

install(FILES packaging/com.kestrova.Plumark.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/com.kestrova.Plumark.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES assets/plumark.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
    install(FILES assets/icons/plumark-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME plumark.png)
endforeach()

# The manual and the changelog, compressed as Debian's policy asks (-n leaves
# out the time stamp, so the package builds the same every time).
function(plumark_compress source output)
    add_custom_command(OUTPUT ${output}
        COMMAND gzip -9 -n -c ${CMAKE_SOURCE_DIR}/${source} > ${output}
        DEPENDS ${CMAKE_SOURCE_DIR}/${source}
        VERBATIM)
endfunction()
plumark_compress(packaging/plumark.1 ${CMAKE_BINARY_DIR}/plumark.1.gz)
plumark_compress(packaging/changelog ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_target(plumark_docs ALL
    DEPENDS ${CMAKE_BINARY_DIR}/plumark.1.gz ${CMAKE_BINARY_DIR}/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/plumark.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/changelog.gz packaging/copyright DESTINATION ${PLUMARK_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME plumark)
set(CPACK_PACKAGE_VENDOR Kestrova)
set(CPACK_PACKAGE_CONTACT "Kestrova <support@kestrova.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Convert batches of M4A audio files to AC3")
# Plain text without double quotes, which CPack's generated script would break on.
file(READ packaging/description CPACK_PACKAGE_DESCRIPTION)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS packaging/description)
set(CPACK_PACKAGE_INSTALL_DIRECTORY /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window needs Qt's platform plugins (only recommended by Qt) and a
# proportional sans font: with Liberation alone, fontconfig picks its
# monospace face for the toolkit's default font. Opening a folder goes
# through xdg-open. The converter loads libavfilter only when an input needs
# it, so the scan of the program's libraries cannot see that one. Qt's own
# dialogs speak the user's language with Qt's translations.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "ffmpeg, libavfilter${PLUMARK_AVFILTER_MAJOR}, libimage-exiftool-perl, qt6-qpa-plugins, qt6-translations-l10n, fonts-liberation, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)

if(PLUMARK_TESTS)
    add_test(NAME InstalledProgram
             COMMAND ${CMAKE_SOURCE_DIR}/tests/install/check.sh ${CMAKE_BINARY_DIR})
endif()
