tovo_test(test_query_composer SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_composer.cpp LIBS tovo_query tovo_testinstance)
tovo_test(test_query_log SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_querylog.cpp LIBS tovo_query)
