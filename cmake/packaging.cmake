# The Debian package (`cpack -G DEB` in a build folder; scripts/package.sh
# builds and checks it): the program, its two menu entries (the player and
# the demo), icons, AppStream data, manual pages, and the demo's helpers
# (the stand-in server, installed by tests/CMakeLists.txt, and the media
# maker) under libexec. Sources are in packaging/.
#
# Installing never builds: install and cpack take what the build folder
# holds, so a packaging build needs only vistra, vistra_standin and
# vistra_icons built, not the tests and benchmarks that "all" would add.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(VISTRA_HOMEPAGE_URL "https://vistra.example" CACHE STRING "The project's site, named by the package and its AppStream data")
set(VISTRA_APP_ID example.vistra.Vistra)
set(VISTRA_PACKAGING_SOURCE ${CMAKE_SOURCE_DIR}/packaging)
set(VISTRA_PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)
set(VISTRA_HELPERS_DIR ${CMAKE_INSTALL_LIBEXECDIR}/vistra)
set(VISTRA_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/vistra)

# vistra-demo finds the player beside itself and its helpers from there, so
# it works wherever the prefix is.
file(RELATIVE_PATH VISTRA_BIN_TO_HELPERS /${CMAKE_INSTALL_BINDIR} /${VISTRA_HELPERS_DIR})
configure_file(${VISTRA_PACKAGING_SOURCE}/vistra-demo.in ${VISTRA_PACKAGING_OUT}/vistra-demo @ONLY)
configure_file(${VISTRA_PACKAGING_SOURCE}/${VISTRA_APP_ID}.metainfo.xml.in
               ${VISTRA_PACKAGING_OUT}/${VISTRA_APP_ID}.metainfo.xml @ONLY)

# Debian keeps manual pages and changelogs compressed, without a time stamp
# (-n), so the same sources make the same package.
set(VISTRA_GZIPPED)
foreach(source vistra.1 vistra-demo.1 changelog)
  set(copy ${VISTRA_PACKAGING_OUT}/${source})
  add_custom_command(OUTPUT ${copy}.gz
                     COMMAND ${CMAKE_COMMAND} -E copy ${VISTRA_PACKAGING_SOURCE}/${source} ${copy}
                     COMMAND gzip -9nf ${copy}
                     DEPENDS ${VISTRA_PACKAGING_SOURCE}/${source}
                     VERBATIM)
  list(APPEND VISTRA_GZIPPED ${copy}.gz)
endforeach()
add_custom_target(vistra_package_files ALL DEPENDS ${VISTRA_GZIPPED})
if(TARGET vistra)
  add_dependencies(vistra vistra_package_files)
endif()

install(PROGRAMS ${VISTRA_PACKAGING_OUT}/vistra-demo DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS ${CMAKE_SOURCE_DIR}/scripts/make-demo-media.sh DESTINATION ${VISTRA_HELPERS_DIR}
        RENAME make-demo-media)
install(FILES ${VISTRA_PACKAGING_SOURCE}/${VISTRA_APP_ID}.desktop ${VISTRA_PACKAGING_SOURCE}/${VISTRA_APP_ID}.Demo.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VISTRA_PACKAGING_OUT}/${VISTRA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${VISTRA_PACKAGING_OUT}/vistra.1.gz ${VISTRA_PACKAGING_OUT}/vistra-demo.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${VISTRA_PACKAGING_SOURCE}/copyright ${VISTRA_PACKAGING_OUT}/changelog.gz DESTINATION ${VISTRA_DOC_DIR})

# The menu entries, the AppStream data, the manual pages and the changelog's
# version are checked by their own validators (packaging/validate.sh); the
# packaged copies again by scripts/package.sh.
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
find_program(APPSTREAMCLI appstreamcli)
if(DESKTOP_FILE_VALIDATE AND APPSTREAMCLI)
  add_test(NAME packaging.validate
           COMMAND ${VISTRA_PACKAGING_SOURCE}/validate.sh ${PROJECT_VERSION} ${CMAKE_SOURCE_DIR}
                   ${VISTRA_PACKAGING_SOURCE}/${VISTRA_APP_ID}.desktop ${VISTRA_PACKAGING_SOURCE}/${VISTRA_APP_ID}.Demo.desktop
                   ${VISTRA_PACKAGING_OUT}/${VISTRA_APP_ID}.metainfo.xml
                   ${VISTRA_PACKAGING_SOURCE}/vistra.1 ${VISTRA_PACKAGING_SOURCE}/vistra-demo.1
                   ${VISTRA_PACKAGING_SOURCE}/changelog)
  set_tests_properties(packaging.validate PROPERTIES LABELS unit TIMEOUT 60)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vistra)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Vistra developers")
set(CPACK_PACKAGE_CONTACT "The Vistra developers <developers@vistra.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Directories and files as Debian expects them, whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VISTRA_HOMEPAGE_URL})
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "full-screen IPTV player driven like a TV remote
Vistra plays the live channels, movies and series of one IPTV provider
account (the Xtream Codes interface) in a full-screen window, from the
keyboard like a TV remote or with the mouse: channels by category with a
preview and the programme guide, a programme grid, catch-up from the
provider's archive, movies and series that resume where they were left,
audio tracks and subtitles, favorites, groups, search and parental control,
in 33 languages.

The vistra-demo command (and its menu entry) starts a demo provider on this
computer, for trying the player without a provider of one's own.")
# The libraries the programs link come from dpkg-shlibdeps. libmpv is
# loaded at run time (dlopen), where shlibdeps cannot see it. The fonts and
# fc-match are what the interface and the demo's media maker draw text with;
# ffmpeg makes the demo's media; xdg-open opens web pages; notify-send lets
# the demo, started from the menu, say what it is doing.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libmpv2, fontconfig, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "ffmpeg, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "yt-dlp, vlc, libnotify-bin")
include(CPack)
