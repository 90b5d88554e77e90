# Colour reduction against the plain k-means yardstick: PSNR of the drawn block picture and
# time, for pictures named on the command line (256 x 240 cuts of photos and icons).
add_executable(bench_tilvex_reduce ${CMAKE_CURRENT_LIST_DIR}/tilvex_reduce.cpp)
target_link_libraries(bench_tilvex_reduce PRIVATE tilvex_doc tilvex_convert)
