if(TARGET tovo_chart)
  tovo_bench(chart_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/chart_bench.cpp LIBS tovo_chart)
endif()
