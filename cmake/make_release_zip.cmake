# cmake -DEXECUTABLE=<vantrel.exe> -DREADME=<README.md> -DLICENSE=<LICENSE>
#       -DSTRIP=<strip or empty> -DZIP=<Info-ZIP zip> -DSOURCE_DIR=<checkout>
#       -DOUTPUT=<folder>/<name>.zip -P make_release_zip.cmake
#
# Makes the release zip: one folder, named after the zip, holding README.md,
# LICENSE and the stripped vantrel.exe. One commit built with one toolchain
# gives the same bytes wherever, whenever and by whomever it is built:
# - every entry carries one time: SOURCE_DATE_EPOCH when it is set, else the
#   date of the checkout's commit, else (no repository) 1980-01-01, the
#   earliest time a zip holds;
# - the README and the licence are stored with mode 644, the exe with 755,
#   in that order;
# - zip -X leaves out the owner and the file times that it would otherwise
#   add, and the zip runs in UTC, as an entry's time is a local time;
# - the exe's PE header holds no time, as the link left it.
cmake_minimum_required(VERSION 3.25)

foreach(input EXECUTABLE README LICENSE SOURCE_DIR OUTPUT)
  if(NOT ${input})
    message(FATAL_ERROR "make_release_zip.cmake needs -D${input}=...")
  endif()
endforeach()
get_filename_component(OUTPUT "${OUTPUT}" ABSOLUTE)
if(NOT ZIP OR NOT EXISTS "${ZIP}")
  message(FATAL_ERROR "No zip program found (Info-ZIP's zip; Debian: zip): '${ZIP}'")
endif()

set(zip_epoch_floor 315532800) # 1980-01-01 00:00:00 UTC
if(NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
  set(epoch "$ENV{SOURCE_DATE_EPOCH}")
  set(epoch_source "SOURCE_DATE_EPOCH")
  if(NOT epoch MATCHES "^[0-9]+$" OR epoch LESS zip_epoch_floor)
    message(FATAL_ERROR "SOURCE_DATE_EPOCH='${epoch}' is not a time from 1980 on, "
                        "in seconds since 1970")
  endif()
elseif(EXISTS "${SOURCE_DIR}/.git")
  # A repository that git cannot read (no git, or one it does not trust)
  # must not quietly give the zip another date.
  find_program(git_program git REQUIRED)
  execute_process(COMMAND "${git_program}" -C "${SOURCE_DIR}" log -1 --format=%ct
    OUTPUT_VARIABLE epoch ERROR_VARIABLE git_error OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "No commit date from git in ${SOURCE_DIR}:\n${git_error}"
                        "Set SOURCE_DATE_EPOCH to date the zip.")
  endif()
  set(epoch_source "the commit's date")
else()
  set(epoch ${zip_epoch_floor})
  set(epoch_source "no SOURCE_DATE_EPOCH and no repository")
endif()

get_filename_component(output_dir "${OUTPUT}" DIRECTORY)
get_filename_component(top "${OUTPUT}" NAME_WLE)
set(staging "${output_dir}/release-zip-staging")
file(REMOVE_RECURSE "${staging}")
file(MAKE_DIRECTORY "${staging}/${top}")

file(COPY_FILE "${README}" "${staging}/${top}/README.md")
file(COPY_FILE "${LICENSE}" "${staging}/${top}/LICENSE")
if(STRIP)
  # strip writes a time into the PE header: SOURCE_DATE_EPOCH, else the
  # time of its run. 0 leaves the header as the link made it, with none.
  execute_process(COMMAND "${CMAKE_COMMAND}" -E env SOURCE_DATE_EPOCH=0
                          "${STRIP}" -o "${staging}/${top}/vantrel.exe" "${EXECUTABLE}"
                  COMMAND_ERROR_IS_FATAL ANY)
else()
  file(COPY_FILE "${EXECUTABLE}" "${staging}/${top}/vantrel.exe")
endif()
file(CHMOD "${staging}/${top}/README.md" "${staging}/${top}/LICENSE"
     PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
file(CHMOD "${staging}/${top}/vantrel.exe" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
     GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(entries "${top}/README.md" "${top}/LICENSE" "${top}/vantrel.exe")
execute_process(COMMAND touch -d "@${epoch}" ${entries}
                WORKING_DIRECTORY "${staging}" COMMAND_ERROR_IS_FATAL ANY)
# zip adds to an archive that is there already. ZIPOPT and ZIP would add
# options of the caller's.
file(REMOVE "${OUTPUT}")
execute_process(
  COMMAND "${CMAKE_COMMAND}" -E env --unset=ZIPOPT --unset=ZIP TZ=UTC0
          "${ZIP}" -X -D -9 -q "${OUTPUT}" ${entries}
  WORKING_DIRECTORY "${staging}" COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE_RECURSE "${staging}")
message(STATUS "${OUTPUT}: entries dated ${epoch} (${epoch_source})")
