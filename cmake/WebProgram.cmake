# The web program: brawlex.js and brawlex.wasm from Emscripten, the data files packed
# beside them (brawlex.data), and the page (index.html, page.js, page.css, the icon),
# all in one folder of static files, build/web/site, that any web server can serve.
set(BRAWLEX_SITE_DIR ${CMAKE_BINARY_DIR}/site)
set(web_page_dir ${CMAKE_SOURCE_DIR}/resources/web)
# Emscripten's linker runs Debian's Node.js tools; their modules are found here even
# when another Node.js comes first on the PATH.
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)

add_executable(brawlex ${web_sources} ${software_sources})
target_link_libraries(brawlex PRIVATE brawlex_core)
set_target_properties(brawlex PROPERTIES SUFFIX .js RUNTIME_OUTPUT_DIRECTORY ${BRAWLEX_SITE_DIR})

set(web_data_files hero.bmp gun.bmp sword.bmp config.cfg autoexec.cfg cmdlist.txt varlist.txt)
set(preload_options)
set(preload_inputs)
foreach(name IN LISTS web_data_files)
    # Each file lands in the program's working folder, /, under its own name.
    list(APPEND preload_options "SHELL:--preload-file ${BRAWLEX_DATA_OUTPUT_DIR}/${name}@/${name}")
    list(APPEND preload_inputs ${BRAWLEX_DATA_OUTPUT_DIR}/${name})
endforeach()

target_link_options(brawlex PRIVATE
    # The modal loops (console, message box), the loading panel and the main loop wait
    # for the page without blocking it: the program's stack is unwound and rewound
    # around each wait.
    -sASYNCIFY
    # Room for the unwound stack of the deepest wait: a message box from a RESET
    # typed in the console, inside a frame.
    -sASYNCIFY_STACK_SIZE=65536
    # The weapon sprites alone take about 14 MB, the window's buffers three times its
    # pixels.
    -sINITIAL_MEMORY=67108864
    -sALLOW_MEMORY_GROWTH=1
    -sENVIRONMENT=web
    ${preload_options})
set_property(TARGET brawlex APPEND PROPERTY LINK_DEPENDS ${preload_inputs})
add_dependencies(brawlex brawlex_data)

# The page's own files, copied beside the program.
set(page_outputs)
foreach(name index.html page.js page.css)
    add_custom_command(OUTPUT ${BRAWLEX_SITE_DIR}/${name}
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${web_page_dir}/${name} ${BRAWLEX_SITE_DIR}/${name}
        DEPENDS ${web_page_dir}/${name}
        COMMENT "Copying ${name}")
    list(APPEND page_outputs ${BRAWLEX_SITE_DIR}/${name})
endforeach()
# The sound's audio worklet, which the page's audio context loads from beside it.
add_custom_command(OUTPUT ${BRAWLEX_SITE_DIR}/audio_worklet.js
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${web_page_dir}/audio_worklet.js ${BRAWLEX_SITE_DIR}/audio_worklet.js
    DEPENDS ${web_page_dir}/audio_worklet.js
    COMMENT "Copying audio_worklet.js")
list(APPEND page_outputs ${BRAWLEX_SITE_DIR}/audio_worklet.js)
add_custom_command(OUTPUT ${BRAWLEX_SITE_DIR}/brawlex.ico
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${BRAWLEX_ICON} ${BRAWLEX_SITE_DIR}/brawlex.ico
    DEPENDS ${BRAWLEX_ICON} brawlex_icon
    COMMENT "Copying the icon")
list(APPEND page_outputs ${BRAWLEX_SITE_DIR}/brawlex.ico)
add_custom_target(brawlex_page ALL DEPENDS ${page_outputs})
add_dependencies(brawlex brawlex_page)

include(cmake/WebTests.cmake OPTIONAL)
