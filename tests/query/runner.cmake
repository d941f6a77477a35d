tovo_test(test_query_runner SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_runner.cpp LIBS tovo_query tovo_testinstance)
