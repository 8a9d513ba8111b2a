# SPDX-License-Identifier: MIT
# Included by CTest after each test folder's tests are known (sanitizer
# builds only; see tests/CMakeLists.txt).
#
# The leak checker's own tracer, which stops the process's threads to scan
# its memory at exit, now and then crashes with "Tracer caught signal"; it
# has been seen in processes that ran Mesa's GL driver. The process then
# dies without a leak verdict, through no fault of the code under test, so
# CTest reports such a run as skipped instead of failed. A leak report
# ("detected memory leaks") or any other sanitizer report still fails it.
get_cmake_property(radar_variables VARIABLES)
foreach(radar_variable IN LISTS radar_variables)
  # gtest_discover_tests lists the tests of each program in <target>_TESTS.
  if(radar_variable MATCHES "_TESTS$" AND NOT "${${radar_variable}}" STREQUAL "")
    set_tests_properties(${${radar_variable}} PROPERTIES
                         SKIP_REGULAR_EXPRESSION "Tracer caught signal")
  endif()
endforeach()
