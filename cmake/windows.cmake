# The Windows build (cmake --preset windows; scripts/build-windows.sh): the
# program's code with Windows' own services from platform/, and the test
# programs, run under Wine through ctest. Included from the top
# CMakeLists.txt, which returns after it.
set(VISTRA_WINDOWS_CORE_DIRS app net store i18n catalog panel extras state player ui platform)
# The test folders whose code the Windows core holds; of tests/platform only
# the tests of services that Windows has (see below).
set(VISTRA_WINDOWS_TEST_DIRS net store i18n catalog panel extras ui/render ui/screens ui/modals ui/nav)

# Unicode Win32 (the W functions), Windows 10 and later, no min/max macros.
add_compile_definitions(UNICODE _UNICODE _WIN32_WINNT=0x0A00 WINVER=0x0A00 NOMINMAX WIN32_LEAN_AND_MEAN)
# One self-contained program per target: the C++ runtime, libgcc and
# winpthread linked in, so neither Wine nor a user's machine needs the
# mingw DLLs beside it.
add_link_options(-static)

find_package(Threads REQUIRED)
find_package(fmt CONFIG REQUIRED)
find_package(expat CONFIG REQUIRED)
# zlib linked in as well (Debian ships its import library too).
set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)
find_library(QRENCODE_LIBRARY qrencode REQUIRED)
find_path(QRENCODE_INCLUDE_DIR qrencode.h REQUIRED)

include(${CMAKE_SOURCE_DIR}/cmake/core_sources.cmake)
vistra_core_sources(VISTRA_SOURCES ${VISTRA_WINDOWS_CORE_DIRS})
# The interface texts: the same PO compiler as on Linux, built for Windows
# and run through the emulator.
vistra_text_tables(VISTRA_SOURCES)

add_library(vistra_core STATIC ${VISTRA_SOURCES})
target_include_directories(vistra_core PUBLIC ${CMAKE_SOURCE_DIR})
# The program looks for its icon in share/ beside itself, installed as in
# the build folder.
target_compile_definitions(vistra_core PRIVATE VISTRA_DEFAULT_PANEL_URL="${VISTRA_PANEL_URL}" VISTRA_BIN_TO_DATA="share")
target_link_libraries(vistra_core PUBLIC fmt::fmt Threads::Threads PRIVATE expat::expat ZLIB::ZLIB ${QRENCODE_LIBRARY})
target_include_directories(vistra_core PRIVATE ${QRENCODE_INCLUDE_DIR})
# Windows' own services (platform/*_windows.cpp): CNG, the shell (known
# folders, opening pages), WinHTTP with the certificate store, IP Helper,
# Direct2D, DirectWrite and WIC.
target_link_libraries(vistra_core PUBLIC bcrypt shell32 ole32 winhttp crypt32 iphlpapi ws2_32 d2d1 dwrite windowscodecs)
# The host window: Win32 windows and GDI, DXGI (the adapter's name), the
# desktop window manager.
target_link_libraries(vistra_core PUBLIC user32 gdi32 dxgi dwmapi uuid)

# The program: a window program (no console), libmpv-2.dll and its DLLs
# beside it, loaded when the first player starts.
add_executable(vistra WIN32 app/main.cpp)
target_link_libraries(vistra PRIVATE vistra_core)

enable_testing()
find_package(GTest CONFIG REQUIRED)
include(GoogleTest)
# Each test program runs as a few processes, each a share of its tests
# (GoogleTest's sharding), not one process per test as on Linux: under Wine
# a process costs a second or more to start, and a window's Direct2D target
# seconds more, which one per test would pay some four hundred times. A
# failing share prints the names of its failing tests.
function(vistra_add_test_shards target label shards)
  math(EXPR last "${shards} - 1")
  foreach(index RANGE ${last})
    add_test(NAME ${target}.share${index} COMMAND ${target})
    set_tests_properties(${target}.share${index} PROPERTIES LABELS ${label} TIMEOUT 900
                         ENVIRONMENT "GTEST_TOTAL_SHARDS=${shards};GTEST_SHARD_INDEX=${index}")
  endforeach()
endfunction()
set(VISTRA_WINDOWS_TEST_SOURCES)
foreach(dir ${VISTRA_WINDOWS_TEST_DIRS})
  file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${dir}/*_test.cpp)
  list(APPEND VISTRA_WINDOWS_TEST_SOURCES ${found})
endforeach()
# A test of platform/NAME runs where Windows has that service, unless the
# service has a Windows test of its own (NAME_windows_test.cpp: the Linux
# one starts shells or xdg-open), which runs instead.
file(GLOB platform_tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/platform/*_test.cpp)
foreach(test ${platform_tests})
  get_filename_component(name ${test} NAME)
  string(REGEX REPLACE "(_windows)?_test\\.cpp$" "" service ${name})
  if(name MATCHES "_windows_test\\.cpp$")
    list(APPEND VISTRA_WINDOWS_TEST_SOURCES ${test})
  elseif(EXISTS ${CMAKE_SOURCE_DIR}/tests/platform/${service}_windows_test.cpp)
    continue()
  elseif(EXISTS ${CMAKE_SOURCE_DIR}/platform/${service}_windows.cpp OR ${service}.cpp IN_LIST VISTRA_PORTABLE_PLATFORM_SOURCES)
    list(APPEND VISTRA_WINDOWS_TEST_SOURCES ${test})
  endif()
endforeach()

add_executable(vistra_unit_tests ${VISTRA_WINDOWS_TEST_SOURCES} tests/fixtures/gzip_text.cpp tests/test_main.cpp)
target_compile_definitions(vistra_unit_tests PRIVATE VISTRA_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
                           VISTRA_PO_DIR="${VISTRA_PO_DIR}" VISTRA_FUZZ_DIR="${CMAKE_SOURCE_DIR}/tests/fuzz")
target_link_libraries(vistra_unit_tests PRIVATE vistra_core vistra_po GTest::gtest GTest::gmock ZLIB::ZLIB)
vistra_add_test_shards(vistra_unit_tests unit 4)

include(${CMAKE_SOURCE_DIR}/cmake/windows_platform_tests.cmake)
include(${CMAKE_SOURCE_DIR}/cmake/windows_package.cmake)
