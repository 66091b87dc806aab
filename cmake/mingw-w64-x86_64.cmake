# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (the -posix
# thread model, so std::thread and std::mutex work). The third-party
# libraries Windows lacks are built by scripts/build-windows-deps.sh into a
# cache folder outside the tree; the test programs run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VISTRA_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VISTRA_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VISTRA_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${VISTRA_MINGW}-windres)

# The cache folder of the cross-built libraries (the same default as the
# scripts'); the environment decides, so every configure of a build folder
# finds the same one.
if(DEFINED ENV{VISTRA_WINDOWS_CACHE} AND NOT "$ENV{VISTRA_WINDOWS_CACHE}" STREQUAL "")
  set(VISTRA_WINDOWS_CACHE "$ENV{VISTRA_WINDOWS_CACHE}")
else()
  set(VISTRA_WINDOWS_CACHE "$ENV{HOME}/.cache/vistra-windows")
endif()
set(VISTRA_WINDOWS_PREFIX "${VISTRA_WINDOWS_CACHE}/prefix")

set(CMAKE_FIND_ROOT_PATH ${VISTRA_WINDOWS_PREFIX} /usr/${VISTRA_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows programs built here run under Wine: the tests through ctest and
# gtest_discover_tests, the build-time tools through this same emulator. The
# wrapper gives Wine its own prefix in the cache folder and silences its
# debug channels.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
