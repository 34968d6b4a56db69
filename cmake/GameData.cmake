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
