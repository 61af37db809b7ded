# Files the program expects in its program folder, placed beside the built
# executable so that a build runs as it would once installed. Sub-folders
# (x/o.cjs) keep their place.
set(PLUMARK_PROGRAM_DIR ${CMAKE_BINARY_DIR})
set(PLUMARK_ASSET_ROOT ${CMAKE_SOURCE_DIR}/assets/program)
file(GLOB_RECURSE PLUMARK_ASSET_FILES CONFIGURE_DEPENDS RELATIVE ${PLUMARK_ASSET_ROOT}
    ${PLUMARK_ASSET_ROOT}/*)
foreach(asset ${PLUMARK_ASSET_FILES})
    configure_file(${PLUMARK_ASSET_ROOT}/${asset} ${PLUMARK_PROGRAM_DIR}/${asset} COPYONLY)
endforeach()

# The product icon, rendered from assets/plumark.svg by tools/make-assets.sh.
file(GLOB PLUMARK_ICON_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/assets/icons/*.png)
qt_add_resources(plumark_widgets plumark_icons
    PREFIX /plumark
    BASE ${CMAKE_SOURCE_DIR}/assets
    FILES ${PLUMARK_ICON_FILES})
