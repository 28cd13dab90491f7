# Warning flags for this project's own targets, kept off the global flags so
# that a project embedding us keeps its own.
option(VANTREL_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)

add_library(vantrel_warnings INTERFACE)
if(MSVC)
  target_compile_options(vantrel_warnings INTERFACE /W4 /permissive-
                         $<$<BOOL:${VANTREL_WARNINGS_AS_ERRORS}>:/WX>)
  # The standard C functions and their POSIX names are what the code means;
  # MSVC's advice to use its _s and underscore variants is not taken.
  target_compile_definitions(vantrel_warnings INTERFACE _CRT_SECURE_NO_WARNINGS
                             _CRT_NONSTDC_NO_WARNINGS)
else()
  target_compile_options(vantrel_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual -Wformat=2
    $<$<BOOL:${VANTREL_WARNINGS_AS_ERRORS}>:-Werror>)
  # Clang can warn about what MSVC's /W4 rejects: unreachable code (C4702),
  # every kind of shadowing (C4456 to C4459) and narrowing conversions (C4244,
  # C4267). Turned on here, they are caught on Linux and macOS first.
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    target_compile_options(vantrel_warnings INTERFACE -Wunreachable-code -Wshadow-all
                           -Wimplicit-int-conversion -Wshorten-64-to-32)
  endif()
endif()
