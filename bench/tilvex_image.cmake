# Nearest-code search through the index against the plain scan, and colour collection plus
# the HSL adaptation on a large picture.
add_executable(bench_tilvex_image ${CMAKE_CURRENT_LIST_DIR}/tilvex_image.cpp)
target_link_libraries(bench_tilvex_image PRIVATE tilvex_image)
add_dependencies(bench_tilvex_image tilvex_data_files)
