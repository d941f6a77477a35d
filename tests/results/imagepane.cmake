tovo_test(test_results_imagepane SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_imagepane.cpp LIBS tovo_results)
