# cmake -DMAKE_ZIP=<make_release_zip.cmake> -DEXECUTABLE=... -DREADME=...
#       -DLICENSE=... -DSTRIP=... -DZIP=... -DUNZIP=... -DSOURCE_DIR=...
#       -DNAME=<zip name> -DWORK=<scratch folder> -P check_release_zip.cmake
#
# Makes the release zip in a scratch folder, twice, and checks what it holds
# and how: README.md, LICENSE and vantrel.exe in that order in one top
# folder, nothing else, with modes 644, 644 and 755, no extra fields, and
# the time that the build asked for.
# The first zip is dated by SOURCE_DATE_EPOCH, made in a time zone other than
# UTC; the second by the checkout's commit.
cmake_minimum_required(VERSION 3.25)

# The time zipinfo shows for an entry made at `epoch`, in UTC: a zip keeps
# even seconds only, and zip rounds up.
function(zip_time epoch out)
  math(EXPR even "(${epoch} + 1) / 2 * 2")
  set(ENV{SOURCE_DATE_EPOCH} ${even})
  string(TIMESTAMP time "%Y%m%d.%H%M%S" UTC)
  unset(ENV{SOURCE_DATE_EPOCH})
  set(${out} ${time} PARENT_SCOPE)
endfunction()

function(check_zip label epoch)
  set(zip "${WORK}/${NAME}")
  file(REMOVE_RECURSE "${WORK}")
  execute_process(
    COMMAND "${CMAKE_COMMAND}" -E env ${ARGN} "${CMAKE_COMMAND}" "-DEXECUTABLE=${EXECUTABLE}"
            "-DREADME=${README}" "-DLICENSE=${LICENSE}" "-DSTRIP=${STRIP}" "-DZIP=${ZIP}"
            "-DSOURCE_DIR=${SOURCE_DIR}" "-DOUTPUT=${zip}" -P "${MAKE_ZIP}"
    OUTPUT_VARIABLE log ERROR_VARIABLE log RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${label}: the zip was not made:\n${log}")
  endif()
  execute_process(COMMAND "${UNZIP}" -Z -T "${zip}"
    OUTPUT_VARIABLE listing RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${label}: cannot list ${zip}")
  endif()

  # zipinfo: mode, zip version and system, size, text or binary and then
  # "-" for an entry without extra fields, method, time, name.
  get_filename_component(top "${NAME}" NAME_WLE)
  string(REPLACE "." "\\." top "${top}")
  zip_time(${epoch} time)
  set(expected
    "\n-rw-r--r--  3\\.0 unx +[0-9]+ t- defX ${time} ${top}/README\\.md\n"
    "-rw-r--r--  3\\.0 unx +[0-9]+ t- defX ${time} ${top}/LICENSE\n"
    "-rwxr-xr-x  3\\.0 unx +[0-9]+ b- defX ${time} ${top}/vantrel\\.exe\n"
    "3 files, ")
  string(JOIN "" expected ${expected})
  if(NOT listing MATCHES "${expected}")
    message(FATAL_ERROR "${label}: ${zip} holds:\n${listing}\nexpected (as a pattern):\n${expected}")
  endif()
  message(STATUS "${label}: ${listing}")
endfunction()

check_zip("dated by SOURCE_DATE_EPOCH" 1700000001 SOURCE_DATE_EPOCH=1700000001 TZ=JST-9)

if(EXISTS "${SOURCE_DIR}/.git")
  find_program(git_program git REQUIRED)
  execute_process(COMMAND "${git_program}" -C "${SOURCE_DIR}" log -1 --format=%ct
    OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
else()
  set(commit_time 315532800) # no repository: the earliest time a zip holds
endif()
check_zip("dated by the commit" ${commit_time} --unset=SOURCE_DATE_EPOCH)
