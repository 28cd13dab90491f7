# Cross-builds the Windows x86-64 executable on Linux with MinGW-w64
# (Debian: g++-mingw-w64-x86-64, binutils-mingw-w64-x86-64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VANTREL_MINGW_PREFIX x86_64-w64-mingw32 CACHE STRING "Target triple of the MinGW-w64 tools")
# The posix thread model where there is a choice (Debian installs both): its
# C++ runtime has std::mutex, which GoogleTest needs and which the win32
# model lacks before GCC 13. MSYS2's MinGW-w64 compilers use it too.
find_program(VANTREL_MINGW_CC NAMES ${VANTREL_MINGW_PREFIX}-gcc-posix ${VANTREL_MINGW_PREFIX}-gcc
             REQUIRED)
find_program(VANTREL_MINGW_CXX NAMES ${VANTREL_MINGW_PREFIX}-g++-posix ${VANTREL_MINGW_PREFIX}-g++
             REQUIRED)
set(CMAKE_C_COMPILER ${VANTREL_MINGW_CC})
set(CMAKE_CXX_COMPILER ${VANTREL_MINGW_CXX})
set(CMAKE_RC_COMPILER ${VANTREL_MINGW_PREFIX}-windres)

# Look for libraries and headers of the target only, programs of the host.
set(CMAKE_FIND_ROOT_PATH /usr/${VANTREL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
