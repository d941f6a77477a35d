tovo_test(test_core_render SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_render.cpp ${CMAKE_CURRENT_LIST_DIR}/KValues.h
  LIBS tovo_core)
tovo_test(test_core_render_structures SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_render_structures.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KValues.h LIBS tovo_core)
tovo_test(test_core_catalogue SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_catalogue.cpp LIBS tovo_core)
tovo_test(test_core_qerrors SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_qerrors.cpp LIBS tovo_core)
