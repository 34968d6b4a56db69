# startup_bench.exe: the start-up benchmark of the Windows program (sprite generation
# against bare bitmap round trips, and launch to window shown), run under Wine by
# scripts/bench-startup. Built from the program's own objects and resources; kept in
# the bench folder so that it never ships.
if(NOT TARGET brawlex_program_objects)
    return()
endif()
add_executable(startup_bench WIN32
    ${CMAKE_SOURCE_DIR}/bench/startup_win32.cpp
    ${CMAKE_SOURCE_DIR}/resources/brawlex.rc)
target_link_libraries(startup_bench PRIVATE brawlex_program_objects)
target_include_directories(startup_bench PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/generated)
set_target_properties(startup_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY "$<1:${CMAKE_BINARY_DIR}/bench>")
if(MINGW)
    target_link_options(startup_bench PRIVATE -static -static-libgcc -static-libstdc++)
endif()
if(TARGET brawlex_icon)
    add_dependencies(startup_bench brawlex_icon)
endif()
