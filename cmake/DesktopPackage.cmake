# The Linux package: brawlex-<version>-linux.tar.gz, one folder brawlex-<version>/
# holding the desktop program, every file it reads from its working folder and the
# text on how to play; it needs nothing beside it but the system's SDL2. Made by every
# build of the desktop tree (target brawlex_tarball); the CTest test
# brawlex_desktop_package (label "package") checks it as the zip is checked.
set(BRAWLEX_PACKAGE_FOLDER brawlex-${PROJECT_VERSION})
set(BRAWLEX_PACKAGE_TARBALL ${CMAKE_BINARY_DIR}/brawlex-${PROJECT_VERSION}-linux.tar.gz)
set(BRAWLEX_GAME_FILES hero.bmp gun.bmp sword.bmp config.cfg autoexec.cfg cmdlist.txt varlist.txt)

set(package_files $<TARGET_FILE:brawlex>)
foreach(name IN LISTS BRAWLEX_GAME_FILES)
    list(APPEND package_files ${BRAWLEX_DATA_OUTPUT_DIR}/${name})
endforeach()
list(APPEND package_files ${CMAKE_SOURCE_DIR}/docs/how-to-play.txt)

set(package_manifest ${CMAKE_BINARY_DIR}/package/manifest-desktop-$<CONFIG>.cmake)
file(GENERATE OUTPUT ${package_manifest} CONTENT "set(package_files \"${package_files}\")\n")

add_custom_command(OUTPUT ${BRAWLEX_PACKAGE_TARBALL}
    COMMAND ${CMAKE_COMMAND}
        -DMANIFEST=${package_manifest}
        -DSTAGE_DIR=${CMAKE_BINARY_DIR}/package/stage
        -DFOLDER=${BRAWLEX_PACKAGE_FOLDER}
        -DZIP=${BRAWLEX_PACKAGE_TARBALL}
        -DFORMAT=tar.gz
        -P ${CMAKE_SOURCE_DIR}/cmake/PackageZip.cmake
    DEPENDS brawlex ${data_outputs} ${picture_outputs} ${CMAKE_SOURCE_DIR}/docs/how-to-play.txt
        ${CMAKE_SOURCE_DIR}/cmake/PackageZip.cmake ${package_manifest}
    COMMENT "Packing ${BRAWLEX_PACKAGE_FOLDER}-linux.tar.gz"
    VERBATIM)
add_custom_target(brawlex_tarball ALL DEPENDS ${BRAWLEX_PACKAGE_TARBALL})
add_dependencies(brawlex_tarball brawlex brawlex_data)

enable_testing()
add_test(NAME brawlex_desktop_package
    COMMAND ${CMAKE_COMMAND}
        -DZIP=${BRAWLEX_PACKAGE_TARBALL}
        -DFOLDER=${BRAWLEX_PACKAGE_FOLDER}
        -DPROGRAM=brawlex
        "-DGAME_FILES=${BRAWLEX_GAME_FILES}"
        -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
        -DWORK_DIR=${CMAKE_BINARY_DIR}/package/check
        -DOBJDUMP=${CMAKE_OBJDUMP}
        -P ${CMAKE_SOURCE_DIR}/cmake/PackageCheck.cmake)
set_tests_properties(brawlex_desktop_package PROPERTIES LABELS package)
