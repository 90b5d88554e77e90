# The flood fill of the drawing tools on a 4000 x 3000 picture, as the window runs it: copy
# for the worker, scanline fill, adoption, undo and redo; time and peak memory.
add_executable(bench_tilvex_fill ${CMAKE_CURRENT_LIST_DIR}/tilvex_fill.cpp)
target_link_libraries(bench_tilvex_fill PRIVATE tilvex_app)
add_dependencies(bench_tilvex_fill tilvex_data_files)
