# Unit tests, the headless driver, benchmarks and fuzz targets, built for the host.
enable_testing()

file(GLOB test_support_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)
add_library(brawlex_test_support STATIC ${test_support_sources})
target_link_libraries(brawlex_test_support PUBLIC brawlex_headless)
target_include_directories(brawlex_test_support PUBLIC ${CMAKE_SOURCE_DIR})
# Tests that read data files run in a scratch folder of their own; they find the
# shipped files through these paths.
target_compile_definitions(brawlex_test_support PUBLIC
    BRAWLEX_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    BRAWLEX_DATA_DIR="${BRAWLEX_DATA_OUTPUT_DIR}")
add_dependencies(brawlex_test_support brawlex_data)

if(NOT BRAWLEX_FUZZ)
    find_package(GTest REQUIRED)
    include(GoogleTest)
    file(GLOB unit_test_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
    add_executable(brawlex_unit_tests ${unit_test_sources})
    target_link_libraries(brawlex_unit_tests PRIVATE brawlex_headless brawlex_test_support
        GTest::gtest_main)
    gtest_discover_tests(brawlex_unit_tests
        DISCOVERY_MODE PRE_TEST
        PROPERTIES LABELS unit)

    # The software half of the renderer agreement check. It is no unit test: it
    # compares with the GDI picture that the Windows tree's end-to-end test has just
    # made under Wine, and that test runs it (tests/e2e/test_renderer_agreement.py).
    add_executable(renderer_agreement_software
        ${CMAKE_SOURCE_DIR}/tests/e2e/renderer_agreement_software.cpp)
    target_link_libraries(renderer_agreement_software PRIVATE brawlex_headless
        brawlex_test_support GTest::gtest_main)

    # The desktop layer's pads, driven through SDL's virtual controllers.
    find_package(SDL2 QUIET)
    if(SDL2_FOUND)
        add_executable(brawlex_sdl_gamepad_tests
            ${CMAKE_SOURCE_DIR}/tests/sdl/gamepads_sdl_test.cpp
            ${CMAKE_SOURCE_DIR}/app/gamepads_sdl.cpp)
        target_link_libraries(brawlex_sdl_gamepad_tests PRIVATE brawlex_core GTest::gtest_main)
        if(TARGET SDL2::SDL2)
            target_link_libraries(brawlex_sdl_gamepad_tests PRIVATE SDL2::SDL2)
        else()
            target_include_directories(brawlex_sdl_gamepad_tests PRIVATE ${SDL2_INCLUDE_DIRS})
            target_link_libraries(brawlex_sdl_gamepad_tests PRIVATE ${SDL2_LIBRARIES})
        endif()
        gtest_discover_tests(brawlex_sdl_gamepad_tests
            DISCOVERY_MODE PRE_TEST
            PROPERTIES LABELS unit)
    else()
        # Fails (WILL_FAIL turns the echo's success into a failure) rather than skip.
        add_test(NAME sdl_gamepad_tests_need_sdl2
            COMMAND ${CMAKE_COMMAND} -E echo
                "The desktop layer's pad tests need SDL2 (scripts/install-deps installs libsdl2-dev).")
        set_tests_properties(sdl_gamepad_tests_need_sdl2 PROPERTIES LABELS unit WILL_FAIL TRUE)
    endif()

    # The computer players' tournament, a tool and a benchmark (scripts/bench-bots runs
    # it in the optimised tree).
    add_executable(cpu_tournament ${CMAKE_SOURCE_DIR}/tools/cpu_tournament.cpp)
    target_link_libraries(cpu_tournament PRIVATE brawlex_headless brawlex_test_support)

    find_package(benchmark QUIET)
    file(GLOB bench_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*_bench.cpp)
    if(benchmark_FOUND AND bench_sources)
        add_executable(brawlex_benchmarks ${bench_sources})
        target_link_libraries(brawlex_benchmarks PRIVATE brawlex_headless brawlex_test_support
            benchmark::benchmark_main)
    endif()
endif()

if(BRAWLEX_FUZZ)
    file(GLOB fuzz_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*_fuzz.cpp)
    foreach(fuzz_source IN LISTS fuzz_sources)
        get_filename_component(fuzz_name ${fuzz_source} NAME_WE)
        add_executable(${fuzz_name} ${fuzz_source})
        target_compile_options(${fuzz_name} PRIVATE -fsanitize=fuzzer)
        target_link_options(${fuzz_name} PRIVATE -fsanitize=fuzzer)
        target_link_libraries(${fuzz_name} PRIVATE brawlex_headless brawlex_test_support)
    endforeach()
endif()
