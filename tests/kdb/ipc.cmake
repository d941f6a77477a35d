tovo_test(test_kdb_ipc SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_ipc.cpp LIBS tovo_testinstance)
tovo_test(test_kdb_ipc_tls SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_ipc_tls.cpp LIBS tovo_testinstance)
tovo_test(test_kdb_ipc_framing SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_ipc_framing.cpp LIBS tovo_testinstance)
