# Not a Google Benchmark: a timing harness around the real window (see the file).
add_executable(replygrid_timing ${CMAKE_CURRENT_LIST_DIR}/replygrid_timing.cpp)
target_link_libraries(replygrid_timing PRIVATE tovo_app tovo_testinstance tovo_testsupport)
target_compile_definitions(replygrid_timing PRIVATE TOVO_INSTANCE="$<TARGET_FILE:tovo-test-instance>")
add_dependencies(replygrid_timing tovo-test-instance)
tovo_warnings(replygrid_timing)
