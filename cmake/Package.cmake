# A player's package of the program of this tree: brawlex-<version>-<platform>.<format>,
# one folder brawlex-<version>/ holding the program, every file it reads from its
# working folder, and a short text on how to play. Made by every build of the tree
# (target `target`); the CTest test `test` (label "package") checks what it holds.
#
#   brawlex_add_package(PLATFORM windows FORMAT zip TARGET brawlex_zip TEST brawlex_package)
#
# The Windows tree packs a zip, the desktop tree a gzip-compressed tar (which keeps the
# program's executable bit).
set(BRAWLEX_PACKAGE_FOLDER brawlex-${PROJECT_VERSION})

# The files the game reads from its working folder, all made into
# BRAWLEX_DATA_OUTPUT_DIR by the build (pictures drawn, texts copied from data/).
set(BRAWLEX_GAME_FILES hero.bmp gun.bmp sword.bmp config.cfg autoexec.cfg cmdlist.txt varlist.txt)

function(brawlex_add_package)
    cmake_parse_arguments(PARSE_ARGV 0 arg "" "PLATFORM;FORMAT;TARGET;TEST" "")
    set(archive ${CMAKE_BINARY_DIR}/${BRAWLEX_PACKAGE_FOLDER}-${arg_PLATFORM}.${arg_FORMAT})

    set(package_files $<TARGET_FILE:brawlex>)
    foreach(name IN LISTS BRAWLEX_GAME_FILES)
        list(APPEND package_files ${BRAWLEX_DATA_OUTPUT_DIR}/${name})
    endforeach()
    list(APPEND package_files ${CMAKE_SOURCE_DIR}/docs/how-to-play.txt)

    # The list goes to the packing script through a generated file, which also
    # resolves the program's path for the configuration being built.
    set(manifest ${CMAKE_BINARY_DIR}/package/manifest-${arg_PLATFORM}-$<CONFIG>.cmake)
    file(GENERATE OUTPUT ${manifest} CONTENT "set(package_files \"${package_files}\")\n")

    # Depending on the outputs the build knows how to make keeps the package up to
    # date; a file the build does not make (say a text missing from data/) is reported
    # by the packing script by name instead of breaking the whole build graph.
    add_custom_command(OUTPUT ${archive}
        COMMAND ${CMAKE_COMMAND}
            -DMANIFEST=${manifest}
            -DSTAGE_DIR=${CMAKE_BINARY_DIR}/package/stage
            -DFOLDER=${BRAWLEX_PACKAGE_FOLDER}
            -DZIP=${archive}
            -DFORMAT=${arg_FORMAT}
            -P ${CMAKE_SOURCE_DIR}/cmake/PackageZip.cmake
        DEPENDS brawlex ${data_outputs} ${picture_outputs} ${CMAKE_SOURCE_DIR}/docs/how-to-play.txt
            ${CMAKE_SOURCE_DIR}/cmake/PackageZip.cmake ${manifest}
        COMMENT "Packing ${BRAWLEX_PACKAGE_FOLDER}-${arg_PLATFORM}.${arg_FORMAT}"
        VERBATIM)
    add_custom_target(${arg_TARGET} ALL DEPENDS ${archive})
    add_dependencies(${arg_TARGET} brawlex brawlex_data)

    enable_testing()
    add_test(NAME ${arg_TEST}
        COMMAND ${CMAKE_COMMAND}
            -DZIP=${archive}
            -DFOLDER=${BRAWLEX_PACKAGE_FOLDER}
            -DPROGRAM=$<TARGET_FILE_NAME:brawlex>
            "-DGAME_FILES=${BRAWLEX_GAME_FILES}"
            -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
            -DWORK_DIR=${CMAKE_BINARY_DIR}/package/check
            -DOBJDUMP=${CMAKE_OBJDUMP}
            -P ${CMAKE_SOURCE_DIR}/cmake/PackageCheck.cmake)
    set_tests_properties(${arg_TEST} PROPERTIES LABELS package)
endfunction()
