# brawlex-server, the relay for online play (server/), built in the native trees.
# The room logic is a library of its own so that the unit tests and fuzz targets
# drive it without sockets.
add_library(brawlex_relay STATIC ${CMAKE_SOURCE_DIR}/server/relay_rooms.cpp)
target_include_directories(brawlex_relay PUBLIC ${CMAKE_SOURCE_DIR})

if(TARGET brawlex_unit_tests)
    target_link_libraries(brawlex_unit_tests PRIVATE brawlex_relay)
endif()
foreach(fuzz_name relay_rooms_fuzz)
    if(TARGET ${fuzz_name})
        target_link_libraries(${fuzz_name} PRIVATE brawlex_relay)
    endif()
endforeach()

# Boost.Asio and Boost.Beast are header-only (scripts/install-deps installs them).
find_package(Boost 1.74 REQUIRED)
find_package(Threads REQUIRED)
add_executable(brawlex_server ${CMAKE_SOURCE_DIR}/server/relay_server_main.cpp)
target_link_libraries(brawlex_server PRIVATE brawlex_relay Boost::boost Threads::Threads)
set_target_properties(brawlex_server PROPERTIES OUTPUT_NAME brawlex-server)

if(NOT BRAWLEX_FUZZ)
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    add_test(NAME relay_server_sockets
        COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tests/relay/test_relay_server.py
            $<TARGET_FILE:brawlex_server>)
    set_tests_properties(relay_server_sockets PROPERTIES LABELS unit TIMEOUT 60)
endif()

# The relay's load benchmark (scripts/bench-relay).
add_executable(relay_bench ${CMAKE_SOURCE_DIR}/tools/relay_bench.cpp)
target_include_directories(relay_bench PRIVATE ${CMAKE_SOURCE_DIR})
