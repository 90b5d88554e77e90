# Colour reduction of large pictures: time and peak memory against the decoded picture.
add_executable(bench_tilvex_reduce_large ${CMAKE_CURRENT_LIST_DIR}/tilvex_reduce_large.cpp)
target_link_libraries(bench_tilvex_reduce_large PRIVATE tilvex_convert)
