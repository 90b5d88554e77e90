# Time to write the game list as a workbook, up to the largest sheet (65535 rows).
add_executable(bench_xls_write ${CMAKE_CURRENT_LIST_DIR}/xls_write.cpp)
target_link_libraries(bench_xls_write PRIVATE romvane_xls)
