tovo_test(test_editor_textfinder SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_textfinder.cpp LIBS tovo_editor_core)
tovo_test(test_editor_findreplace SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_findreplace.cpp LIBS tovo_editor)
tovo_test(test_editor_viewprinter SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_viewprinter.cpp LIBS tovo_editor)
tovo_test(test_editor_viewmenu SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_viewmenu.cpp LIBS tovo_editor)
