tovo_test(test_editor_tokenizer SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_tokenizer.cpp LIBS tovo_editor)
target_compile_definitions(test_editor_tokenizer PRIVATE TOVO_EDITOR_SCRIPTS="${CMAKE_CURRENT_LIST_DIR}/scripts")
