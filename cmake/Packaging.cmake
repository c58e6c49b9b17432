# Installed layout and the Debian package. The program finds its library and manuals
# from the executable's folder (src/app/ProgramPaths), so bin, lib and share must stay
# the ones compiled into it (see src/app/CMakeLists.txt).

install(TARGETS trkdvn trkdvn-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Private to the program: loaded by file name, never linked, so not on the library path.
install(TARGETS TRAXB32E LIBRARY DESTINATION ${TRK_INSTALL_LIBDIR}
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
# The handbook as src/handbook built it: pages, style and pictures of the windows.
install(DIRECTORY ${CMAKE_BINARY_DIR}/bin/Manual DESTINATION ${TRK_INSTALL_DATADIR})

set(pkg ${PROJECT_SOURCE_DIR}/packaging)
set(docdir ${CMAKE_INSTALL_DATADIR}/doc/trkdvn)
set(app_id de.halvora.trkdvn)
install(FILES ${pkg}/${app_id}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${pkg}/${app_id}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${pkg}/${app_id}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${pkg}/copyright DESTINATION ${docdir})

# trkdvn-cli's manual page and bash completion are written from its own option table,
# so they name exactly the commands and options the parser takes.
set(gen ${CMAKE_BINARY_DIR}/packaging)
add_custom_command(OUTPUT ${gen}/trkdvn-cli.1 ${gen}/trkdvn-cli.bash
  COMMAND ${CMAKE_COMMAND} -E make_directory ${gen}
  COMMAND trkdvn-cli-referenz man ${gen}/trkdvn-cli.1
  COMMAND trkdvn-cli-referenz completion ${gen}/trkdvn-cli.bash
  DEPENDS trkdvn-cli-referenz VERBATIM)
add_custom_target(cli_reference ALL DEPENDS ${gen}/trkdvn-cli.1 ${gen}/trkdvn-cli.bash)

# Man pages and the changelog go in compressed, reproducibly (no name, no time stamp).
set(gz_files)
foreach(src ${pkg}/trkdvn.1 ${gen}/trkdvn-cli.1 ${pkg}/changelog)
  get_filename_component(f ${src} NAME)
  set(out ${gen}/${f}.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${gen}
    COMMAND gzip -9n -c ${src} > ${out}
    DEPENDS ${src} VERBATIM)
  list(APPEND gz_files ${out})
endforeach()
add_custom_target(packaging_docs DEPENDS ${gz_files} cli_reference)
install(FILES ${gen}/trkdvn.1.gz ${gen}/trkdvn-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${gen}/trkdvn-cli.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME trkdvn-cli)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${docdir})

# `install` and cpack build only what scripts/package.sh built, not the tests.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trkdvn)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Halvora)
set(CPACK_PACKAGE_CONTACT "Halvora <trkdvn@halvora.de>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration program for TRK/DVN panel instruments")
# The summary is the synopsis line; this is the extended description below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Reads, edits and programs the configuration of the DVN 20 TB and DVN 500
displays and the TRK 520 controllers over a serial bus converter, and keeps
configurations in d20 files. The window program trkdvn has a German user
interface; trkdvn-cli runs the same sequences from a shell. A replacement bus
library with simulated instruments is included, so the program runs without
hardware.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-liberation2)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)
