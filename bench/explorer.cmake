tovo_bench(explorer_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/explorer_bench.cpp
  LIBS tovo_app tovo_testinstance)
