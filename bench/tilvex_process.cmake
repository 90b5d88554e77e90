# The whole tilvex-cli run as a child process: PNG against BMP input, time and peak memory,
# and against an older build when one is named.
add_executable(bench_tilvex_process ${CMAKE_CURRENT_LIST_DIR}/tilvex_process.cpp)
target_link_libraries(bench_tilvex_process PRIVATE tilvex_image PkgConfig::PICTURE_LIBS)
add_dependencies(bench_tilvex_process tilvex-cli tilvex_data_files)
