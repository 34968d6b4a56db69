# The data files the game reads from its working folder, put beside the program.
# Texts are copied from data/; pictures are made from their pixel-map sources.
set(BRAWLEX_DATA_OUTPUT_DIR ${CMAKE_BINARY_DIR}/game)
file(GLOB data_texts CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/*.cfg ${CMAKE_SOURCE_DIR}/data/*.txt)
set(data_outputs)
foreach(text IN LISTS data_texts)
    get_filename_component(name ${text} NAME)
    add_custom_command(OUTPUT ${BRAWLEX_DATA_OUTPUT_DIR}/${name}
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${text} ${BRAWLEX_DATA_OUTPUT_DIR}/${name}
        DEPENDS ${text}
        COMMENT "Copying ${name}")
    list(APPEND data_outputs ${BRAWLEX_DATA_OUTPUT_DIR}/${name})
endforeach()
add_custom_target(brawlex_data ALL DEPENDS ${data_outputs})

# The pictures: text pixel maps in art/, turned into .bmp (and the window icon into
# .ico) by tools/pixelmap_tool. The tool must run on the build machine, so a cross
# build configures tools/ as a project of its own without the cross toolchain.
if(CMAKE_CROSSCOMPILING)
    include(ExternalProject)
    set(host_tools_dir ${CMAKE_BINARY_DIR}/host-tools)
    set(pixelmap_tool ${host_tools_dir}/pixelmap_tool${CMAKE_HOST_EXECUTABLE_SUFFIX})
    ExternalProject_Add(host_tools
        SOURCE_DIR ${CMAKE_SOURCE_DIR}/tools
        BINARY_DIR ${host_tools_dir}
        CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release
        INSTALL_COMMAND ""
        BUILD_ALWAYS ON
        BUILD_BYPRODUCTS ${pixelmap_tool})
    set(pixelmap_tool_dependency host_tools ${pixelmap_tool})
else()
    add_subdirectory(${CMAKE_SOURCE_DIR}/tools ${CMAKE_BINARY_DIR}/tools)
    set(pixelmap_tool $<TARGET_FILE:pixelmap_tool>)
    set(pixelmap_tool_dependency pixelmap_tool)
endif()

set(picture_outputs)
foreach(picture hero gun sword)
    set(source ${CMAKE_SOURCE_DIR}/art/${picture}.pixmap)
    set(output ${BRAWLEX_DATA_OUTPUT_DIR}/${picture}.bmp)
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${BRAWLEX_DATA_OUTPUT_DIR}
        COMMAND ${pixelmap_tool} bmp ${source} ${output}
        DEPENDS ${source} ${pixelmap_tool_dependency}
        COMMENT "Drawing ${picture}.bmp")
    list(APPEND picture_outputs ${output})
endforeach()
add_custom_target(brawlex_pictures DEPENDS ${picture_outputs})
add_dependencies(brawlex_data brawlex_pictures)

set(BRAWLEX_ICON ${CMAKE_BINARY_DIR}/generated/brawlex.ico)
add_custom_command(OUTPUT ${BRAWLEX_ICON}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
    COMMAND ${pixelmap_tool} ico ${CMAKE_SOURCE_DIR}/art/icon.pixmap ${BRAWLEX_ICON}
    DEPENDS ${CMAKE_SOURCE_DIR}/art/icon.pixmap ${pixelmap_tool_dependency}
    COMMENT "Drawing brawlex.ico")
add_custom_target(brawlex_icon ALL DEPENDS ${BRAWLEX_ICON})

# The start-up benchmark needs the Windows program's objects, which are defined
# after this file is read; it is added once the whole project has been read.
if(WIN32)
    cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR}
        CALL include ${CMAKE_SOURCE_DIR}/cmake/StartupBench.cmake)
endif()
