# The Windows package: brawlex-<version>-windows.zip, one folder brawlex-<version>/
# holding the program, every file it reads from its working folder, and a short
# text on how to play. Made by every build of the Windows tree (target brawlex_zip);
# the CTest test brawlex_package (label "package") checks what the zip holds.
set(BRAWLEX_PACKAGE_FOLDER brawlex-${PROJECT_VERSION})
set(BRAWLEX_PACKAGE_ZIP ${CMAKE_BINARY_DIR}/brawlex-${PROJECT_VERSION}-windows.zip)

# The files the game reads from its working folder, all made into
# BRAWLEX_DATA_OUTPUT_DIR by the build (pictures drawn, texts copied from data/).
set(BRAWLEX_GAME_FILES hero.bmp gun.bmp sword.bmp config.cfg autoexec.cfg cmdlist.txt varlist.txt)

set(package_files $<TARGET_FILE:brawlex>)
foreach(name IN LISTS BRAWLEX_GAME_FILES)
    list(APPEND package_files ${BRAWLEX_DATA_OUTPUT_DIR}/${name})
endforeach()
list(APPEND package_files ${CMAKE_SOURCE_DIR}/docs/how-to-play.txt)

# The list goes to the packing script through a generated file, which also
# resolves the program's path for the configuration being built.
set(package_manifest ${CMAKE_BINARY_DIR}/package/manifest-$<CONFIG>.cmake)
file(GENERATE OUTPUT ${package_manifest} CONTENT "set(package_files \"${package_files}\")\n")

# Depending on the outputs the build knows how to make keeps the zip up to date; a
# file the build does not make (say a text missing from data/) is reported by the
# packing script by name instead of breaking the whole build graph.
add_custom_command(OUTPUT ${BRAWLEX_PACKAGE_ZIP}
    COMMAND ${CMAKE_COMMAND}
        -DMANIFEST=${package_manifest}
        -DSTAGE_DIR=${CMAKE_BINARY_DIR}/package/stage
        -DFOLDER=${BRAWLEX_PACKAGE_FOLDER}
        -DZIP=${BRAWLEX_PACKAGE_ZIP}
        -P ${CMAKE_SOURCE_DIR}/cmake/PackageZip.cmake
    DEPENDS brawlex ${data_outputs} ${picture_outputs} ${CMAKE_SOURCE_DIR}/docs/how-to-play.txt
        ${CMAKE_SOURCE_DIR}/cmake/PackageZip.cmake ${package_manifest}
    COMMENT "Packing ${BRAWLEX_PACKAGE_FOLDER}-windows.zip"
    VERBATIM)
add_custom_target(brawlex_zip ALL DEPENDS ${BRAWLEX_PACKAGE_ZIP})
add_dependencies(brawlex_zip brawlex brawlex_data)

enable_testing()
add_test(NAME brawlex_package
    COMMAND ${CMAKE_COMMAND}
        -DZIP=${BRAWLEX_PACKAGE_ZIP}
        -DFOLDER=${BRAWLEX_PACKAGE_FOLDER}
        "-DGAME_FILES=${BRAWLEX_GAME_FILES}"
        -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
        -DWORK_DIR=${CMAKE_BINARY_DIR}/package/check
        -DOBJDUMP=${CMAKE_OBJDUMP}
        -P ${CMAKE_SOURCE_DIR}/cmake/PackageCheck.cmake)
set_tests_properties(brawlex_package PROPERTIES LABELS package)
