tovo_test(test_core_background SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_background.cpp LIBS tovo_core)
