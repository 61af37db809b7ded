# The window's translations: translations/plumark_<language>.ts, made with Qt
# Linguist, compiled by lrelease (Debian: qt6-l10n-tools) into the build
# folder's translations/, where the program-folder rule finds them, and
# installed beside the program's other files.
set(PLUMARK_LANGUAGES de es fr)
find_program(PLUMARK_LRELEASE NAMES lrelease lrelease-qt6 REQUIRED
    HINTS ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS} /usr/lib/qt6/bin)

set(PLUMARK_QM_FILES)
foreach(language ${PLUMARK_LANGUAGES})
    set(ts ${CMAKE_SOURCE_DIR}/translations/plumark_${language}.ts)
    set(qm ${CMAKE_BINARY_DIR}/translations/plumark_${language}.qm)
    add_custom_command(OUTPUT ${qm}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/translations
        COMMAND ${PLUMARK_LRELEASE} -silent ${ts} -qm ${qm}
        DEPENDS ${ts}
        VERBATIM)
    list(APPEND PLUMARK_QM_FILES ${qm})
endforeach()
add_custom_target(plumark_translations ALL DEPENDS ${PLUMARK_QM_FILES})
add_dependencies(plumark plumark_translations)

# The tests check the .ts files against the sources with lupdate.
if(PLUMARK_TESTS)
    find_program(PLUMARK_LUPDATE NAMES lupdate lupdate-qt6 REQUIRED
        HINTS ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS} /usr/lib/qt6/bin)
endif()
