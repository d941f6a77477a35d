tovo_test(test_editor_view SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_view.cpp LIBS tovo_editor)
target_compile_definitions(test_editor_view PRIVATE TOVO_EDITOR_SCRIPTS="${CMAKE_CURRENT_LIST_DIR}/scripts")
tovo_test(test_editor_text SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_editortext.cpp LIBS tovo_editor)
