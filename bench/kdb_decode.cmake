tovo_bench(kdb_decode_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/kdb_decode_bench.cpp LIBS tovo_kdb)
