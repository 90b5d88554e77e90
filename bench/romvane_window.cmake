# How long Romvane's window stops answering while it builds a 512-game cartridge.
add_executable(bench_romvane_window ${CMAKE_CURRENT_LIST_DIR}/romvane_window.cpp)
target_link_libraries(bench_romvane_window PRIVATE romvane_ui)
target_compile_definitions(bench_romvane_window PRIVATE
  EXAMPLE_MENU_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
add_dependencies(bench_romvane_window example_menu)
