# What the Windows tests of processes and HTTP need beyond the unit test
# program of cmake/windows.cmake, which includes this at its end:
# - the child the process tests start (tests/platform/child_probe_main.cpp),
#   beside the unit test program;
# - the integration test program: the HTTP client's tests against the
#   stand-in servers of the test process (raw sockets, and cpp-httplib, whose
#   header-only source scripts/build-windows-deps.sh puts into the cache
#   prefix) and, for TLS, tests/fixtures/tls_front.py, a Linux program that
#   Wine starts beside the test program.
add_executable(vistra_child_probe tests/platform/child_probe_main.cpp)
target_compile_definitions(vistra_unit_tests PRIVATE VISTRA_CHILD_PROBE="vistra_child_probe.exe")
add_dependencies(vistra_unit_tests vistra_child_probe)

find_path(VISTRA_HTTPLIB_INCLUDE httplib.h REQUIRED)
add_library(vistra_fixtures STATIC
            tests/fixtures/scripted_server.cpp tests/fixtures/stand_in_server.cpp
            tests/fixtures/tls_certificate_windows.cpp)
target_include_directories(vistra_fixtures PUBLIC ${CMAKE_SOURCE_DIR} ${VISTRA_HTTPLIB_INCLUDE})
target_compile_definitions(vistra_fixtures PRIVATE VISTRA_FIXTURES_DIR="${CMAKE_SOURCE_DIR}/tests/fixtures")
target_link_libraries(vistra_fixtures PUBLIC vistra_core ws2_32)

add_executable(vistra_integration_tests tests/net/http_client_itest.cpp tests/test_main.cpp)
target_link_libraries(vistra_integration_tests PRIVATE vistra_fixtures GTest::gtest)
gtest_discover_tests(vistra_integration_tests PROPERTIES LABELS integration DISCOVERY_TIMEOUT 120)
