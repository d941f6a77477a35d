# Replies that do not fit in memory, decoded by a child process whose address
# space is capped (the cap is platform code).
if(UNIX)
  set(tovo_address_limit ${CMAKE_CURRENT_LIST_DIR}/AddressSpaceLimit_posix.cpp)
else()
  set(tovo_address_limit ${CMAKE_CURRENT_LIST_DIR}/AddressSpaceLimit_none.cpp)
endif()
add_executable(tovo-lowmemory-child ${CMAKE_CURRENT_LIST_DIR}/lowmemory_child.cpp ${tovo_address_limit})
target_link_libraries(tovo-lowmemory-child PRIVATE tovo_kdb)
tovo_warnings(tovo-lowmemory-child)
tovo_test(test_kdb_memory SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_memory.cpp LIBS tovo_testinstance)
target_compile_definitions(test_kdb_memory PRIVATE TOVO_LOWMEMORY_CHILD="$<TARGET_FILE:tovo-lowmemory-child>")
add_dependencies(test_kdb_memory tovo-lowmemory-child)
