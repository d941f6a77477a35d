tovo_test(test_app_explorer SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_explorer.cpp LIBS tovo_app tovo_testinstance TIMEOUT 120)
tovo_test(test_app_namespacecompletion SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_namespacecompletion.cpp LIBS tovo_app tovo_testinstance)
tovo_test(test_app_definition SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_definition.cpp LIBS tovo_app tovo_testinstance TIMEOUT 120)
