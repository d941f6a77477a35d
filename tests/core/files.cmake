tovo_test(test_core_files SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_files.cpp LIBS tovo_core)
