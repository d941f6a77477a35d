tovo_test(test_kdb_ipc SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_ipc.cpp LIBS tovo_testinstance)
tovo_test(test_kdb_ipc_tls SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_ipc_tls.cpp LIBS tovo_testinstance)
tovo_test(test_kdb_ipc_framing SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_ipc_framing.cpp LIBS tovo_testinstance)
tovo_test(test_kdb_ipc_cli SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_ipc_cli.cpp LIBS tovo_testinstance)
target_compile_definitions(test_kdb_ipc_cli PRIVATE TOVO_CLI="$<TARGET_FILE:tovo-cli>"
  TOVO_INSTANCE="$<TARGET_FILE:tovo-test-instance>")
add_dependencies(test_kdb_ipc_cli tovo-cli tovo-test-instance)
tovo_test(test_kdb_ipc_instance SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_ipc_instance.cpp LIBS tovo_testinstance)
