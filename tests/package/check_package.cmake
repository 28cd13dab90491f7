# Installs the build tree into a scratch prefix, then configures, builds and
# runs a separate project that finds the parser with find_package.
# Variables: BUILD_DIR, CONFIG, GENERATOR, SOURCE_DIR, WORK_DIR, CXX_COMPILER,
# CXX_FLAGS, MSVC_RUNTIME (the consumer is built with the same compiler, flags
# and runtime, so that it links a library built with sanitizers or a static
# MSVC runtime).
file(REMOVE_RECURSE "${WORK_DIR}")
set(prefix "${WORK_DIR}/prefix")

function(run_step)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE failed OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(failed)
    message(FATAL_ERROR "${ARGN}\n${out}")
  endif()
endfunction()

set(config_option)
if(CONFIG)
  set(config_option --config "${CONFIG}")
endif()

# The library's own component, as a project that wants only the parser
# installs it: the program must not come with it.
run_step("${CMAKE_COMMAND}" --install "${BUILD_DIR}" ${config_option} --component argparse
         --prefix "${prefix}")
file(GLOB_RECURSE programs RELATIVE "${prefix}" "${prefix}/bin/*")
if(programs)
  message(FATAL_ERROR "the library's component installed programs too: ${programs}")
endif()
# The package's files carry its own name only, so that they share a prefix
# with other argument parsers' packages without overwriting them.
file(GLOB_RECURSE package_files RELATIVE "${prefix}" "${prefix}/*/cmake/*")
foreach(file IN LISTS package_files)
  if(NOT file MATCHES "/cmake/vantrel_argparse/vantrel_argparse[A-Za-z-]*\\.cmake$")
    message(FATAL_ERROR "installed a package file outside its own name: ${file}")
  endif()
endforeach()
if(NOT package_files)
  message(FATAL_ERROR "installed no package files")
endif()
# The licence that lets others ship the library goes with it.
file(GLOB_RECURSE license RELATIVE "${prefix}" "${prefix}/*/doc/vantrel_argparse/LICENSE")
if(NOT license)
  message(FATAL_ERROR "installed no LICENSE under doc/vantrel_argparse")
endif()

set(consumer_options)
# Visual Studio generators pick the compiler themselves.
if(NOT GENERATOR MATCHES "^Visual Studio")
  list(APPEND consumer_options "-DCMAKE_CXX_COMPILER=${CXX_COMPILER}")
endif()
if(MSVC_RUNTIME)
  list(APPEND consumer_options "-DCMAKE_MSVC_RUNTIME_LIBRARY=${MSVC_RUNTIME}")
endif()
run_step("${CMAKE_COMMAND}" -S "${SOURCE_DIR}" -B "${WORK_DIR}/build" -G "${GENERATOR}"
         "-DCMAKE_BUILD_TYPE=${CONFIG}" "-DCMAKE_PREFIX_PATH=${prefix}"
         "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}" ${consumer_options})
run_step("${CMAKE_COMMAND}" --build "${WORK_DIR}/build" ${config_option})

# Single-config generators put the program in the build folder, multi-config
# ones in a folder of the configuration.
file(GLOB_RECURSE consumer "${WORK_DIR}/build/consumer" "${WORK_DIR}/build/consumer.exe")
if(NOT consumer)
  message(FATAL_ERROR "the consumer program was not built")
endif()
list(GET consumer 0 consumer)
# The command lines that the library's documentation gives for this example:
# "arguments|standard output|standard error" ("-" for nothing), and a status
# of 0 exactly when standard error is empty.
foreach(case IN ITEMS "--count;3;-q;4096|count=3 quiet=1 mode=0 size=4096\n|-"
                      "mode=2;4096|count=1 quiet=0 mode=2 size=4096\n|-"
                      "-q|-|(parse error) not enough named_arguments\n")
  string(REPLACE "|" ";" case "${case}")
  list(POP_BACK case expected_err)
  list(POP_BACK case expected_out)
  string(REGEX REPLACE "^-$" "" expected_err "${expected_err}")
  string(REGEX REPLACE "^-$" "" expected_out "${expected_out}")
  execute_process(COMMAND "${consumer}" ${case}
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
  string(REPLACE "\r\n" "\n" out "${out}")
  string(REPLACE "\r\n" "\n" err "${err}")
  set(succeeded FALSE)
  if(status EQUAL 0)
    set(succeeded TRUE)
  endif()
  set(should_succeed FALSE)
  if(expected_err STREQUAL "")
    set(should_succeed TRUE)
  endif()
  if(succeeded STREQUAL should_succeed AND out STREQUAL expected_out
     AND err STREQUAL expected_err)
    continue()
  endif()
  message(FATAL_ERROR "consumer ${case} printed [${out}] and [${err}] with status ${status}, "
                      "not [${expected_out}] and [${expected_err}]")
endforeach()
