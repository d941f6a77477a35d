tovo_test(test_app_servers SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_servers_e2e.cpp LIBS tovo_app tovo_testinstance TIMEOUT 120)
target_compile_definitions(test_app_servers PRIVATE TOVO_IMPORT_FIXTURES="${CMAKE_SOURCE_DIR}/tests/connect/fixtures/import")
