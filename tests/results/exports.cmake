tovo_test(test_results_exports SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_exports.cpp ${CMAKE_CURRENT_LIST_DIR}/GridValues.h
  LIBS tovo_results)
tovo_test(test_results_binary SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_binary.cpp LIBS tovo_results)
tovo_test(test_results_history SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_history.cpp ${CMAKE_CURRENT_LIST_DIR}/GridValues.h
  LIBS tovo_results)
tovo_test(test_results_widgets SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_results_widgets.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GridValues.h LIBS tovo_results)
tovo_test(test_results_sender SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_sender.cpp LIBS tovo_results tovo_testinstance)
