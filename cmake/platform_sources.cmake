# platform/ holds each system service once per system where the systems
# differ: NAME.cpp for Linux and NAME_windows.cpp for Windows beside it, both
# keeping the contract of NAME.h. This picks the files of the system built.
#
# Windows takes every NAME_windows.cpp and, of the other files, only those
# that touch no system (VISTRA_PORTABLE_PLATFORM_SOURCES); a Linux file whose
# concern has no Windows file yet is left out. Linux takes every file but the
# Windows ones.
set(VISTRA_PORTABLE_PLATFORM_SOURCES loop_mailbox.cpp timer_queue.cpp command_line_quoting.cpp mpv_library.cpp qr_code.cpp image_file.cpp)

function(vistra_pick_platform_sources var)
  set(picked)
  foreach(source ${${var}})
    get_filename_component(name ${source} NAME)
    if(NOT source MATCHES "/platform/[^/]+$")
      list(APPEND picked ${source})
    elseif(WIN32 AND (name MATCHES "_windows\\.cpp$" OR name IN_LIST VISTRA_PORTABLE_PLATFORM_SOURCES))
      list(APPEND picked ${source})
    elseif(NOT WIN32 AND NOT name MATCHES "_windows\\.cpp$")
      list(APPEND picked ${source})
    endif()
  endforeach()
  set(${var} ${picked} PARENT_SCOPE)
endfunction()
