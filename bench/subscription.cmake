tovo_bench(subscription_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/subscription_bench.cpp LIBS tovo_query tovo_results tovo_testinstance)
