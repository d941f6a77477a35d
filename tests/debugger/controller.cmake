tovo_test(test_debugger_controller SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_controller.cpp ${CMAKE_CURRENT_LIST_DIR}/AgentSession.h
  LIBS tovo_debugger_core tovo_testinstance_debug)
