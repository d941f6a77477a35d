tovo_bench(codebase_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/codebase_bench.cpp LIBS tovo_files)
