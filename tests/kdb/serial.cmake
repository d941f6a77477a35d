tovo_test(test_kdb_serial SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_serial.cpp ${CMAKE_CURRENT_LIST_DIR}/KCompare.h
  LIBS tovo_kdb Qt6::Core)
tovo_test(test_kdb_malformed SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_malformed.cpp ${CMAKE_CURRENT_LIST_DIR}/KCompare.h
  LIBS tovo_kdb Qt6::Core)
tovo_test(test_kdb_values SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_values.cpp ${CMAKE_CURRENT_LIST_DIR}/KCompare.h
  LIBS tovo_kdb Qt6::Core)
