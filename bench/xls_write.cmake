# Time to write the game list as a workbook, up to the largest sheet (65535 rows).
add_executable(xls_write ${CMAKE_CURRENT_LIST_DIR}/xls_write.cpp)
target_link_libraries(xls_write PRIVATE romvane_xls)
