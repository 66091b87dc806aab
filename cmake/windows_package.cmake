# What the Windows installer (scripts/package-windows.sh) takes from the
# Windows build beyond the program: its icon and version information, and
# the demo's stand-in server. Included at the end of cmake/windows.cmake.

# The program's resources: the version information Explorer shows in the
# file's properties, and the icon (resource 1, which the window class loads)
# when an .ico is given. The .ico is made from the rendered icon PNGs by the
# packaging script; a build without one still builds, with Windows' default
# icon.
set(VISTRA_WINDOWS_ICON "" CACHE FILEPATH "The program's icon (.ico) to embed in vistra.exe")
set(VISTRA_RC_ICON_LINE "")
if(VISTRA_WINDOWS_ICON AND EXISTS "${VISTRA_WINDOWS_ICON}")
  set(VISTRA_RC_ICON_LINE "1 ICON \"${VISTRA_WINDOWS_ICON}\"")
endif()
configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/vistra.rc.in ${CMAKE_BINARY_DIR}/generated/vistra.rc @ONLY)
enable_language(RC)
# Attached once the whole folder is read, wherever the program's target is
# made.
function(vistra_embed_resources)
  if(NOT TARGET vistra)
    return()
  endif()
  target_sources(vistra PRIVATE ${CMAKE_BINARY_DIR}/generated/vistra.rc)
  if(VISTRA_RC_ICON_LINE)
    set_source_files_properties(${CMAKE_BINARY_DIR}/generated/vistra.rc PROPERTIES OBJECT_DEPENDS "${VISTRA_WINDOWS_ICON}")
  endif()
endfunction()
cmake_language(DEFER CALL vistra_embed_resources)

# The demo's stand-in server, for a Windows user trying Vistra without a
# provider: the demo catalog, its guide and the media made on Linux at
# packaging time. What probes the media with ffmpeg stays Linux's.
add_library(vistra_demo_fixtures STATIC
            tests/fixtures/demo_catalog.cpp tests/fixtures/demo_live_loop.cpp
            tests/fixtures/demo_provider.cpp tests/fixtures/media_routes.cpp)
target_link_libraries(vistra_demo_fixtures PUBLIC vistra_fixtures)
add_executable(vistra_standin tests/fixtures/standin_main.cpp)
target_link_libraries(vistra_standin PRIVATE vistra_demo_fixtures)

# The demo's live loop and the archive's reading of start times run the
# same tests on Windows, where its C runtime does the UTC conversions.
add_executable(vistra_demo_tests tests/fixtures/demo_live_loop_test.cpp tests/test_main.cpp)
target_link_libraries(vistra_demo_tests PRIVATE vistra_demo_fixtures GTest::gtest)
vistra_add_test_shards(vistra_demo_tests unit 1)
