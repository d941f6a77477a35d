# The scripted kdb+ test instance: a library for tests and a program.
add_library(tovo_testinstance STATIC
  ${CMAKE_CURRENT_LIST_DIR}/GeneratedTable.h ${CMAKE_CURRENT_LIST_DIR}/GeneratedTable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InstanceEvents.h
  ${CMAKE_CURRENT_LIST_DIR}/InstanceNamespaces.h ${CMAKE_CURRENT_LIST_DIR}/InstanceNamespaces.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InstanceRule.h
  ${CMAKE_CURRENT_LIST_DIR}/InstanceWatches.h ${CMAKE_CURRENT_LIST_DIR}/InstanceWatches.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InstanceScript.h ${CMAKE_CURRENT_LIST_DIR}/InstanceScript.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ServedClient.h ${CMAKE_CURRENT_LIST_DIR}/ServedClient.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TestCertificate.h ${CMAKE_CURRENT_LIST_DIR}/TestCertificate.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TestInstance.h ${CMAKE_CURRENT_LIST_DIR}/TestInstance.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TestInstancePrivate.h
  ${CMAKE_CURRENT_LIST_DIR}/UpdateStream.h ${CMAKE_CURRENT_LIST_DIR}/UpdateStream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ValueNotation.h ${CMAKE_CURRENT_LIST_DIR}/ValueNotation.cpp)
target_include_directories(tovo_testinstance PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tovo_testinstance PUBLIC tovo_kdb Qt6::Core OpenSSL::SSL OpenSSL::Crypto)
set_target_properties(tovo_testinstance PROPERTIES AUTOMOC ON)
tovo_warnings(tovo_testinstance)

add_executable(tovo-test-instance ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(tovo-test-instance PRIVATE tovo_testinstance)
tovo_warnings(tovo-test-instance)
