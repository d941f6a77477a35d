tovo_test(test_core_geometry SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_geometry.cpp LIBS tovo_core)
