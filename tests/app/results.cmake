tovo_test(test_app_results SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_results_window.cpp LIBS tovo_app tovo_testinstance TIMEOUT 120)
