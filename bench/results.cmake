tovo_bench(results_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/results_bench.cpp LIBS tovo_results)
