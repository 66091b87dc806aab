# The Windows tests of platform/'s processes, adapters and HTTP client,
# under Wine through ctest: the process runs and the argument quoting
# (against Windows' own split and a real child), and the HTTP client's integration tests against the stand-in
# servers of the test process (raw sockets and cpp-httplib, whose
# header-only source scripts/build-windows-deps.sh puts into the cache
# prefix) and, for TLS, the Linux front tests/fixtures/tls_front.py that
# Wine starts beside the test program. Included from cmake/windows.cmake.
enable_testing()
find_package(GTest CONFIG REQUIRED)
include(GoogleTest)
find_path(VISTRA_HTTPLIB_INCLUDE httplib.h REQUIRED)

add_library(vistra_windows_fixtures STATIC
            tests/fixtures/scripted_server.cpp tests/fixtures/stand_in_server.cpp
            tests/fixtures/tls_certificate_windows.cpp)
target_include_directories(vistra_windows_fixtures PUBLIC ${CMAKE_SOURCE_DIR} ${VISTRA_HTTPLIB_INCLUDE})
target_compile_definitions(vistra_windows_fixtures PRIVATE VISTRA_FIXTURES_DIR="${CMAKE_SOURCE_DIR}/tests/fixtures")
target_link_libraries(vistra_windows_fixtures PUBLIC vistra_core ws2_32)

# The child of the process tests, whose C runtime splits the quoted
# command lines.
add_executable(vistra_child_probe tests/platform/child_probe_main.cpp)

add_executable(vistra_windows_platform_tests tests/net/http_client_itest.cpp
               tests/platform/command_line_quoting_test.cpp tests/platform/network_adapters_test.cpp
               tests/platform/process_windows_test.cpp tests/platform/shared_library_windows_test.cpp)
target_compile_definitions(vistra_windows_platform_tests PRIVATE VISTRA_CHILD_PROBE="vistra_child_probe.exe")
target_link_libraries(vistra_windows_platform_tests PRIVATE vistra_windows_fixtures GTest::gtest_main shell32)
add_dependencies(vistra_windows_platform_tests vistra_child_probe)
gtest_discover_tests(vistra_windows_platform_tests PROPERTIES LABELS windows DISCOVERY_TIMEOUT 120)
