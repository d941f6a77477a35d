tovo_test(test_query_subscription SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_subscription.cpp LIBS tovo_query tovo_testinstance)
