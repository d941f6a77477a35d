tovo_bench(editor_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/editor_bench.cpp LIBS tovo_editor)
target_compile_definitions(editor_bench PRIVATE TOVO_EDITOR_SCRIPTS="${CMAKE_SOURCE_DIR}/tests/editor/scripts")
