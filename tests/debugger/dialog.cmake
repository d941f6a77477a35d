tovo_test(test_debugger_dialog SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_dialog.cpp ${CMAKE_CURRENT_LIST_DIR}/AgentSession.h
  LIBS tovo_debugger tovo_testinstance_debug)
