tovo_test(test_explorer_queries SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_queries.cpp LIBS tovo_explorer_core)
tovo_test(test_explorer_load SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_load.cpp LIBS tovo_explorer_core tovo_testinstance)
tovo_test(test_explorer_entities SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_entities.cpp LIBS tovo_explorer_core)
