# Files the program expects in its program folder, placed beside the built
# executable so that a build runs as it would once installed.
set(PLUMARK_PROGRAM_DIR ${CMAKE_BINARY_DIR})
file(GLOB PLUMARK_ASSET_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/assets/program/*)
foreach(asset ${PLUMARK_ASSET_FILES})
    get_filename_component(name ${asset} NAME)
    configure_file(${asset} ${PLUMARK_PROGRAM_DIR}/${name} COPYONLY)
endforeach()
