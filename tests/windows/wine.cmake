# Windows test programs of a cross-build run under Wine, in one private
# prefix of this build tree: CMAKE_CROSSCOMPILING_EMULATOR puts wine-run in
# front of every test program, for its tests and for their discovery.
# Included from the top level, so that every folder with tests sees it.
set(vantrel_on_wine ON)
find_program(VANTREL_WINE wine64 PATHS /usr/lib/wine REQUIRED)
find_program(VANTREL_WINESERVER wineserver PATHS /usr/lib/wine REQUIRED)
# Used by the test scripts from PATH; looked for here so that a machine
# without them fails at configure time, not in the middle of a test run.
# Xvfb is the X display that Wine needs for a new console's window.
find_program(VANTREL_XVFB Xvfb REQUIRED)
find_program(VANTREL_PERL perl REQUIRED)
find_program(VANTREL_FLOCK flock REQUIRED)

set(vantrel_wine_environment
  "VANTREL_WINEPREFIX=${PROJECT_BINARY_DIR}/tests/windows/wine-prefix"
  "VANTREL_WINE=${VANTREL_WINE}"
  "VANTREL_WINESERVER=${VANTREL_WINESERVER}")
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR
    "${CMAKE_COMMAND}" -E env ${vantrel_wine_environment}
    "${CMAKE_CURRENT_LIST_DIR}/wine-run")
endif()

# Tests under Wine need its prefix: the emulator makes it if need be, and the
# wine fixture (tests/windows) ends its server after the run.
set(vantrel_wine_test_properties FIXTURES_REQUIRED wine)
