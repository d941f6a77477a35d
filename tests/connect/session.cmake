# Two test authentication plug-ins: a working one and one without
# GetCredentialString.
add_library(authtest SHARED ${CMAKE_CURRENT_LIST_DIR}/authplugin/authplugin.cpp)
add_library(authnoproc SHARED ${CMAKE_CURRENT_LIST_DIR}/authplugin/authplugin.cpp)
target_compile_definitions(authnoproc PRIVATE TOVO_AUTH_NO_CREDENTIALS)
foreach(plugin authtest authnoproc)
  tovo_warnings(${plugin})
  set_target_properties(${plugin} PROPERTIES CXX_VISIBILITY_PRESET hidden)
endforeach()

tovo_test(test_connect_session SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_session.cpp LIBS tovo_connect tovo_testinstance)
add_dependencies(test_connect_session authtest authnoproc)
target_compile_definitions(test_connect_session PRIVATE
  TOVO_AUTHTEST_PLUGIN="$<TARGET_FILE:authtest>" TOVO_AUTHNOPROC_PLUGIN="$<TARGET_FILE:authnoproc>")

tovo_test(test_connect_controller SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_controller.cpp LIBS tovo_connect tovo_testinstance)

# tovo-cli's server list commands, run as a program.
if(TARGET tovo-cli)
  tovo_test(test_connect_cli SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_cli.cpp LIBS tovo_connect tovo_testinstance)
  add_dependencies(test_connect_cli tovo-cli authtest)
  target_compile_definitions(test_connect_cli PRIVATE TOVO_CLI="$<TARGET_FILE:tovo-cli>"
    TOVO_AUTHTEST_PLUGIN="$<TARGET_FILE:authtest>")
endif()

tovo_test(test_connect_sessionworker SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_sessionworker.cpp LIBS tovo_connect tovo_testinstance)
