tovo_test(test_app_messagebox SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_messagebox.cpp LIBS tovo_app)
