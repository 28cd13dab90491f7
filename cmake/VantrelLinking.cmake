# How this project's programs are linked, decided once for all of them: the
# program and the benchmark programs that it is compared with link
# `vantrel_program_link`, the test programs `vantrel_test_link`.
#
# A run of vantrel is over in well under a millisecond, and loading shared
# libraries would take most of it: with the C and C++ runtimes linked in, it
# starts about as fast as a plain C program. On Windows, MinGW-w64 programs
# must carry their runtimes anyway, to start on a machine without the
# toolchain's DLLs. Only GNU-style linkers on Linux and MinGW-w64 get this:
# sanitizer runtimes cannot be linked in, macOS has no static C runtime, and
# MSVC chooses its runtime with CMAKE_MSVC_RUNTIME_LIBRARY instead.
if(MINGW)
  set(vantrel_static_default ON)
elseif(CMAKE_SYSTEM_NAME STREQUAL "Linux"
       AND CMAKE_CXX_COMPILER_ID MATCHES "^(GNU|Clang)$"
       AND NOT CMAKE_CXX_FLAGS MATCHES "-fsanitize")
  set(vantrel_static_default ON)
else()
  set(vantrel_static_default OFF)
endif()
option(VANTREL_STATIC_LINK "Link programs with static runtimes and drop unused sections"
       ${vantrel_static_default})

if(VANTREL_STATIC_LINK AND MSVC)
  message(FATAL_ERROR
    "VANTREL_STATIC_LINK passes -static and --gc-sections, which MSVC's linker does not take. "
    "Leave it OFF and choose the runtime with CMAKE_MSVC_RUNTIME_LIBRARY instead: "
    "MultiThreaded links it into the exe.")
endif()

add_library(vantrel_program_link INTERFACE)
if(VANTREL_STATIC_LINK)
  target_link_options(vantrel_program_link INTERFACE -static LINKER:--gc-sections)
endif()

# The same sources and toolchain give the same program, byte for byte: a PE
# header carries the time of the link unless told not to, and its checksum
# changes with it. (ELF and Mach-O headers hold no time.)
if(MINGW)
  target_link_options(vantrel_program_link INTERFACE LINKER:--no-insert-timestamp)
elseif(MSVC)
  # Not in Debug builds, whose incremental links it would turn off.
  target_compile_options(vantrel_program_link INTERFACE $<$<NOT:$<CONFIG:Debug>>:/Brepro>)
  target_link_options(vantrel_program_link INTERFACE $<$<NOT:$<CONFIG:Debug>>:/Brepro>)
endif()

# Test programs of a Windows cross-build are linked as the program is, so
# that they run under Wine without the toolchain's DLLs on the path. Natively
# they link the usual way, as the GoogleTest they find was built.
add_library(vantrel_test_link INTERFACE)
if(WIN32 AND CMAKE_CROSSCOMPILING)
  target_link_libraries(vantrel_test_link INTERFACE vantrel_program_link)
endif()
