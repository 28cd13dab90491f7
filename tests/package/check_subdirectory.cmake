# Configures and builds (everything, the default target) a project that adds
# the source tree with add_subdirectory, then checks that the build made the
# library and the project's program, ran it, and made no vantrel program and
# no tests. Variables: CONSUMER, SOURCE_ROOT, WORK_DIR, CONFIG, GENERATOR, PLATFORM,
# CXX_COMPILER, CXX_FLAGS, MSVC_RUNTIME (as check_package.cmake).
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${WORK_DIR}")

function(run_step)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE failed OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(failed)
    message(FATAL_ERROR "${ARGN}\n${out}")
  endif()
endfunction()

include("${CMAKE_CURRENT_LIST_DIR}/build_options.cmake")
run_step("${CMAKE_COMMAND}" -S "${CONSUMER}" -B "${WORK_DIR}" ${configure_options}
         "-DVANTREL_SOURCE_DIR=${SOURCE_ROOT}")
run_step("${CMAKE_COMMAND}" --build "${WORK_DIR}" ${config_option})

file(GLOB_RECURSE built "${WORK_DIR}/embeds_argparse" "${WORK_DIR}/embeds_argparse.exe")
if(NOT built)
  message(FATAL_ERROR "the consumer's program was not built")
endif()
list(GET built 0 built)
execute_process(COMMAND "${built}" --count 3 OUTPUT_VARIABLE out RESULT_VARIABLE status)
string(REPLACE "\r\n" "\n" out "${out}")
if(NOT status EQUAL 0 OR NOT out STREQUAL "count=3\n")
  message(FATAL_ERROR "the consumer printed [${out}] with status ${status}")
endif()
file(GLOB_RECURSE programs "${WORK_DIR}/vantrel/vantrel" "${WORK_DIR}/vantrel/vantrel.exe")
file(GLOB_RECURSE tests "${WORK_DIR}/vantrel/CTestTestfile.cmake")
if(programs OR tests)
  message(FATAL_ERROR "add_subdirectory built the program or the tests: ${programs} ${tests}")
endif()
