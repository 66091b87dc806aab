# What the Windows tests of processes and HTTP need beyond the unit test
# program of cmake/windows.cmake, which includes this at its end:
# - the child the process tests start (tests/platform/child_probe_main.cpp),
#   beside the unit test program;
# - the integration test program: the tests of the HTTP client and of the
#   catalog, panel and extras code that uses it, against the stand-in
#   servers of the test process (raw sockets, and cpp-httplib, whose
#   header-only source scripts/build-windows-deps.sh puts into the cache
#   prefix) and, for TLS, tests/fixtures/tls_front.py, a Linux program that
#   Wine starts beside the test program.
add_executable(vistra_child_probe tests/platform/child_probe_main.cpp)
target_compile_definitions(vistra_unit_tests PRIVATE VISTRA_CHILD_PROBE="vistra_child_probe.exe")
add_dependencies(vistra_unit_tests vistra_child_probe)

find_path(VISTRA_HTTPLIB_INCLUDE httplib.h REQUIRED)
file(GLOB VISTRA_WINDOWS_FIXTURES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fixtures/*.cpp)
# Programs and tests kept beside the fixtures; the certificate made with
# OpenSSL (its Windows twin makes it with the openssl tool); the demo's
# media, which ffmpeg makes on Linux.
list(FILTER VISTRA_WINDOWS_FIXTURES EXCLUDE REGEX ".*_(main|test|itest)\\.cpp$")
list(FILTER VISTRA_WINDOWS_FIXTURES EXCLUDE REGEX ".*/(tls_certificate|demo_[a-z_]+|media_[a-z]+)\\.cpp$")
add_library(vistra_fixtures STATIC ${VISTRA_WINDOWS_FIXTURES})
target_include_directories(vistra_fixtures PUBLIC ${CMAKE_SOURCE_DIR} ${VISTRA_HTTPLIB_INCLUDE})
target_compile_definitions(vistra_fixtures PRIVATE VISTRA_FIXTURES_DIR="${CMAKE_SOURCE_DIR}/tests/fixtures")
# httplib brings in windows.h, whose user-interface macros (PostMessage,
# SendMessage) would rename the panel's functions of those names.
target_compile_definitions(vistra_fixtures PUBLIC NOUSER)
target_link_libraries(vistra_fixtures PUBLIC vistra_core ws2_32)

set(VISTRA_WINDOWS_INTEGRATION_SOURCES)
foreach(dir ${VISTRA_WINDOWS_TEST_DIRS})
  file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${dir}/*_itest.cpp)
  list(APPEND VISTRA_WINDOWS_INTEGRATION_SOURCES ${found})
endforeach()
# Not in the Windows core yet: what paints or decodes pictures (trending),
# app/'s jobs (the guide's), the demo provider and its media (XMLTV).
list(FILTER VISTRA_WINDOWS_INTEGRATION_SOURCES EXCLUDE REGEX
     ".*/tests/(extras/trending|catalog/guide|catalog/xmltv_reader)_itest\\.cpp$")
add_executable(vistra_integration_tests ${VISTRA_WINDOWS_INTEGRATION_SOURCES} tests/test_main.cpp)
target_link_libraries(vistra_integration_tests PRIVATE vistra_fixtures GTest::gtest)
vistra_add_test_shards(vistra_integration_tests integration 2)

# Plays a clip through the host window and the video layer (the engine's own
# output in a child window), for trying libmpv under Wine or on Windows.
add_executable(vistra_wid_probe tests/e2e/wid_probe_windows_main.cpp)
target_link_libraries(vistra_wid_probe PRIVATE vistra_core)
