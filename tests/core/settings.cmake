tovo_test(test_core_settings SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_settings.cpp LIBS tovo_core)
