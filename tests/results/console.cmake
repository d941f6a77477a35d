tovo_test(test_results_console SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_console.cpp LIBS tovo_results)
