tovo_bench(explorer_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/explorer_bench.cpp
  LIBS tovo_explorer tovo_editor_core tovo_testinstance)
