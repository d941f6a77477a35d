tovo_test(test_kdb_stream_decode SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_stream_decode.cpp ${CMAKE_CURRENT_LIST_DIR}/KCompare.h
  LIBS tovo_kdb Qt6::Core)
tovo_test(test_kdb_stream_encode SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_stream_encode.cpp ${CMAKE_CURRENT_LIST_DIR}/KCompare.h
  LIBS tovo_kdb Qt6::Core)
