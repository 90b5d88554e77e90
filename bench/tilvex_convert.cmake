# Time to convert one 256 x 240 screen and write its .pic and output files.
add_executable(bench_tilvex_convert ${CMAKE_CURRENT_LIST_DIR}/tilvex_convert.cpp)
target_link_libraries(bench_tilvex_convert PRIVATE tilvex_output tilvex_doc tilvex_convert)
