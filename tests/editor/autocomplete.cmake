tovo_test(test_editor_autocomplete SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_autocomplete.cpp LIBS tovo_editor)
