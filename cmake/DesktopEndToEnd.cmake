# End-to-end tests of the desktop program: the real brawlex natively on a virtual X
# display (Xvfb) under a window manager (openbox), driven by xdotool and checked with
# screenshots and the message box lines the program writes to standard error.
# Registered when BRAWLEX_E2E is on (the desktop preset's default; the other native
# trees leave them out); then a missing tool stops the configure step instead of
# leaving the tree without them.
option(BRAWLEX_E2E "Register the end-to-end tests (desktop: Xvfb, openbox, xdotool, ImageMagick, python3)" OFF)
if(NOT BRAWLEX_E2E OR NOT CMAKE_HOST_UNIX OR APPLE)
    message(STATUS "Desktop end-to-end tests off")
    return()
endif()

set(desktop_e2e_dir ${CMAKE_SOURCE_DIR}/tests/e2e/desktop)

# The headless driver's picture of a scene, compared with the program's frame.
add_executable(brawlex_headless_frame ${desktop_e2e_dir}/headless_frame.cpp)
target_link_libraries(brawlex_headless_frame PRIVATE brawlex_headless brawlex_test_support)

# SDL virtual controllers plugged into the game through LD_PRELOAD, for the pad tests.
add_library(brawlex_virtual_pads MODULE ${desktop_e2e_dir}/virtual_pads_preload.cpp)
if(TARGET SDL2::SDL2)
    target_link_libraries(brawlex_virtual_pads PRIVATE SDL2::SDL2)
else()
    target_include_directories(brawlex_virtual_pads PRIVATE ${SDL2_INCLUDE_DIRS})
    target_link_libraries(brawlex_virtual_pads PRIVATE ${SDL2_LIBRARIES})
endif()
find_package(Threads REQUIRED)
target_link_libraries(brawlex_virtual_pads PRIVATE ${CMAKE_DL_LIBS} Threads::Threads)

set(desktop_e2e_missing)
foreach(tool Xvfb openbox xdotool import xprop xwininfo xdpyinfo python3)
    string(TOUPPER ${tool} variable)
    find_program(BRAWLEX_DESKTOP_${variable} ${tool})
    if(NOT BRAWLEX_DESKTOP_${variable})
        list(APPEND desktop_e2e_missing ${tool})
    endif()
endforeach()
if(desktop_e2e_missing)
    list(JOIN desktop_e2e_missing ", " desktop_e2e_missing)
    message(FATAL_ERROR "The desktop end-to-end tests need Xvfb, openbox, xdotool, "
        "ImageMagick, x11-utils and python3; not found: ${desktop_e2e_missing}. Run scripts/install-deps, "
        "or configure with -DBRAWLEX_E2E=OFF to build without them.")
endif()

enable_testing()
set(desktop_e2e_environment
    BRAWLEX_DESKTOP_PROGRAM=$<TARGET_FILE:brawlex>
    BRAWLEX_GAME_DIR=${BRAWLEX_DATA_OUTPUT_DIR}
    BRAWLEX_HEADLESS_FRAME=$<TARGET_FILE:brawlex_headless_frame>
    BRAWLEX_VIRTUAL_PADS=$<TARGET_FILE:brawlex_virtual_pads>
    BRAWLEX_E2E_ARTIFACTS=${CMAKE_BINARY_DIR}/e2e/artifacts
    PYTHONDONTWRITEBYTECODE=1)
file(GLOB desktop_e2e_tests CONFIGURE_DEPENDS ${desktop_e2e_dir}/test_*.py)
foreach(test_file IN LISTS desktop_e2e_tests)
    get_filename_component(test_module ${test_file} NAME_WE)
    string(REGEX REPLACE "^test_" "e2e_" test_name ${test_module})
    add_test(NAME ${test_name}
        COMMAND ${BRAWLEX_DESKTOP_PYTHON3} -m unittest -v ${test_module}
        WORKING_DIRECTORY ${desktop_e2e_dir})
    # One at a time: each starts its own X server, and their waits share two cores.
    set_tests_properties(${test_name} PROPERTIES
        LABELS e2e
        RESOURCE_LOCK desktop_display
        TIMEOUT 600
        ENVIRONMENT "${desktop_e2e_environment}")
endforeach()
