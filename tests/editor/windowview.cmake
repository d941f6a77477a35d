tovo_test(test_editor_windowview SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_windowview.cpp LIBS tovo_editor)
