# Included by ctest (a TEST_INCLUDE_FILES script written by
# tavrelin_suite_tests in CMakeLists.txt): one test per GoogleTest suite of
# a test program, named after the suite, whose cases run in one process.
# The suites are listed by the program itself, again only after it was
# rebuilt or its settings changed. In: TAV_PROGRAM, TAV_EMULATOR (a list),
# TAV_LIST_FILE, TAV_SETTINGS_FILE (the script that sets these) and
# TAV_PROPERTIES (set_tests_properties arguments for every suite).

if(NOT EXISTS "${TAV_LIST_FILE}" OR "${TAV_PROGRAM}" IS_NEWER_THAN "${TAV_LIST_FILE}" OR
   "${TAV_SETTINGS_FILE}" IS_NEWER_THAN "${TAV_LIST_FILE}")
  execute_process(COMMAND ${TAV_EMULATOR} "${TAV_PROGRAM}" --gtest_list_tests
                  OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE result
                  TIMEOUT 180)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "Listing the suites of ${TAV_PROGRAM} failed (${result}):\n${errors}")
  endif()
  string(REPLACE "\r" "" listing "${listing}")
  string(REPLACE "\n" ";" lines "${listing}")
  set(command "")
  foreach(part IN LISTS TAV_EMULATOR ITEMS "${TAV_PROGRAM}")
    string(APPEND command " [=[${part}]=]")
  endforeach()
  set(tests "")
  foreach(line IN LISTS lines)
    # A suite's line starts in the first column ("Suite." or
    # "Instance/Suite.", perhaps followed by a type comment); its cases are
    # indented.
    if(line MATCHES "^([A-Za-z0-9_/]+)\\.")
      set(suite "${CMAKE_MATCH_1}")
      string(APPEND tests
             "add_test([=[${suite}]=]${command} [=[--gtest_filter=${suite}.*]=])\n"
             "set_tests_properties([=[${suite}]=] PROPERTIES ${TAV_PROPERTIES})\n")
    endif()
  endforeach()
  if(tests STREQUAL "")
    message(FATAL_ERROR "${TAV_PROGRAM} listed no suites:\n${listing}${errors}")
  endif()
  file(WRITE "${TAV_LIST_FILE}" "${tests}")
endif()
include("${TAV_LIST_FILE}")
