tovo_test(test_app_debugger SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_debugger.cpp ${CMAKE_CURRENT_LIST_DIR}/../debugger/AgentSession.h
  LIBS tovo_app tovo_testinstance_debug TIMEOUT 120)
target_include_directories(test_app_debugger PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../debugger)
