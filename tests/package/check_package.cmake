# Installs the build tree into a scratch prefix, then configures, builds and
# runs a separate project that finds the parser with find_package.
# Variables: BUILD_DIR, SOURCE_DIR, WORK_DIR, CXX_COMPILER, CXX_FLAGS (the
# consumer is built with the same flags, so that it links a library built
# with sanitizers).
file(REMOVE_RECURSE "${WORK_DIR}")
set(prefix "${WORK_DIR}/prefix")

function(run_step)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE failed OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(failed)
    message(FATAL_ERROR "${ARGN}\n${out}")
  endif()
endfunction()

run_step("${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}")
run_step("${CMAKE_COMMAND}" -S "${SOURCE_DIR}" -B "${WORK_DIR}/build"
         "-DCMAKE_PREFIX_PATH=${prefix}" "-DCMAKE_CXX_COMPILER=${CXX_COMPILER}"
         "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}")
run_step("${CMAKE_COMMAND}" --build "${WORK_DIR}/build")

execute_process(COMMAND "${WORK_DIR}/build/consumer" --count 3 -q
                OUTPUT_VARIABLE out RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT out STREQUAL "count=3 quiet=1\n")
  message(FATAL_ERROR "consumer printed [${out}] with status ${status}")
endif()
