tovo_test(test_editor_completion SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_completion.cpp LIBS tovo_editor_core)
