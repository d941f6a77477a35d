tovo_test(test_editor_document SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_document.cpp LIBS tovo_editor)
