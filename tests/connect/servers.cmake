tovo_test(test_connect_servers SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_servers.cpp LIBS tovo_connect)
