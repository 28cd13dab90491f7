# Included by the package tests: how a consumer is configured and built so
# that it links the library as this build made it. Sets configure_options
# (the generator and its platform, the configuration, the compiler, its
# flags and MSVC runtime) and config_option (for --build and --install).
# Variables: GENERATOR, PLATFORM, CONFIG, CXX_COMPILER, CXX_FLAGS,
# MSVC_RUNTIME.
set(config_option)
if(CONFIG)
  set(config_option --config "${CONFIG}")
endif()
set(configure_options -G "${GENERATOR}" "-DCMAKE_BUILD_TYPE=${CONFIG}"
                      "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}")
# Visual Studio generators pick the compiler themselves.
if(NOT GENERATOR MATCHES "^Visual Studio")
  list(APPEND configure_options "-DCMAKE_CXX_COMPILER=${CXX_COMPILER}")
endif()
if(MSVC_RUNTIME)
  list(APPEND configure_options "-DCMAKE_MSVC_RUNTIME_LIBRARY=${MSVC_RUNTIME}")
endif()
# The build's platform (Visual Studio's -A), so that both link the same one.
if(PLATFORM)
  list(APPEND configure_options -A "${PLATFORM}")
endif()
