tovo_test(test_app_commandline SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_commandline.cpp LIBS tovo_app)
tovo_test(test_app_settingsdialog SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_settingsdialog.cpp LIBS tovo_app)
tovo_test(test_app_startup SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_startup.cpp LIBS tovo_app)
tovo_test(test_app_frametitle SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_frametitle.cpp LIBS tovo_app)
