tovo_bench(gridfilter_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/gridfilter_bench.cpp LIBS tovo_results)
