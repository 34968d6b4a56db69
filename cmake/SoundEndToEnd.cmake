# End-to-end tests of the desktop program's sound (label e2e): the real program
# under Xvfb, its output recorded by SDL's disk audio driver.
if(NOT TARGET brawlex)
    return()
endif()
enable_testing()
find_program(BRAWLEX_SOUND_PYTHON NAMES python3 REQUIRED)
find_program(BRAWLEX_XVFB NAMES Xvfb REQUIRED)
find_program(BRAWLEX_XDOTOOL NAMES xdotool REQUIRED)
add_test(NAME e2e_desktop_sound
    COMMAND ${BRAWLEX_SOUND_PYTHON} -m unittest -v test_desktop_sound
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/tests/e2e/sound)
set_tests_properties(e2e_desktop_sound PROPERTIES
    LABELS e2e
    ENVIRONMENT "BRAWLEX_DESKTOP_GAME_DIR=${BRAWLEX_DATA_OUTPUT_DIR}"
    TIMEOUT 300)
