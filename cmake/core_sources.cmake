# The program's sources as every build of it takes them: the Linux program,
# the Windows one and the fuzz build (tests/fuzz) read their lists from here,
# so a file added to a folder, or a text table, reaches all three alike.
include(${CMAKE_CURRENT_LIST_DIR}/platform_sources.cmake)

# vistra_core_sources(var dir...): the .cpp files of the subsystem folders
# named, without the program's entry point and the build-time tools, and of
# platform/ only the files of the system built.
function(vistra_core_sources var)
  set(sources)
  foreach(dir ${ARGN})
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND sources ${found})
  endforeach()
  list(FILTER sources EXCLUDE REGEX ".*/app/main\\.cpp$")
  # Build-time tools live beside what they build; they are not in the program.
  list(FILTER sources EXCLUDE REGEX ".*/(i18n|ui/render)/tools/.*")
  vistra_pick_platform_sources(sources)
  set(${var} ${sources} PARENT_SCOPE)
endfunction()

# vistra_text_tables(var): appends to var the interface texts compiled into
# the program. They are gettext PO files that translators edit
# (i18n/po/<code>.po, msgctxt = key); a small host tool (vistra_po_compile,
# defined here with its library vistra_po) turns them into constant tables,
# so no text file is read at run time and a faulty PO file fails the build
# with its file and line. A cross build runs the tool through its emulator
# (CMake 3.25 does not add it by itself). Sets VISTRA_PO_DIR for the caller.
function(vistra_text_tables var)
  add_library(vistra_po STATIC ${CMAKE_SOURCE_DIR}/i18n/tools/po_file.cpp)
  target_include_directories(vistra_po PUBLIC ${CMAKE_SOURCE_DIR})
  add_executable(vistra_po_compile ${CMAKE_SOURCE_DIR}/i18n/tools/po_compile_main.cpp)
  target_link_libraries(vistra_po_compile PRIVATE vistra_po)
  set(po_dir ${CMAKE_SOURCE_DIR}/i18n/po)
  file(GLOB po_files CONFIGURE_DEPENDS ${po_dir}/*.po)
  list(REMOVE_ITEM po_files ${po_dir}/en.po)
  set(tables ${CMAKE_BINARY_DIR}/generated/i18n/text_tables.cpp)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/generated/i18n)
  add_custom_command(OUTPUT ${tables}
                     COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:vistra_po_compile> ${tables}
                             ${po_dir}/en.po ${po_files}
                     DEPENDS vistra_po_compile ${po_dir}/en.po ${po_files}
                     COMMENT "Interface texts from i18n/po/*.po"
                     VERBATIM)
  set(${var} ${${var}} ${tables} PARENT_SCOPE)
  set(VISTRA_PO_DIR ${po_dir} PARENT_SCOPE)
endfunction()
