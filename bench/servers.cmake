tovo_bench(servers_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/servers_bench.cpp LIBS tovo_connect)
