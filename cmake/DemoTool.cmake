# brawlex-demo, the headless demo tool of the native tree (tools/brawlex_demo.cpp).
add_executable(brawlex_demo ${CMAKE_SOURCE_DIR}/tools/brawlex_demo.cpp)
target_link_libraries(brawlex_demo PRIVATE brawlex_headless)
set_target_properties(brawlex_demo PROPERTIES OUTPUT_NAME brawlex-demo)
