tovo_test(test_editor_colors SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_colors.cpp LIBS tovo_core)
tovo_test(test_editor_schemepresets SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_schemepresets.cpp LIBS tovo_core)
