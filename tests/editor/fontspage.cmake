tovo_test(test_editor_fontspage SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_fontspage.cpp LIBS tovo_editor)
