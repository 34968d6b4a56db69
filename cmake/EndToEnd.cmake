# End-to-end tests: the real brawlex.exe under Wine on a virtual X display, driven by
# real key presses and checked with the probe program and screenshots. They are
# registered when BRAWLEX_E2E is on, its default where the Windows program is
# cross-built on a Unix host; then a missing Wine, Xvfb or python3 stops the configure
# step instead of leaving the tree without them (configure with -DBRAWLEX_E2E=OFF to
# build the program alone).
if(CMAKE_CROSSCOMPILING AND CMAKE_HOST_UNIX)
    set(e2e_default ON)
else()
    set(e2e_default OFF)
endif()
option(BRAWLEX_E2E "Register the end-to-end tests of the Windows program (needs Wine, Xvfb, python3)"
    ${e2e_default})
if(NOT BRAWLEX_E2E)
    message(STATUS "End-to-end tests off (BRAWLEX_E2E is OFF)")
    return()
endif()
if(NOT CMAKE_HOST_UNIX)
    message(FATAL_ERROR "The end-to-end tests run the program under Wine on a Unix host; "
        "configure with -DBRAWLEX_E2E=OFF on this one")
endif()

set(BRAWLEX_E2E_DIR ${CMAKE_SOURCE_DIR}/tests/e2e)
set(BRAWLEX_E2E_OUTPUT_DIR ${CMAKE_BINARY_DIR}/e2e)

add_executable(brawlex_probe ${BRAWLEX_E2E_DIR}/probe_win32.cpp)
target_link_libraries(brawlex_probe PRIVATE user32)
set_target_properties(brawlex_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${BRAWLEX_E2E_OUTPUT_DIR})
if(MINGW)
    target_link_options(brawlex_probe PRIVATE -static -static-libgcc -static-libstdc++)
endif()

# The game's trigonometry tables against this program's C library, run under Wine by
# test_demos.py.
add_executable(trig_agreement ${BRAWLEX_E2E_DIR}/trig_agreement_win32.cpp
    ${CMAKE_SOURCE_DIR}/game/trig.cpp)
target_include_directories(trig_agreement PRIVATE ${CMAKE_SOURCE_DIR})
set_target_properties(trig_agreement PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${BRAWLEX_E2E_OUTPUT_DIR})
if(MINGW)
    target_link_options(trig_agreement PRIVATE -static -static-libgcc -static-libstdc++)
endif()

find_program(BRAWLEX_WINE wine)
find_program(BRAWLEX_XVFB Xvfb)
find_program(BRAWLEX_PYTHON python3)
set(e2e_missing)
foreach(tool IN ITEMS WINE:wine XVFB:Xvfb PYTHON:python3)
    string(REPLACE ":" ";" tool ${tool})
    list(GET tool 0 variable)
    list(GET tool 1 program)
    if(NOT BRAWLEX_${variable})
        list(APPEND e2e_missing ${program})
    endif()
endforeach()
if(e2e_missing)
    list(JOIN e2e_missing ", " e2e_missing)
    message(FATAL_ERROR "The end-to-end tests need wine, Xvfb and python3; not found: "
        "${e2e_missing}. Run scripts/install-deps, or configure with -DBRAWLEX_E2E=OFF "
        "to build without them.")
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
    # A test method skipped inside a file that otherwise passes ("OK (skipped=1)")
    # makes the whole file count as skipped, so that no skip hides inside a pass.
    set_tests_properties(${test_name} PROPERTIES
        LABELS e2e
        SKIP_REGULAR_EXPRESSION "\nOK \\(skipped=[0-9]+\\)"
        FIXTURES_REQUIRED wine_prefix
        RESOURCE_LOCK wine
        TIMEOUT 600
        ENVIRONMENT "${e2e_environment}")
endforeach()
