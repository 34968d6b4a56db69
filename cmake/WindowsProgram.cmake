# The Windows program: brawlex.exe with its resources, statically linked.
add_executable(brawlex WIN32 ${core_sources} ${win32_sources})
target_include_directories(brawlex PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(brawlex PRIVATE user32 gdi32 comctl32 winmm)
set_target_properties(brawlex PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${BRAWLEX_DATA_OUTPUT_DIR})
if(MINGW)
    target_link_options(brawlex PRIVATE -static -static-libgcc -static-libstdc++)
endif()
add_dependencies(brawlex brawlex_data)
