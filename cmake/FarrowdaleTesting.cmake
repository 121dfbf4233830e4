# farrowdale_add_test(NAME SOURCES file... LIBS lib...)
# One GoogleTest executable; its cases are listed for CTest when the tests run, so a
# sanitizer build reports every case by name.
include(GoogleTest)
function(farrowdale_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)
endfunction()
