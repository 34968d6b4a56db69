# The desktop program: brawlex on SDL2, for Linux and macOS, built in build/desktop/
# beside the data files in game/. Its layer files are the *_sdl.cpp sources with the
# software renderer over the portable core.
if(BRAWLEX_FUZZ)
    return() # the fuzz tree builds its targets only
endif()
find_package(SDL2 QUIET)
if(NOT SDL2_FOUND)
    message(STATUS "Desktop program off: SDL2 not found (Debian: libsdl2-dev, macOS: brew install sdl2)")
    return()
endif()

# The window icon, the .bmp the build draws from art/icon.pixmap, held in the program.
set(icon_bmp ${CMAKE_BINARY_DIR}/generated/icon.bmp)
set(icon_source ${CMAKE_BINARY_DIR}/generated/icon_bmp.cpp)
add_custom_command(OUTPUT ${icon_bmp}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
    COMMAND ${pixelmap_tool} bmp ${CMAKE_SOURCE_DIR}/art/icon.pixmap ${icon_bmp}
    DEPENDS ${CMAKE_SOURCE_DIR}/art/icon.pixmap ${pixelmap_tool_dependency}
    COMMENT "Drawing icon.bmp")
add_custom_command(OUTPUT ${icon_source}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${icon_bmp} -DOUTPUT=${icon_source} -DNAME=brawlexIconBmp
        -P ${CMAKE_SOURCE_DIR}/cmake/EmbedFile.cmake
    DEPENDS ${icon_bmp} ${CMAKE_SOURCE_DIR}/cmake/EmbedFile.cmake
    COMMENT "Embedding icon.bmp")

add_executable(brawlex ${sdl_sources} ${software_sources} ${icon_source})
target_link_libraries(brawlex PRIVATE brawlex_core)
if(TARGET SDL2::SDL2)
    target_link_libraries(brawlex PRIVATE SDL2::SDL2)
else()
    target_include_directories(brawlex PRIVATE ${SDL2_INCLUDE_DIRS})
    target_link_libraries(brawlex PRIVATE ${SDL2_LIBRARIES})
endif()
# On X11 the window manager is asked for the window's frame before the window is shown
# (app/window_frame_sdl.cpp), through the Xlib SDL's X11 driver loads at run time: only
# Xlib's headers are needed to build. Without them the client area covers the usable area.
if(NOT APPLE)
    find_package(X11 QUIET)
    if(X11_FOUND)
        target_compile_definitions(brawlex PRIVATE BRAWLEX_X11)
        target_include_directories(brawlex PRIVATE ${X11_INCLUDE_DIR})
    endif()
endif()
set_target_properties(brawlex PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${BRAWLEX_DATA_OUTPUT_DIR})
add_dependencies(brawlex brawlex_data)

include(cmake/Package.cmake)
brawlex_add_package(PLATFORM linux FORMAT tar.gz TARGET brawlex_tarball TEST brawlex_desktop_package)
include(cmake/DesktopEndToEnd.cmake OPTIONAL)
