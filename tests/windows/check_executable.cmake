# cmake -DEXECUTABLE=... -DOBJDUMP=... -DVERSION=X.Y.Z -DVERSION_TEXT=... -P check_executable.cmake
cmake_minimum_required(VERSION 3.25)
# Checks what vantrel.exe carries: it imports only the kernel and the C
# runtime, and it holds the application manifest and the version resource
# filled in from the project version.
set(problems)

execute_process(COMMAND "${OBJDUMP}" -p "${EXECUTABLE}"
  OUTPUT_VARIABLE headers RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} could not read ${EXECUTABLE}")
endif()

# Imports: a DLL of the MinGW runtime here (libstdc++-6.dll, libgcc_s_seh-1.dll,
# libwinpthread-1.dll) would keep the exe from starting on a bare Windows, and
# any other system DLL would be loaded by every run: the shell, which only the
# relaunch needs, is loaded by the relaunch itself.
set(allowed_dlls kernel32.dll msvcrt.dll ucrtbase.dll)
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
if(NOT imports)
  list(APPEND problems "no imported DLL found in the headers")
endif()
set(dlls)
foreach(import IN LISTS imports)
  string(REGEX REPLACE "^DLL Name: " "" dll "${import}")
  string(TOLOWER "${dll}" dll)
  list(APPEND dlls ${dll})
  if(NOT dll IN_LIST allowed_dlls AND NOT dll MATCHES "^api-ms-win-crt-")
    list(APPEND problems "imports ${dll}, which is neither the kernel nor the C runtime")
  endif()
endforeach()

# Resource types: 16 is the version resource, 24 the manifest.
# Type entries are the ones indented by three spaces.
foreach(type 0x000010 0x000018)
  if(NOT headers MATCHES "\n[0-9a-f]+   Entry: ID: ${type},")
    list(APPEND problems "no resource of type ${type}")
  endif()
endforeach()
# Windows reads an exe's own manifest under the name 1 only (2 is a DLL's).
if(NOT headers MATCHES "Entry: ID: 0x000018,[^\n]*\n[^\n]*Name Table[^\n]*\n[0-9a-f]+     Entry: ID: 0x000001,")
  list(APPEND problems "the manifest is not resource 1 of type 24, which Windows reads for an exe")
endif()

# The manifest's request, as text.
file(STRINGS "${EXECUTABLE}" execution_level REGEX "<requestedExecutionLevel ")
if(NOT execution_level MATCHES "level=\"asInvoker\" uiAccess=\"false\"")
  list(APPEND problems "no manifest requesting asInvoker without uiAccess")
endif()
# Each Windows the manifest declares, by its compatibility GUID: one left
# out is run with that Windows's older behaviour and told an older version.
file(STRINGS "${EXECUTABLE}" supported_os REGEX "<supportedOS ")
foreach(os "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a=Windows 10 and 11"
           "1f676c76-80e1-4239-95bb-83d0f6d0da78=Windows 8.1"
           "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38=Windows 8"
           "35138b9a-5d96-4fbd-8e2d-a2440225f93a=Windows 7")
  string(REGEX REPLACE "=.*" "" guid "${os}")
  string(REGEX REPLACE "^[^=]*=" "" name "${os}")
  string(FIND "${supported_os}" "<supportedOS Id=\"{${guid}}\"/>" found)
  if(found EQUAL -1)
    list(APPEND problems "the manifest does not declare ${name} (supportedOS ${guid})")
  endif()
endforeach()

# The version strings, in UTF-16 as the resource stores them: each name
# followed by its value. The texts of a binary can hold brackets, which CMake's
# list commands treat specially, so they are searched as one string.
file(STRINGS "${EXECUTABLE}" texts ENCODING UTF-16LE)
foreach(pair "FileVersion=${VERSION}" "ProductVersion=${VERSION_TEXT}" "ProductName=vantrel"
             "OriginalFilename=vantrel.exe")
  string(REPLACE "=" ";" wanted "${pair}")
  string(FIND "${texts};" "${wanted};" found)
  if(found EQUAL -1)
    list(APPEND problems "no version string ${pair}")
  endif()
endforeach()
string(FIND "${texts}" ";FileDescription;" description)
if(description EQUAL -1)
  list(APPEND problems "no FileDescription in the version resource")
endif()

# The numeric file and product versions, as the fixed part of the version
# resource stores them: after the signature 0xFEEF04BD and the structure
# version 1.0 come major.minor and patch.0, each 32-bit half little-endian.
function(little_endian_16 value out)
  set(bytes "")
  foreach(shift 0 8)
    math(EXPR byte "(${value} >> ${shift}) & 0xFF" OUTPUT_FORMAT HEXADECIMAL)
    string(REGEX REPLACE "^0x(.)$" "0x0\\1" byte "${byte}")
    string(SUBSTRING "${byte}" 2 2 byte)
    string(APPEND bytes "${byte}")
  endforeach()
  string(TOLOWER "${bytes}" bytes)
  set(${out} "${bytes}" PARENT_SCOPE)
endfunction()
string(REPLACE "." ";" numbers "${VERSION}")
list(GET numbers 0 major)
list(GET numbers 1 minor)
list(GET numbers 2 patch)
little_endian_16(${major} major)
little_endian_16(${minor} minor)
little_endian_16(${patch} patch)
set(version_hex "${minor}${major}0000${patch}")
file(READ "${EXECUTABLE}" bytes HEX)
string(FIND "${bytes}" "bd04effe00000100${version_hex}${version_hex}" fixed_info)
if(fixed_info EQUAL -1)
  list(APPEND problems "the numeric file and product versions are not ${VERSION}.0")
else()
  # Then the flags mask and the flags, 32 bits each: VS_FF_PRERELEASE (0x2),
  # in both, marks an exe whose version text has a suffix ("0.2.3-beta").
  math(EXPR flags_at "${fixed_info} + 48")
  string(SUBSTRING "${bytes}" ${flags_at} 2 mask)
  math(EXPR flags_at "${flags_at} + 8")
  string(SUBSTRING "${bytes}" ${flags_at} 2 flags)
  math(EXPR prerelease "0x${mask} & 0x${flags} & 0x2")
  if(VERSION_TEXT STREQUAL VERSION)
    set(wanted 0)
  else()
    set(wanted 2)
  endif()
  if(NOT prerelease EQUAL wanted)
    list(APPEND problems "VS_FF_PRERELEASE is ${prerelease} in the version resource's flags, not ${wanted}, for the version ${VERSION_TEXT}")
  endif()
endif()

if(problems)
  list(JOIN problems "\n  " problems)
  message(FATAL_ERROR "${EXECUTABLE}:\n  ${problems}")
endif()
list(JOIN dlls ", " dlls)
message(STATUS "${EXECUTABLE}: imports ${dlls}; manifest and version ${VERSION} present")
