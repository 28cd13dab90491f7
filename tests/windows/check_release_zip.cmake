# cmake -DCPACK=... -DCONFIG=.../CPackConfig.cmake -DWORK=<scratch folder> -P check_release_zip.cmake
# Makes the release zip in a scratch folder and checks that it holds the
# executable and the README, in one top folder, and nothing else.
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${WORK}")
execute_process(COMMAND "${CPACK}" --config "${CONFIG}" -B "${WORK}"
  OUTPUT_VARIABLE log ERROR_VARIABLE log RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cpack failed:\n${log}")
endif()

file(GLOB zips "${WORK}/*.zip")
list(LENGTH zips count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one zip, found: ${zips}")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar tf "${zips}"
  OUTPUT_VARIABLE listing RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cannot list ${zips}")
endif()

get_filename_component(top "${zips}" NAME_WLE)
string(REGEX REPLACE "\n$" "" listing "${listing}")
string(REPLACE "\n" ";" entries "${listing}")
list(FILTER entries EXCLUDE REGEX "/$")
list(SORT entries)
set(expected "${top}/README.md" "${top}/vantrel.exe")
if(NOT entries STREQUAL expected)
  message(FATAL_ERROR "${zips} holds:\n  ${entries}\nexpected:\n  ${expected}")
endif()
message(STATUS "${zips}: ${entries}")
