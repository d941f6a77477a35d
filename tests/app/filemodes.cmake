if(UNIX)
  tovo_test(test_app_filemodes SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_filemodes.cpp LIBS tovo_app)
endif()
