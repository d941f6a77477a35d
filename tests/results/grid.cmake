tovo_test(test_results_grid SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_grid.cpp ${CMAKE_CURRENT_LIST_DIR}/GridValues.h
  LIBS tovo_results)
tovo_test(test_results_grid_sort SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_grid_sort.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GridValues.h LIBS tovo_results)
tovo_test(test_results_grid_widget SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_grid_widget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GridValues.h LIBS tovo_results)
tovo_test(test_results_grid_filter SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_grid_filter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GridValues.h LIBS tovo_results)
tovo_test(test_results_grid_filter_widget SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_grid_filter_widget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GridValues.h LIBS tovo_results)
