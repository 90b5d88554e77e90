# Nearest-code search through the index against the plain scan, and colour collection plus
# the HSL adaptation on a large picture.
add_executable(tilvex_image_bench ${CMAKE_CURRENT_LIST_DIR}/tilvex_image.cpp)
target_link_libraries(tilvex_image_bench PRIVATE tilvex_image)
add_dependencies(tilvex_image_bench tilvex_data_files)
