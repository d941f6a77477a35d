tovo_test(test_editor_colors SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_colors.cpp LIBS tovo_core)
