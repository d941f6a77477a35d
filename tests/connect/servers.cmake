tovo_test(test_connect_servers SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_servers.cpp LIBS tovo_connect)
tovo_test(test_connect_serverimport SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_serverimport.cpp LIBS tovo_connect)
add_dependencies(test_connect_serverimport tovo-cli)
target_compile_definitions(test_connect_serverimport PRIVATE TOVO_CLI="$<TARGET_FILE:tovo-cli>"
  TOVO_IMPORT_FIXTURES="${CMAKE_CURRENT_LIST_DIR}/fixtures/import")
