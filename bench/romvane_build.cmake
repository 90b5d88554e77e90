# Whole romvane-cli runs (build with the example menu, export) against copying the same bytes.
add_executable(bench_romvane_build ${CMAKE_CURRENT_LIST_DIR}/romvane_build.cpp)
target_link_libraries(bench_romvane_build PRIVATE vt_common)
target_compile_definitions(bench_romvane_build PRIVATE
  EXAMPLE_MENU_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
add_dependencies(bench_romvane_build romvane-cli)
add_dependencies(bench_romvane_build example_menu)
