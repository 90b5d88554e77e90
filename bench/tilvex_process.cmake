# The whole tilvex-cli run as a child process: PNG against BMP input, time and peak memory,
# and against an older build when one is named.
add_executable(bench_tilvex_process ${CMAKE_CURRENT_LIST_DIR}/tilvex_process.cpp)
target_link_libraries(bench_tilvex_process PRIVATE tilvex_image PkgConfig::PICTURE_LIBS)
add_dependencies(bench_tilvex_process tilvex-cli tilvex_data_files)

# The floor under it: start, read, decode the PNG with libspng, write through a rename.
add_executable(bench_convert_floor ${CMAKE_CURRENT_LIST_DIR}/convert_floor.cpp)
target_link_libraries(bench_convert_floor PRIVATE PkgConfig::PICTURE_LIBS)
target_link_options(bench_convert_floor PRIVATE LINKER:--as-needed)
add_dependencies(bench_tilvex_process bench_convert_floor)
