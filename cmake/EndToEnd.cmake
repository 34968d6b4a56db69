# End-to-end tests: the real brawlex.exe under Wine on a virtual X display, driven by
# real key presses and checked with the probe program and screenshots. They are
# registered only when the Windows program is cross-built on a host that can run it.
if(NOT CMAKE_CROSSCOMPILING OR NOT CMAKE_HOST_UNIX)
    return()
endif()

set(BRAWLEX_E2E_DIR ${CMAKE_SOURCE_DIR}/tests/e2e)
set(BRAWLEX_E2E_OUTPUT_DIR ${CMAKE_BINARY_DIR}/e2e)

add_executable(brawlex_probe ${BRAWLEX_E2E_DIR}/probe_win32.cpp)
target_link_libraries(brawlex_probe PRIVATE user32)
set_target_properties(brawlex_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${BRAWLEX_E2E_OUTPUT_DIR})
if(MINGW)
    target_link_options(brawlex_probe PRIVATE -static -static-libgcc -static-libstdc++)
endif()

find_program(BRAWLEX_WINE wine)
find_program(BRAWLEX_XVFB Xvfb)
find_program(BRAWLEX_PYTHON python3)
if(NOT BRAWLEX_WINE OR NOT BRAWLEX_XVFB OR NOT BRAWLEX_PYTHON)
    message(STATUS "End-to-end tests off: wine, Xvfb or python3 not found")
    return()
endif()

enable_testing()

# What the harness needs to know, passed to every test.
set(e2e_environment
    BRAWLEX_GAME_DIR=${BRAWLEX_DATA_OUTPUT_DIR}
    BRAWLEX_PROBE=${BRAWLEX_E2E_OUTPUT_DIR}/brawlex_probe.exe
    BRAWLEX_WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix
    BRAWLEX_E2E_ARTIFACTS=${BRAWLEX_E2E_OUTPUT_DIR}/artifacts
    PYTHONDONTWRITEBYTECODE=1)

# The Wine prefix is made once (the slow part) and shared by every test after it.
add_test(NAME e2e_wineprefix
    COMMAND ${BRAWLEX_PYTHON} ${BRAWLEX_E2E_DIR}/brawlex_harness.py prepare
    WORKING_DIRECTORY ${BRAWLEX_E2E_DIR})
set_tests_properties(e2e_wineprefix PROPERTIES
    LABELS e2e
    FIXTURES_SETUP wine_prefix
    RESOURCE_LOCK wine
    TIMEOUT 600
    ENVIRONMENT "${e2e_environment}")

# One test per file; they share the Wine prefix and the two cores, so they run one at
# a time.
file(GLOB e2e_tests CONFIGURE_DEPENDS ${BRAWLEX_E2E_DIR}/test_*.py)
foreach(test_file IN LISTS e2e_tests)
    get_filename_component(test_module ${test_file} NAME_WE)
    string(REGEX REPLACE "^test_" "e2e_" test_name ${test_module})
    add_test(NAME ${test_name}
        COMMAND ${BRAWLEX_PYTHON} -m unittest -v ${test_module}
        WORKING_DIRECTORY ${BRAWLEX_E2E_DIR})
    set_tests_properties(${test_name} PROPERTIES
        LABELS e2e
        FIXTURES_REQUIRED wine_prefix
        RESOURCE_LOCK wine
        TIMEOUT 600
        ENVIRONMENT "${e2e_environment}")
endforeach()
