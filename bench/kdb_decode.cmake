tovo_bench(kdb_decode_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/kdb_decode_bench.cpp LIBS tovo_kdb)
tovo_bench(kdb_nulls_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/kdb_nulls_bench.cpp LIBS tovo_kdb)
