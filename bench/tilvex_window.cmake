# How long Tilvex's window stops answering while it opens, converts and undoes a large
# level map, and what it does while idle.
add_executable(bench_tilvex_window ${CMAKE_CURRENT_LIST_DIR}/tilvex_window.cpp)
target_link_libraries(bench_tilvex_window PRIVATE tilvex_ui)
add_dependencies(bench_tilvex_window tilvex_data_files)
