# The debugger agent's side of a debugging session, for the debugger tests.
add_library(tovo_testinstance_debug STATIC
  ${CMAKE_CURRENT_LIST_DIR}/InstanceDebugAgent.h ${CMAKE_CURRENT_LIST_DIR}/InstanceDebugAgent.cpp)
target_link_libraries(tovo_testinstance_debug PUBLIC tovo_testinstance)
tovo_warnings(tovo_testinstance_debug)
