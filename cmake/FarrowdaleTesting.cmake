# How every test is declared, so that none can hang CI and none goes missing quietly.
#
# farrowdale_add_test(NAME [THREADED] SOURCES file... LIBS lib... [TIMEOUT seconds])
#   One GoogleTest executable linked with the test-support library; its cases are listed
#   for CTest when the tests run, so a sanitizer build reports every case by name. Each
#   case gets TIMEOUT (default FARROWDALE_TEST_TIMEOUT). THREADED marks a test whose code
#   starts threads (label "threads"): scripts/test.sh runs those under ThreadSanitizer.
# farrowdale_add_script_test(NAME name TIMEOUT seconds COMMAND command...)
#   A test that runs a program or script; its time bound must be given.
#
# Sanitized builds run several times slower, so their bounds are scaled by
# FARROWDALE_TEST_TIMEOUT_SCALE. The test `test_timeouts_set` fails when any ctest entry
# has no TIMEOUT property.
include(GoogleTest)

set(FARROWDALE_TEST_TIMEOUT 120 CACHE STRING "Seconds one test case may run")
if(FARROWDALE_SANITIZE OR FARROWDALE_SANITIZE_THREAD)
  set(farrowdale_default_scale 4)
else()
  set(farrowdale_default_scale 1)
endif()
set(FARROWDALE_TEST_TIMEOUT_SCALE ${farrowdale_default_scale} CACHE STRING
    "Factor on every test's time bound (sanitized builds run slower)")

function(farrowdale_scaled_timeout seconds out)
  math(EXPR scaled "${seconds} * ${FARROWDALE_TEST_TIMEOUT_SCALE}")
  set(${out} ${scaled} PARENT_SCOPE)
endfunction()

function(farrowdale_add_test name)
  cmake_parse_arguments(ARG "THREADED" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "farrowdale_add_test(${name}): unknown arguments ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT ${FARROWDALE_TEST_TIMEOUT})
  endif()
  farrowdale_scaled_timeout(${ARG_TIMEOUT} timeout)
  set(labels unit)
  if(ARG_THREADED)
    set(labels threads)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} farrowdale_testing GTest::gtest
                                        GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES TIMEOUT ${timeout} LABELS ${labels})
endfunction()

function(farrowdale_add_script_test)
  cmake_parse_arguments(ARG "" "NAME;TIMEOUT" "COMMAND" ${ARGN})
  if(NOT ARG_NAME OR NOT ARG_TIMEOUT OR NOT ARG_COMMAND OR ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "farrowdale_add_script_test needs NAME, TIMEOUT and COMMAND")
  endif()
  farrowdale_scaled_timeout(${ARG_TIMEOUT} timeout)
  add_test(NAME ${ARG_NAME} COMMAND ${ARG_COMMAND})
  set_tests_properties(${ARG_NAME} PROPERTIES TIMEOUT ${timeout})
endfunction()
