tovo_test(test_results_reply SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_reply.cpp LIBS tovo_results)
